#!/usr/bin/env python3
"""Drives the Windows build of morvane under 64-bit Wine on a private Xvfb server.

The same demonstration as real_window_test.py, with the same pixel checks: Wine shows
the window's client area as an X window of its own (with no window manager there is
no frame), so xdotool's coordinates and the captured pixels are client pixels. The
window is closed with WM_DELETE_WINDOW, which Wine turns into WM_CLOSE, and the
process must end with exit code 0.

With --cancel-mode, a drag is also interrupted by WM_CANCELMODE (what the system sends
when another window takes the pointer): it must end with no drop.

Usage: wine_window_test.py MORVANE.exe WINE_RUN [--shots DIR] [--cancel-mode CANCEL_MODE.exe]
  WINE_RUN: the script that runs a Windows program under wine64 (tools/wine-run.sh).
Exit codes: 0 passed, 1 failed, 77 skipped (no Xvfb, xdotool or wine64).
"""

import functools
import os
import shutil
import subprocess
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import real_window_test as rw  # noqa: E402

WINE64 = "/usr/lib/wine/wine64"
WINESERVER = "/usr/lib/wine/wineserver"


class WineSession(rw.Session):
    def __init__(self, exe, wine_run, display, shots, prefix):
        super().__init__(exe, display, shots)
        self.wine_run = wine_run
        self.env["MORVANE_WINEPREFIX"] = prefix

    def start(self):
        t0 = time.monotonic()
        self.proc = subprocess.Popen([self.wine_run, self.morvane], env=self.env, cwd=os.path.dirname(self.morvane),
                                     stdout=subprocess.PIPE, stderr=subprocess.PIPE)
        deadline = t0 + 60  # a first start may still be finishing the prefix
        while time.monotonic() < deadline:
            if self.proc.poll() is not None:
                raise rw.Failure("morvane ended at start with %d: %s" % (self.proc.returncode,
                                                                           self.proc.stderr.read().decode()))
            out = self.xdo("search", "--onlyvisible", "--name", rw.TITLE_PATTERN, check=False)
            if out.strip():
                self.window = int(out.split()[0])
                shot = self.wait_for("the first picture", lambda s: not rw.problems_common(s), timeout=15)
                # Without a window manager Wine's X window is the client area alone.
                geometry = self.xdo("getwindowgeometry", self.window)
                if "Geometry: %dx%d" % (rw.WIDTH, rw.HEIGHT) not in geometry:
                    raise rw.Failure("the client area is not %dx%d: %s" % (rw.WIDTH, rw.HEIGHT, geometry.strip()))
                return time.monotonic() - t0, shot
            time.sleep(0.05)
        raise rw.Failure("no window titled \"What Do Enzymes Do?\" appeared")

    def close_and_wait(self):
        self.x.close_window_politely(self.window)
        try:
            rc = self.proc.wait(timeout=20)
        except subprocess.TimeoutExpired:
            self.proc.kill()
            self.proc.wait()
            raise rw.Failure("morvane did not end after WM_DELETE_WINDOW")
        if rc != 0:
            raise rw.Failure("morvane ended with exit code %d after the close: %s" % (
                rc, self.proc.stderr.read().decode(errors="replace")))
        self.proc = None
        return ""

    def cpu_ticks(self):
        # Wine's loader becomes the program: the process started is the one to watch.
        return super().cpu_ticks()


def run_capture_lost(session, cancel_mode):
    """The pointer taken away in the middle of a drag: the outline goes and a release over
    the enzyme drops nothing."""
    session.start()
    session.move(290, 150)
    session.xdo("mousedown", 1)
    try:
        session.move(400, 300)
        # The outline's right edge (x 509-510) lies over the bare form.
        session.wait_for("the drag outline", lambda s: s.px(509, 240) == rw.WHITE and s.px(511, 240) == rw.BLACK)
        r = subprocess.run([session.wine_run, cancel_mode], env=session.env, capture_output=True, timeout=60)
        if r.returncode != 0:
            raise rw.Failure("cannot send WM_CANCELMODE (exit %d): %s" % (r.returncode, r.stderr.decode(errors="replace")))
        session.wait_for("the outline gone after WM_CANCELMODE", lambda s: s.px(509, 240) == rw.BLACK)
        session.move(330, 380)
    finally:
        session.xdo("mouseup", 1, check=False)
    time.sleep(0.3)
    session.expect_state("Start", "a release over the enzyme after the drag was cancelled")
    session.close_and_wait()


def main(argv):
    if len(argv) < 3:
        print(__doc__)
        return 2
    exe, wine_run = os.path.abspath(argv[1]), os.path.abspath(argv[2])
    shots = argv[argv.index("--shots") + 1] if "--shots" in argv else None
    cancel_mode = os.path.abspath(argv[argv.index("--cancel-mode") + 1]) if "--cancel-mode" in argv else None
    if shots:
        os.makedirs(shots, exist_ok=True)
    missing = [t for t in ("Xvfb", "xdotool") if shutil.which(t) is None]
    missing += [t for t in (WINE64, WINESERVER) if not os.access(t, os.X_OK)]
    if missing:
        print("skipped: %s not installed" % " and ".join(missing))
        return rw.SKIP
    prefix = os.environ.get("MORVANE_WINEPREFIX") or os.path.join(os.path.dirname(exe), "wineprefix")
    server_env = dict(os.environ, WINEPREFIX=prefix)
    xvfb, display = rw.start_xvfb()
    try:
        # A Wine session of this display's own: a server that is still running for the
        # prefix (started without a display, say) would give the program no desktop.
        subprocess.run([WINESERVER, "-k"], env=server_env, timeout=30, check=False, capture_output=True)
        subprocess.run([WINESERVER, "-w"], env=server_env, timeout=30, check=False, capture_output=True)
        # The standard colour scheme, which the pixel checks expect (Wine's own differs);
        # the runtime reads whatever the system says at paint time.
        colors = os.path.join(os.path.dirname(os.path.abspath(__file__)), "standard_colors.reg")
        r = subprocess.run([wine_run, "regedit", "/S", colors],
                           env=dict(os.environ, MORVANE_WINEPREFIX=prefix, DISPLAY=display),
                           capture_output=True, timeout=120)
        if r.returncode != 0:
            raise rw.Failure("cannot set the colour scheme in %s: %s" % (prefix, r.stderr.decode(errors="replace")))
        runs = [rw.run_demonstration, rw.run_close_during_drag]
        if cancel_mode:
            runs.append(functools.partial(run_capture_lost, cancel_mode=cancel_mode))
        for run in runs:
            session = WineSession(exe, wine_run, display, shots if run is rw.run_demonstration else None, prefix)
            try:
                run(session)
                print("%s: passed" % getattr(run, "__name__", "run_capture_lost"))
            finally:
                session.stop()
    except rw.Failure as e:
        print("FAILED:", e)
        return 1
    finally:
        # Ends what is left of this prefix's Wine processes (its server and desktop).
        subprocess.run([WINESERVER, "-k"], env=server_env, timeout=30, check=False, capture_output=True)
        rw.stop_xvfb(xvfb)
    print("Windows build under wine64: passed")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
