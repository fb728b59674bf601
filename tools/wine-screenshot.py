#!/usr/bin/python3
"""Writes docs/windows.png: the Windows build (x86-64) under wine64 in a Wine virtual
desktop on a private Xvfb, so that Wine draws the window's frame and title bar (with
the executable's icon) itself, in the standard colour scheme.

Usage: tools/wine-screenshot.py [MORVANE.exe] [OUT.png]
  defaults: build/windows64/app/windows/morvane.exe, docs/windows.png
"""

import os
import subprocess
import sys
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, os.path.join(ROOT, "tests", "window"))
import real_window_test as rw  # noqa: E402

WINESERVER = "/usr/lib/wine/wineserver"
DESKTOP = (720, 580)


def main(argv):
    exe = os.path.abspath(argv[1] if len(argv) > 1 else os.path.join(ROOT, "build/windows64/app/windows/morvane.exe"))
    out = os.path.abspath(argv[2] if len(argv) > 2 else os.path.join(ROOT, "docs/windows.png"))
    run = os.path.join(ROOT, "tools", "wine-run.sh")
    prefix = os.environ.get("MORVANE_WINEPREFIX") or os.path.join(ROOT, "build", "wineprefix")
    server_env = dict(os.environ, WINEPREFIX=prefix)
    xvfb, display = rw.start_xvfb()
    try:
        subprocess.run([WINESERVER, "-k"], env=server_env, capture_output=True, timeout=30)
        subprocess.run([WINESERVER, "-w"], env=server_env, capture_output=True, timeout=30)
        env = dict(os.environ, DISPLAY=display, MORVANE_WINEPREFIX=prefix)
        subprocess.run([run, "regedit", "/S", os.path.join(ROOT, "tests/window/standard_colors.reg")], env=env,
                       capture_output=True, timeout=120, check=True)
        desktop = subprocess.Popen([run, "explorer", "/desktop=morvane,%dx%d" % DESKTOP, exe], env=env,
                                   cwd=os.path.dirname(exe))
        x = rw.X11(display)
        try:
            # The desktop is the one top-level X window; wait until the program has drawn
            # its picture into it (red pixels of the substrate), then let it settle.
            deadline = time.monotonic() + 60
            while True:
                ids = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", "morvane"], env=env,
                                     capture_output=True, text=True).stdout.split()
                shot = x.capture(int(ids[0]), *DESKTOP) if ids else None
                if shot is not None and shot.count((150, 80, 300, 250), rw.red) > 500:
                    break
                if time.monotonic() > deadline:
                    raise rw.Failure("the window did not show in the virtual desktop")
                time.sleep(0.2)
            time.sleep(1.0)
            shot = x.capture(int(ids[0]), *DESKTOP)
        finally:
            x.close()
        # The window's frame ends where the desktop's colour begins.
        teal = 0x008080
        right = next(i for i in range(DESKTOP[0]) if shot.px(i, 300) == teal)
        bottom = next(i for i in range(DESKTOP[1]) if shot.px(300, i) == teal)
        full = out + ".full.png"
        shot.save_png(full)
        subprocess.run(["convert", full, "-crop", "%dx%d+0+0" % (right, bottom), "+repage", out], check=True)
        os.remove(full)
        subprocess.run([WINESERVER, "-k"], env=server_env, capture_output=True, timeout=30)
        desktop.wait(timeout=30)
        print("wrote %s (%dx%d)" % (out, right, bottom))
    finally:
        xvfb.terminate()
        xvfb.wait(timeout=10)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
