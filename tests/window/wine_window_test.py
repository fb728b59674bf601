#!/usr/bin/env python3
"""Drives the Windows build of morvane under Wine on a private Xvfb server.

The same demonstration as real_window_test.py, with the same pixel checks: Wine shows
the window's client area as an X window of its own (with no window manager there is
no frame), so xdotool's coordinates and the captured pixels are client pixels. The
window is closed with WM_DELETE_WINDOW, which Wine turns into WM_CLOSE, and the
process must end with exit code 0.

The 32-bit build runs under the 32-bit loader in a win32 prefix, the 64-bit build under
wine64; the test checks that the process it drives, the one whose window it sees, is a
program for the build's processor.

With --cancel-mode, a drag is also interrupted by WM_CANCELMODE (what the system sends
when another window takes the pointer): it must end with no drop.

With --languages, the demonstration is played again in each of those languages, the
display language Wine takes from LANG (for a locale that exists on this machine: the
test generates each one with localedef into LOCALES, a folder it keeps, and points
LOCPATH there); the window must carry that language's title (po/<tag>.po). Each run's
pictures go under DIR/<tag>/.

Usage: wine_window_test.py MORVANE.exe WINE_RUN [--shots DIR] [--cancel-mode CANCEL_MODE.exe]
                           [--languages TAG,TAG... --locales LOCALES]
  WINE_RUN: the script that runs a Windows program under Wine (tools/wine-run.sh), with
  tools/probe-i386.sh beside it.
Exit codes: 0 passed, 1 failed, 77 skipped (no Xvfb, xdotool or Wine loader, or a
machine that cannot run 32-bit programs).
"""

import functools
import os
import re
import shutil
import subprocess
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import real_window_test as rw  # noqa: E402

WINESERVER = "/usr/lib/wine/wineserver"
# The machine field of a PE header and of an ELF header for each build.
BUILDS = {
    0x014C: {"name": "32-bit", "arch": "win32", "loader": "/usr/lib/wine/wine",
             "prefix": ("MORVANE_WINEPREFIX32", "wineprefix32"), "elf": (1, 3)},  # ELFCLASS32, EM_386
    0x8664: {"name": "64-bit", "arch": "win64", "loader": "/usr/lib/wine/wine64",
             "prefix": ("MORVANE_WINEPREFIX", "wineprefix"), "elf": (2, 62)},  # ELFCLASS64, EM_X86_64
}


def pe_machine(path):
    with open(path, "rb") as f:
        head = f.read(4096)
    at = int.from_bytes(head[60:64], "little")
    if head[:2] != b"MZ" or head[at:at + 4] != b"PE\0\0":
        raise rw.Failure("%s is not a PE file" % path)
    return int.from_bytes(head[at + 4:at + 6], "little")


def elf_kind(pid):
    """The ELF class and machine of the program a process runs."""
    with open("/proc/%d/exe" % pid, "rb") as f:
        head = f.read(20)
    if head[:4] != b"\x7fELF":
        raise rw.Failure("process %d runs no ELF program" % pid)
    return head[4], int.from_bytes(head[18:20], "little" if head[5] == 1 else "big")


# The locale that gives each language as Wine's display language.
LOCALES = {"es": "es_ES", "fr": "fr_FR", "de": "de_DE", "pt_BR": "pt_BR", "ru": "ru_RU", "zh_CN": "zh_CN",
           "ar": "ar_EG", "hi": "hi_IN"}
PO = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "po")


def window_title(tag):
    """The window's title in `tag`'s catalogue: the translation of "Form1 caption"."""
    with open(os.path.join(PO, tag + ".po"), encoding="utf-8") as f:
        found = re.search(r'msgctxt "Form1 caption"\nmsgid "[^"]*"\nmsgstr "((?:[^"\\]|\\.)*)"', f.read())
    if not found or not found.group(1):
        raise rw.Failure("po/%s.po translates no \"Form1 caption\"" % tag)
    return found.group(1).encode().decode("unicode_escape").encode("latin-1").decode("utf-8")


def generated_locale(tag, folder):
    """LOCPATH and LANG for `tag`'s locale, generated into `folder` once; None, with the
    reason printed, where localedef cannot make it."""
    name = LOCALES[tag]
    if not os.path.isdir(os.path.join(folder, name + ".UTF-8")):
        if shutil.which("localedef") is None:
            return None, "localedef is not installed"
        os.makedirs(folder, exist_ok=True)
        r = subprocess.run(["localedef", "-i", name, "-f", "UTF-8", os.path.join(folder, name + ".UTF-8")],
                           capture_output=True, text=True, timeout=120)
        if r.returncode not in (0, 1) or not os.path.isdir(os.path.join(folder, name + ".UTF-8")):
            return None, "localedef cannot make %s.UTF-8: %s" % (name, r.stderr.strip()[-200:])
    return {"LOCPATH": folder, "LANG": name + ".UTF-8", "LC_ALL": "", "LANGUAGE": ""}, None


class WineSession(rw.Session):
    def __init__(self, exe, wine_run, display, shots, build, prefix, language=None):
        super().__init__(exe, display, shots)
        self.wine_run = wine_run
        self.build = build
        self.env[build["prefix"][0]] = prefix
        self.title = rw.TITLE_PATTERN
        if language:
            env, title = language
            self.env.update(env)
            for unset in [k for k, v in env.items() if v == ""]:
                self.env.pop(unset, None)
            self.title = "^" + re.escape(title) + "$"

    def start(self):
        t0 = time.monotonic()
        self.proc = subprocess.Popen([self.wine_run, self.morvane], env=self.env, cwd=os.path.dirname(self.morvane),
                                     stdout=subprocess.PIPE, stderr=subprocess.PIPE)
        deadline = t0 + 60  # a first start may still be finishing the prefix
        while time.monotonic() < deadline:
            if self.proc.poll() is not None:
                raise rw.Failure("morvane ended at start with %d: %s" % (self.proc.returncode,
                                                                           self.proc.stderr.read().decode()))
            out = self.xdo("search", "--onlyvisible", "--name", self.title, check=False)
            if out.strip():
                self.window = int(out.split()[0])
                shot = self.wait_for("the first picture", lambda s: not rw.problems_common(s), timeout=15)
                self.check_loader()
                # Without a window manager Wine's X window is the client area alone.
                geometry = self.xdo("getwindowgeometry", self.window)
                if "Geometry: %dx%d" % (rw.WIDTH, rw.HEIGHT) not in geometry:
                    raise rw.Failure("the client area is not %dx%d: %s" % (rw.WIDTH, rw.HEIGHT, geometry.strip()))
                return time.monotonic() - t0, shot
            time.sleep(0.05)
        titles = self.xdo("search", "--onlyvisible", "--name", ".", check=False).split()
        raise rw.Failure("no window titled %s appeared (windows: %s)" % (self.title, ", ".join(
            self.xdo("getwindowname", w, check=False).strip() for w in titles[:5])))

    def check_loader(self):
        """The window is the started process's own, and that process is Wine's loader
        for the build's processor (the loader becomes the Windows program)."""
        window_pid = self.xdo("getwindowpid", self.window, check=False).strip()
        if window_pid != str(self.proc.pid):
            raise rw.Failure("the window belongs to process %r, not to the one started (%d)" % (
                window_pid, self.proc.pid))
        kind = elf_kind(self.proc.pid)
        if kind != self.build["elf"]:
            raise rw.Failure("the %s build runs in %s, an ELF program of class %d for machine %d, not the %s loader" % (
                self.build["name"], os.readlink("/proc/%d/exe" % self.proc.pid), kind[0], kind[1],
                self.build["name"]))
        print("the window's process %d runs %s" % (self.proc.pid, os.readlink("/proc/%d/exe" % self.proc.pid)))

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



def skip_reason(build, wine_run):
    """Why a Wine test of `build` cannot run here, or None."""
    if build["name"] == "32-bit":
        probe = subprocess.run(["bash", os.path.join(os.path.dirname(wine_run), "probe-i386.sh")],
                               capture_output=True, text=True)
        if probe.returncode != 0:
            return "this machine cannot run 32-bit programs: %s" % probe.stdout.strip()
    missing = [t for t in ("Xvfb", "xdotool") if shutil.which(t) is None]
    missing += [t for t in (build["loader"], WINESERVER) if not os.access(t, os.X_OK)]
    return "%s not installed" % " and ".join(missing) if missing else None


def wine_prefix(build, exe):
    """The build's own Wine prefix: its variable, else a folder beside the program."""
    variable, default = build["prefix"]
    return os.environ.get(variable) or os.path.join(os.path.dirname(exe), default)

def main(argv):
    if len(argv) < 3:
        print(__doc__)
        return 2
    exe, wine_run = os.path.abspath(argv[1]), os.path.abspath(argv[2])
    shots = argv[argv.index("--shots") + 1] if "--shots" in argv else None
    cancel_mode = os.path.abspath(argv[argv.index("--cancel-mode") + 1]) if "--cancel-mode" in argv else None
    languages = [t for t in argv[argv.index("--languages") + 1].split(",") if t] if "--languages" in argv else []
    locales = os.path.abspath(argv[argv.index("--locales") + 1]) if "--locales" in argv else None
    if shots:
        os.makedirs(shots, exist_ok=True)
    try:
        build = BUILDS[pe_machine(exe)]
    except (KeyError, rw.Failure, OSError) as e:
        print("FAILED: %s is not a 32-bit or 64-bit x86 Windows program (%s)" % (exe, e))
        return 1
    reason = skip_reason(build, wine_run)
    if reason:
        print("skipped: %s" % reason)
        return rw.SKIP
    prefix = wine_prefix(build, exe)
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
                           env=dict(os.environ, DISPLAY=display, MORVANE_WINEARCH=build["arch"], **{build["prefix"][0]: prefix}),
                           capture_output=True, timeout=120)
        if r.returncode != 0:
            raise rw.Failure("cannot set the colour scheme in %s: %s" % (prefix, r.stderr.decode(errors="replace")))
        runs = [rw.run_demonstration, rw.run_close_during_drag]
        if cancel_mode:
            runs.append(functools.partial(run_capture_lost, cancel_mode=cancel_mode))
        for run in runs:
            session = WineSession(exe, wine_run, display, shots if run is rw.run_demonstration else None, build,
                                  prefix)
            try:
                run(session)
                print("%s: passed" % getattr(run, "__name__", "run_capture_lost"))
            finally:
                session.stop()
        for tag in languages:
            env, why = generated_locale(tag, locales)
            if env is None:
                print("%s: skipped: %s" % (tag, why))
                continue
            language_shots = os.path.join(shots, tag) if shots else None
            if language_shots:
                os.makedirs(language_shots, exist_ok=True)
            session = WineSession(exe, wine_run, display, language_shots, build, prefix, (env, window_title(tag)))
            try:
                rw.run_demonstration(session)
                print("run_demonstration in %s (LANG=%s): passed" % (tag, env["LANG"]))
            except rw.Failure as e:
                raise rw.Failure("in %s (LANG=%s): %s" % (tag, env["LANG"], e))
            finally:
                session.stop()
    except rw.Failure as e:
        print("FAILED:", e)
        return 1
    finally:
        # Ends what is left of this prefix's Wine processes (its server and desktop).
        subprocess.run([WINESERVER, "-k"], env=server_env, timeout=30, check=False, capture_output=True)
        rw.stop_xvfb(xvfb)
    print("%s Windows build under %s: passed" % (build["name"], build["loader"]))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
