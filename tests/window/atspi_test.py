#!/usr/bin/python3
"""The desktop window on the accessibility bus, read as a screen reader reads it.

A private X server, a private D-Bus session and the accessibility bus started in it as a
desktop starts it (at-spi-bus-launcher, which starts the registry). Through Debian's
AT-SPI client library (pyatspi) the test reads the window's objects (the catalogue's
names and descriptions, roles, states, places, actions), follows the focus through Tab,
hears the sentence after a drop made with the keys (the notification's name and its
"showing" event), presses Reset by its action, and checks that the program uses no
processor time while idle. Without a bus in the session, the program loads nothing of
it, and with a session bus whose accessibility bus is not running, it starts none.

Usage: atspi_test.py MORVANE CATALOGUE [LOCALE]    (run with Debian's /usr/bin/python3)
With LOCALE (ru_RU.UTF-8), the program runs in that locale and CATALOGUE is its language's.
Exit codes: 0 passed, 1 failed, 77 skipped (a prerequisite is missing).
"""

import os
import shutil
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
import real_window_test as rw  # noqa: E402
from catalogue import read_catalogue  # noqa: E402

LAUNCHER = "/usr/libexec/at-spi-bus-launcher"
NODES = [("Label1", (192, 0, 281, 33), "label"), ("Picture1", (200, 272, 273, 233), "image"),
         ("Picture2", (192, 64, 209, 201), "image"), ("Picture3", (176, 48, 241, 217), "image"),
         ("Picture4", (216, 272, 257, 233), "push button"), ("Command1", (512, 72, 81, 33), "push button")]
ACTIONS = {"Picture2": ["pick up"], "Picture4": ["click"], "Command1": ["press"]}


def start_session_bus(env):
    r, w = os.pipe()
    bus = subprocess.Popen(["dbus-daemon", "--session", "--nofork", "--print-address=%d" % w], pass_fds=(w,), env=env,
                           stderr=subprocess.DEVNULL)
    os.close(w)
    address = os.read(r, 4096).decode().split("\n")[0]
    os.close(r)
    return bus, address


def name_owned(env, name):
    r = subprocess.run(["dbus-send", "--session", "--print-reply", "--dest=org.freedesktop.DBus", "/org/freedesktop/DBus",
                        "org.freedesktop.DBus.NameHasOwner", "string:" + name], env=env, capture_output=True, text=True)
    return "boolean true" in r.stdout


def resident_kib(pid):
    with open("/proc/%d/status" % pid) as f:
        return int(next(l for l in f if l.startswith("VmRSS:")).split()[1])


def mapped(pid, what):
    with open("/proc/%d/maps" % pid) as f:
        return what in f.read()


class Listener:
    """The bus's events, as pyatspi delivers them while the GLib loop runs."""

    def __init__(self, pyatspi, GLib):
        self.GLib, self.events = GLib, []
        pyatspi.Registry.registerEventListener(self.on, "object:state-changed:focused", "object:state-changed:showing")

    def on(self, e):
        self.events.append((e.type, e.source.name, e.detail1, e.source.getRoleName()))

    def pump(self, seconds=0.3):
        end = time.monotonic() + seconds
        while time.monotonic() < end:
            if not self.GLib.MainContext.default().iteration(False):
                time.sleep(0.01)

    def wait(self, what, test, timeout=5):
        end = time.monotonic() + timeout
        while time.monotonic() < end:
            self.pump(0.05)
            found = [e for e in self.events if test(e)]
            if found:
                self.events.clear()
                return found
        raise rw.Failure("heard no %s; heard %s" % (what, self.events))


def find_frame(pyatspi):
    end = time.monotonic() + 10
    while time.monotonic() < end:
        for app in pyatspi.Registry.getDesktop(0):
            if app is not None and app.name == "morvane" and app.childCount == 1:
                return app[0]
        time.sleep(0.1)
    raise rw.Failure("no application \"morvane\" on the accessibility bus")


def check_tree(pyatspi, frame, words, session, visible):
    if (frame.name, frame.description, frame.childCount) != (words["Form1 caption"], words["Form1 description"],
                                                             len(NODES) + 1):
        raise rw.Failure("the frame is %r, %r, with %d children" % (frame.name, frame.description, frame.childCount))
    wx, wy = (int(v) for v in session.xdo("getwindowgeometry", session.window).split("Position: ")[1].split()[0].split(","))
    for i, (name, place, role) in enumerate(NODES):
        c = frame[i]
        states = c.getState()
        if (c.name, c.description) != (words[name + " name"], words.get(name + " description", "")):
            raise rw.Failure("%s is %r, %r: not the catalogue's words" % (name, c.name, c.description))
        if c.getRoleName() != role:
            raise rw.Failure("%s is a %s, not a %s" % (name, c.getRoleName(), role))
        e = c.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
        if (e.x - wx, e.y - wy, e.width, e.height) != place:
            raise rw.Failure("%s is at %s on the screen, the window at %d,%d" % (name, (e.x, e.y, e.width, e.height),
                                                                                   wx, wy))
        if states.contains(pyatspi.STATE_SHOWING) != (name in visible):
            raise rw.Failure("%s: showing is %s" % (name, states.contains(pyatspi.STATE_SHOWING)))
        action = c.queryAction() if name in ACTIONS and name in visible else None
        names = [action.getName(k) for k in range(action.nActions)] if action else []
        if names != (ACTIONS[name] if action else []):
            raise rw.Failure("%s offers %s" % (name, names))
    return frame[len(NODES)]


def run(session, env, words):
    import pyatspi
    from gi.repository import GLib
    session.start()
    session.expect_state("Start", "start-up")
    frame = find_frame(pyatspi)
    listen = Listener(pyatspi, GLib)
    note = check_tree(pyatspi, frame, words, session, {"Label1", "Picture1", "Picture2", "Command1"})
    if note.getRoleName() != "notification" or note.name != words["shows Picture1 Picture2"]:
        raise rw.Failure("the last child is a %s saying %r" % (note.getRoleName(), note.name))

    session.xdo("windowfocus", session.window, check=False)
    focused = lambda name: lambda e: e[0] == "object:state-changed:focused" and e[2] == 1 and e[1] == name  # noqa
    for name in ("Picture2", "Command1", "Picture1", "Picture2"):
        session.key("Tab")
        listen.wait("the focus on " + name, focused(words[name + " name"]))
    session.key("space")
    listen.wait("the substrate picked up", lambda e: e[0] == "object:state-changed:showing" and e[2] == 1
                and e[1].startswith(words["Picture2 picked up"]))
    if not frame[2].getState().contains(pyatspi.STATE_SELECTED):
        raise rw.Failure("the picked-up substrate is not marked selected")
    for _ in range(3):
        session.key("shift+Down")
    session.key("space")
    session.expect_state("Complex", "the substrate put down on the enzyme")
    said = listen.wait("the sentence after the drop", lambda e: e[0] == "object:state-changed:showing" and e[2] == 1
                       and e[3] == "notification" and words["Picture2 put down on Picture1"] in e[1])
    if words["shows Picture4"] not in said[-1][1]:
        raise rw.Failure("the sentence after the drop does not say the complex: %r" % said[-1][1])
    check_tree(pyatspi, frame, words, session, {"Label1", "Picture4", "Command1"})

    if not frame[5].queryAction().doAction(0):
        raise rw.Failure("Reset's action was refused")
    session.expect_state("Start", "Reset pressed by its action")
    listen.wait("the sentence after Reset", lambda e: e[0] == "object:state-changed:showing" and e[2] == 1
                and e[1] == words["shows Picture1 Picture2"])

    listen.pump(0.5)
    t0 = session.cpu_ticks()
    time.sleep(2.0)
    idle = session.cpu_ticks() - t0
    print("CPU while idle on the bus for 2 s: %d ticks" % idle)
    if idle > 1:
        raise rw.Failure("morvane used %d clock ticks in two idle seconds on the bus" % idle)
    if not mapped(session.proc.pid, "morvane-atk.so"):
        raise rw.Failure("the accessibility module is not loaded")
    print("resident memory on the bus: %d KiB" % resident_kib(session.proc.pid))
    session.close_and_wait()


def run_without_bus(session, env):
    """No accessibility bus: with no session bus nothing is loaded; with one, none is started."""
    session.env.pop("DBUS_SESSION_BUS_ADDRESS", None)
    session.start()
    time.sleep(1)
    if mapped(session.proc.pid, "morvane-atk.so"):
        raise rw.Failure("the accessibility module is loaded without a session bus")
    print("resident memory without a bus: %d KiB" % resident_kib(session.proc.pid))
    session.close_and_wait()
    session.env["DBUS_SESSION_BUS_ADDRESS"] = env["DBUS_SESSION_BUS_ADDRESS"]
    session.start()
    time.sleep(1)
    if name_owned(env, "org.a11y.Bus"):
        raise rw.Failure("the program started an accessibility bus")
    session.close_and_wait()


def main(argv):
    if len(argv) not in (3, 4):
        print(__doc__)
        return 2
    morvane, catalogue = os.path.abspath(argv[1]), argv[2]
    locale = argv[3] if len(argv) == 4 else "C.UTF-8"
    missing = [t for t in ("Xvfb", "xdotool", "dbus-daemon", "dbus-send") if shutil.which(t) is None]
    missing += [LAUNCHER] if not os.access(LAUNCHER, os.X_OK) else []
    try:
        import gi
        gi.require_version("Atspi", "2.0")
        import pyatspi  # noqa: F401
    except (ImportError, ValueError):
        missing.append("python3-pyatspi")
    if not os.path.exists(os.path.join(os.path.dirname(morvane), "morvane-atk.so")):
        missing.append("the accessibility module (built with ATK and its bridge)")
    if missing:
        print("skipped: %s not installed" % ", ".join(missing))
        return rw.SKIP
    words = read_catalogue(catalogue)
    runtime_dir = tempfile.mkdtemp(prefix="morvane-atspi-")
    os.chmod(runtime_dir, 0o700)
    xvfb, display = rw.start_xvfb()
    procs = []
    try:
        env = dict(os.environ, DISPLAY=display, XDG_RUNTIME_DIR=runtime_dir)
        for v in ("AT_SPI_BUS_ADDRESS", "NO_AT_BRIDGE", "DBUS_SESSION_BUS_ADDRESS"):
            env.pop(v, None)
        bus, env["DBUS_SESSION_BUS_ADDRESS"] = start_session_bus(env)
        procs.append(bus)
        session = rw.Session(morvane, display, None, locale, words["Form1 caption"])
        session.env.update(env)
        try:
            run_without_bus(session, env)
            print("without an accessibility bus: passed")
            procs.append(subprocess.Popen([LAUNCHER, "--launch-immediately"], env=env, stderr=subprocess.DEVNULL))
            end = time.monotonic() + 10
            while not name_owned(env, "org.a11y.Bus"):
                if time.monotonic() > end:
                    raise rw.Failure("the accessibility bus did not start")
                time.sleep(0.1)
            os.environ.update(env)  # the client library finds the bus as the program does
            run(session, env, words)
        finally:
            session.stop()
    except rw.Failure as e:
        print("FAILED:", e)
        return 1
    finally:
        for p in reversed(procs):
            p.terminate()
            p.wait()
        rw.stop_xvfb(xvfb)
        shutil.rmtree(runtime_dir, True)
    print("the window on the accessibility bus: passed")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
