#!/usr/bin/env python3
"""Whole-process figures of morvane against a minimal SDL2 window, on a private Xvfb.

For each program, run after run, alternating which of the two goes first:

  first frame   from the spawn to the first frame on the screen. The spawn time is
                time.monotonic_ns() (CLOCK_MONOTONIC) just before the fork; the frame
                is seen from outside, through the X server: the script watches the
                root window for a new 663 x 510 window, follows its damage (the X
                DAMAGE extension reports every drawing into the window), reads the
                window's pixels back after each report and takes the time of the first
                read-back that is not one uniform colour. The root is black (-br) and
                SDL's windows have no background of their own, so a window reads as
                one black field until a program puts its frame into it. Both programs
                present their first frame as one full-window rectangle.
  settled       from the spawn to the last change of the window's pixels in the half
                second after the first frame: the complete start-up picture, should a
                program show it in more than one frame (morvane draws its captions in
                a second frame, right after the first).
  peak memory   VmHWM from /proc/PID/status: after the first frame (and half a second
                of settling), and at the end of the run (after the idle and drag phases).
  idle CPU      utime+stime (clock ticks) and the run time from /proc/PID/task/*/schedstat
                (nanoseconds, all threads) over 10 s in which nothing happens.
  drag CPU      the same over a 2 s drag: the button pressed on the substrate at
                (290, 150), the pointer moved every 5 ms (200 Hz) along a loop over the
                window, then brought back and released where it started (a drop on the
                substrate itself, which changes nothing). The input comes from XTest,
                as a real mouse's would.
  drag frames   during the drag, the window's damage reports: the frames shown per
                second (reports within 2 ms of each other are one frame), and for each
                move the time until the next frame was shown (99th percentile and
                longest), which includes the X server's and this script's own delays.

The window is closed as a window manager would (WM_DELETE_WINDOW) and the exit code
must be 0. Figures: median, min and max over the runs; a JSON file with every run.

The session bus: a desktop session has one, and SDL connects to it at start-up. Without
one, SDL's D-Bus library forks a process to look for one (and finds none) in the middle
of every start, and the fork's cost grows with the size of the process that forks. By
default the script starts a private session bus (dbus-daemon --session) for the runs, as
a desktop has; --session-bus none runs without one, --session-bus inherit with whatever
the environment says.

The font cache: the programs run with a private XDG_CACHE_HOME. The first, unmeasured
run of each leaves morvane's font cache there, as a user's earlier start would;
--font-cache cold removes it before every run (a first start).

Usage: whole_process.py MORVANE MINIMAL [--runs N] [--json FILE] [--max-load L]
       [--idle-seconds S] [--drag-seconds S] [--session-bus private|none|inherit]
       [--also NAME=PATH]... [--locale NAME=LANG]... [--font-cache warm|cold] [--spin N]
       [--launcher PROGRAM]
--also measures another program in the same runs (an earlier build); --locale measures
MORVANE again under another locale (LANG=ru_RU.UTF-8: the program starts in that
language; the others run with LANG=C and no LANGUAGE, LC_ALL or LC_MESSAGES, as a
locale that is not generated falls back to C); --spin keeps N
processes spinning on the processors for a loaded pass.
--max-load waits (up to 5 minutes each time) before every pair of runs until the
one-minute load average is below L.
"""

import argparse
import ctypes
import json
import os
import platform
import select
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "support"))
from xvfb import ERROR_HANDLER, Failure, XClientMessageEvent, XImage, start_xvfb, stop_xvfb  # noqa: E402

WIDTH, HEIGHT = 663, 510
LAUNCHER = []  # what runs the programs (--launcher): nothing, or a script such as tools/wine-run.sh
SUBSTRATE = (290, 150)  # inside the substrate's picture box, in client pixels


# ---------------------------------------------------------------- X11 through ctypes

class XCreateWindowEvent(ctypes.Structure):
    _fields_ = [
        ("type", ctypes.c_int), ("serial", ctypes.c_ulong), ("send_event", ctypes.c_int),
        ("display", ctypes.c_void_p), ("parent", ctypes.c_ulong), ("window", ctypes.c_ulong),
        ("x", ctypes.c_int), ("y", ctypes.c_int), ("width", ctypes.c_int), ("height", ctypes.c_int),
        ("border_width", ctypes.c_int), ("override_redirect", ctypes.c_int),
    ]


class XRectangle(ctypes.Structure):
    _fields_ = [("x", ctypes.c_short), ("y", ctypes.c_short), ("width", ctypes.c_ushort), ("height", ctypes.c_ushort)]


class XDamageNotifyEvent(ctypes.Structure):
    _fields_ = [
        ("type", ctypes.c_int), ("serial", ctypes.c_ulong), ("send_event", ctypes.c_int),
        ("display", ctypes.c_void_p), ("drawable", ctypes.c_ulong), ("damage", ctypes.c_ulong),
        ("level", ctypes.c_int), ("more", ctypes.c_int), ("timestamp", ctypes.c_ulong),
        ("area", XRectangle), ("geometry", XRectangle),
    ]


class XEvent(ctypes.Union):
    _fields_ = [("type", ctypes.c_int), ("xcreatewindow", XCreateWindowEvent), ("xdamage", XDamageNotifyEvent),
                ("xclient", XClientMessageEvent), ("pad", ctypes.c_long * 24)]


CREATE_NOTIFY = 16
CLIENT_MESSAGE = 33
SUBSTRUCTURE_NOTIFY_MASK = 1 << 19
Z_PIXMAP = 2
DAMAGE_REPORT_RAW_RECTANGLES = 0


class X11:
    def __init__(self, display):
        lib = ctypes.CDLL("libX11.so.6")
        self.lib = lib
        self.damage = ctypes.CDLL("libXdamage.so.1")
        self.xtest = ctypes.CDLL("libXtst.so.6")
        vp, ul, c_int = ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int
        lib.XOpenDisplay.restype = vp
        lib.XOpenDisplay.argtypes = [ctypes.c_char_p]
        lib.XDefaultRootWindow.restype = ul
        lib.XDefaultRootWindow.argtypes = [vp]
        lib.XConnectionNumber.argtypes = [vp]
        lib.XSelectInput.argtypes = [vp, ul, ctypes.c_long]
        lib.XPending.argtypes = [vp]
        lib.XNextEvent.argtypes = [vp, ctypes.POINTER(XEvent)]
        lib.XGetImage.restype = ctypes.POINTER(XImage)
        lib.XGetImage.argtypes = [vp, ul, c_int, c_int, ctypes.c_uint, ctypes.c_uint, ul, c_int]
        lib.XFree.argtypes = [vp]
        lib.XFlush.argtypes = [vp]
        lib.XSync.argtypes = [vp, c_int]
        lib.XInternAtom.restype = ul
        lib.XInternAtom.argtypes = [vp, ctypes.c_char_p, c_int]
        lib.XSendEvent.argtypes = [vp, ul, c_int, ctypes.c_long, ctypes.POINTER(XEvent)]
        lib.XTranslateCoordinates.argtypes = [vp, ul, ul, c_int, c_int, ctypes.POINTER(c_int), ctypes.POINTER(c_int),
                                              ctypes.POINTER(ul)]
        lib.XSetErrorHandler.restype = vp
        lib.XSetErrorHandler.argtypes = [ERROR_HANDLER]
        lib.XCloseDisplay.argtypes = [vp]
        self.damage.XDamageQueryExtension.argtypes = [vp, ctypes.POINTER(c_int), ctypes.POINTER(c_int)]
        self.damage.XDamageCreate.restype = ul
        self.damage.XDamageCreate.argtypes = [vp, ul, c_int]
        self.damage.XDamageDestroy.argtypes = [vp, ul]
        self.xtest.XTestFakeMotionEvent.argtypes = [vp, c_int, c_int, c_int, ul]
        self.xtest.XTestFakeButtonEvent.argtypes = [vp, ctypes.c_uint, c_int, ul]
        self.errors = 0

        def on_error(_display, _event):
            self.errors += 1
            return 0

        self._handler = ERROR_HANDLER(on_error)
        lib.XSetErrorHandler(self._handler)
        self.dpy = lib.XOpenDisplay(display.encode())
        if not self.dpy:
            raise Failure("cannot connect to the X server " + display)
        event_base, error_base = c_int(), c_int()
        if not self.damage.XDamageQueryExtension(self.dpy, ctypes.byref(event_base), ctypes.byref(error_base)):
            raise Failure("the X server has no DAMAGE extension")
        self.damage_notify = event_base.value  # XDamageNotify is the extension's event 0
        self.root = lib.XDefaultRootWindow(self.dpy)
        lib.XSelectInput(self.dpy, self.root, SUBSTRUCTURE_NOTIFY_MASK)
        lib.XSync(self.dpy, 0)
        self.fd = lib.XConnectionNumber(self.dpy)

    def close(self):
        self.lib.XCloseDisplay(self.dpy)

    def events(self, timeout):
        """Waits up to `timeout` seconds for events; returns those that came (copies)
        and the time.monotonic_ns() at which they had come."""
        out = []
        if not self.lib.XPending(self.dpy):
            ready, _, _ = select.select([self.fd], [], [], max(0.0, timeout))
            if not ready:
                return out, time.monotonic_ns()
        came = time.monotonic_ns()
        while self.lib.XPending(self.dpy):
            ev = XEvent()
            self.lib.XNextEvent(self.dpy, ctypes.byref(ev))
            out.append(ev)
        return out, came

    def uniform(self, window):
        """True if the window reads as one colour, None if it cannot be read."""
        data = self.capture(window)
        if data is None:
            return None
        data, width, height, stride, depth = data
        row = data[:depth] * width
        return all(data[y * stride:y * stride + len(row)] == row for y in range(height))

    def capture(self, window, x=0, y=0, width=WIDTH, height=HEIGHT):
        """The pixels of a rectangle of the window (data, width, height, stride, bytes per
        pixel), or None."""
        self.errors = 0
        image = self.lib.XGetImage(self.dpy, window, x, y, width, height, 0x00FFFFFF, Z_PIXMAP)
        self.lib.XSync(self.dpy, 0)
        if not image or self.errors:
            return None
        try:
            im = image.contents
            width, height, stride, depth = im.width, im.height, im.bytes_per_line, im.bits_per_pixel // 8
            data = bytearray(ctypes.string_at(im.data, stride * height))
        finally:
            self.lib.XFree(image.contents.data)
            self.lib.XFree(image)
        return data, width, height, stride, depth

    def watch(self, window):
        return self.damage.XDamageCreate(self.dpy, window, DAMAGE_REPORT_RAW_RECTANGLES)

    def unwatch(self, damage):
        self.errors = 0
        self.damage.XDamageDestroy(self.dpy, damage)
        self.lib.XSync(self.dpy, 0)

    def to_root(self, window, x, y):
        rx, ry, child = ctypes.c_int(), ctypes.c_int(), ctypes.c_ulong()
        self.lib.XTranslateCoordinates(self.dpy, window, self.root, x, y, ctypes.byref(rx), ctypes.byref(ry),
                                       ctypes.byref(child))
        return rx.value, ry.value

    def move(self, x, y):
        self.xtest.XTestFakeMotionEvent(self.dpy, -1, x, y, 0)
        self.lib.XFlush(self.dpy)

    def button(self, down):
        self.xtest.XTestFakeButtonEvent(self.dpy, 1, 1 if down else 0, 0)
        self.lib.XFlush(self.dpy)

    def close_window_politely(self, window):
        protocols = self.lib.XInternAtom(self.dpy, b"WM_PROTOCOLS", 0)
        delete = self.lib.XInternAtom(self.dpy, b"WM_DELETE_WINDOW", 0)
        ev = XEvent()
        ev.xclient.type = CLIENT_MESSAGE
        ev.xclient.window = window
        ev.xclient.message_type = protocols
        ev.xclient.format = 32
        ev.xclient.data[0] = delete
        ev.xclient.data[1] = 0
        self.lib.XSendEvent(self.dpy, window, 0, 0, ctypes.byref(ev))
        self.lib.XFlush(self.dpy)


# ---------------------------------------------------------------- the process's figures

def cpu_ticks(pid):
    with open("/proc/%d/stat" % pid) as f:
        fields = f.read().rsplit(")", 1)[1].split()
    return int(fields[11]) + int(fields[12])


def run_ns(pid):
    total = 0
    for tid in os.listdir("/proc/%d/task" % pid):
        try:
            with open("/proc/%d/task/%s/schedstat" % (pid, tid)) as f:
                total += int(f.read().split()[0])
        except (FileNotFoundError, ProcessLookupError):
            pass
    return total


def vm_hwm_kib(pid):
    with open("/proc/%d/status" % pid) as f:
        for line in f:
            if line.startswith("VmHWM:"):
                return int(line.split()[1])
    raise Failure("no VmHWM for process %d" % pid)


TICK_MS = 1000.0 / os.sysconf("SC_CLK_TCK")


def cpu_over(pid, seconds, during=None):
    """Processor time of the process over `seconds`: (clock ticks, ms from run time)."""
    t0, r0 = cpu_ticks(pid), run_ns(pid)
    if during:
        during(seconds)
    else:
        time.sleep(seconds)
    t1, r1 = cpu_ticks(pid), run_ns(pid)
    return t1 - t0, (r1 - r0) / 1e6


def changes(shown, part, x0, y0):
    """Writes `part`, read at (x0, y0), into `shown` (the window's pixels as last read);
    True if that changed any pixel."""
    data, width, _, stride, depth = shown
    pdata, pwidth, pheight, pstride, _ = part
    changed = False
    for y in range(pheight):
        at = (y0 + y) * stride + x0 * depth
        row = pdata[y * pstride:y * pstride + pwidth * depth]
        if data[at:at + len(row)] != row:
            data[at:at + len(row)] = row
            changed = True
    return changed


def presents_and_lags(moves, shown):
    """The frames shown during a drag and how far each move waited for one.

    Damage reports that come within 2 ms of each other belong to one present (a present
    of several rectangles reports each). A move's lag is the time from the move to the
    first present after it: the frame that can show it. Moves after the last present
    (the drag ends between two frames) have no lag to count."""
    presents = []
    for t in sorted(shown):
        if not presents or t - presents[-1][1] > 2_000_000:
            presents.append([t, t])
        else:
            presents[-1][1] = t
    starts = [p[0] for p in presents]
    lags = []
    i = 0
    for m in moves:
        while i < len(starts) and starts[i] < m:
            i += 1
        if i == len(starts):
            break
        lags.append((starts[i] - m) / 1e6)
    return starts, lags


def one_run(x, program, env, idle_seconds, drag_seconds):
    t0 = time.monotonic_ns()
    proc = subprocess.Popen(LAUNCHER + [program], env=env, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
    watched = {}  # window -> damage
    window = None
    first_frame_ns = None
    try:
        deadline = time.monotonic() + 20
        while first_frame_ns is None:
            if time.monotonic() > deadline:
                raise Failure("%s showed no frame within 20 s" % os.path.basename(program))
            if proc.poll() is not None:
                raise Failure("%s ended at start with %d: %s" % (program, proc.returncode,
                                                                 proc.stderr.read().decode(errors="replace")))
            # A frame counts from the moment its damage report came, not from when its
            # pixels had been read back (which takes milliseconds of its own).
            events, came = x.events(0.05)
            for ev in events:
                if ev.type == CREATE_NOTIFY:
                    c = ev.xcreatewindow
                    # Wine makes its windows at another size first and sizes them later:
                    # under a launcher every new window is watched, and its frame counts
                    # once the window reads back at full size.
                    if c.parent == x.root and (LAUNCHER or (c.width == WIDTH and c.height == HEIGHT)):
                        watched[c.window] = x.watch(c.window)
                        x.lib.XSync(x.dpy, 0)
                        # Drawn into between its creation and the watch: look now.
                        if x.uniform(c.window) is False:
                            first_frame_ns, window = time.monotonic_ns(), c.window
                elif ev.type == x.damage_notify and first_frame_ns is None:
                    w = ev.xdamage.drawable
                    if w in watched and x.uniform(w) is False:
                        first_frame_ns, window = came, w
        # Whatever the program draws in the next half second, up to its settled picture:
        # each damaged rectangle is read back alone (a small read disturbs the program
        # less than the whole window) and compared with what the window showed there.
        settled_ns = first_frame_ns
        shown = x.capture(window)
        settle_end = time.monotonic() + 0.5
        while shown is not None and time.monotonic() < settle_end:
            events, came = x.events(max(0.0, settle_end - time.monotonic()))
            for ev in events:
                if ev.type != x.damage_notify or ev.xdamage.drawable != window:
                    continue
                a = ev.xdamage.area
                ax, ay = max(0, a.x), max(0, a.y)
                aw, ah = min(a.width, WIDTH - ax), min(a.height, HEIGHT - ay)
                if aw <= 0 or ah <= 0:
                    continue
                part = x.capture(window, ax, ay, aw, ah)
                if part is not None and changes(shown, part, ax, ay):
                    settled_ns = came
        for damage in watched.values():
            x.unwatch(damage)
        watched.clear()
        x.events(0)  # drop the damage reports still queued

        hwm_first = vm_hwm_kib(proc.pid)
        idle_ticks, idle_run_ms = cpu_over(proc.pid, idle_seconds)

        moves, shown = [], []  # the times of the pointer's moves and of the window's damage

        def drag(seconds):
            sx, sy = x.to_root(window, *SUBSTRATE)
            x.move(sx, sy)
            time.sleep(0.05)
            x.button(True)
            time.sleep(0.05)
            damage = x.watch(window)
            x.lib.XSync(x.dpy, 0)
            start = time.monotonic_ns()
            end = start + int(seconds * 1e9)
            step = 0
            next_move = start
            while True:
                now = time.monotonic_ns()
                if now >= next_move:
                    if now >= end:
                        break
                    # A loop from the substrate over the enzyme and back, 2 s round.
                    phase = (step % 400) / 400.0
                    dx = int(160 * (1 - abs(1 - 2 * phase)))
                    dy = int(230 * (1 - abs(1 - 2 * ((phase * 2) % 1.0))))
                    x.move(sx + dx, sy + dy)
                    moves.append(time.monotonic_ns())
                    step += 1
                    next_move += 5_000_000  # 200 Hz
                    continue
                # Meanwhile, the damage reports: when the program showed a frame.
                events, came = x.events((next_move - now) / 1e9)
                shown.extend(came for ev in events if ev.type == x.damage_notify and ev.xdamage.drawable == window)
            x.unwatch(damage)
            x.events(0)
            x.move(sx, sy)
            time.sleep(0.02)
            x.button(False)

        drag_ticks, drag_run_ms = cpu_over(proc.pid, drag_seconds, drag)
        presents, lags = presents_and_lags(moves, shown)
        time.sleep(0.2)
        hwm_end = vm_hwm_kib(proc.pid)

        x.close_window_politely(window)
        try:
            _, status, usage = os.wait4(proc.pid, 0)
        except ChildProcessError:
            raise Failure("lost the process")
        proc.returncode = os.waitstatus_to_exitcode(status)
        if proc.returncode != 0:
            raise Failure("%s ended with %d after the close: %s" % (
                program, proc.returncode, proc.stderr.read().decode(errors="replace")))
        return {
            "first_frame_ms": (first_frame_ns - t0) / 1e6,
            "settled_ms": (settled_ns - t0) / 1e6,
            "hwm_first_kib": hwm_first,
            "hwm_end_kib": hwm_end,
            "idle_ticks": idle_ticks,
            "idle_cpu_ms": idle_ticks * TICK_MS,
            "idle_run_ms": idle_run_ms,
            "drag_ticks": drag_ticks,
            "drag_cpu_ms": drag_ticks * TICK_MS,
            "drag_run_ms": drag_run_ms,
            "total_cpu_ms": (usage.ru_utime + usage.ru_stime) * 1000.0,
            "drag_moves": len(moves),
            "drag_presents_per_s": len(presents) / drag_seconds,
            "drag_lag_ms": sorted(lags)[int(0.99 * (len(lags) - 1))] if lags else 0.0,
            "drag_lag_max_ms": max(lags) if lags else 0.0,
        }
    finally:
        for damage in watched.values():
            x.unwatch(damage)
        if proc.poll() is None and proc.returncode is None:
            proc.kill()
            proc.wait()
        if proc.stderr:
            proc.stderr.close()


def start_session_bus():
    """A private session bus: (process, address), or (None, None) without dbus-daemon."""
    if shutil.which("dbus-daemon") is None:
        return None, None
    read_end, write_end = os.pipe()
    proc = subprocess.Popen(["dbus-daemon", "--session", "--nofork", "--nopidfile", "--print-address=%d" % write_end],
                            pass_fds=(write_end,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    os.close(write_end)
    address = b""
    deadline = time.monotonic() + 10
    while not address.endswith(b"\n") and time.monotonic() < deadline:
        ready, _, _ = select.select([read_end], [], [], max(0.0, deadline - time.monotonic()))
        if not ready:
            break
        chunk = os.read(read_end, 256)
        if not chunk:
            break
        address += chunk
    os.close(read_end)
    if not address.endswith(b"\n"):
        proc.kill()
        proc.wait()
        raise Failure("dbus-daemon did not report its address")
    return proc, address.decode().strip()


def load1():
    return os.getloadavg()[0]


def wait_for_load(limit):
    if limit is None:
        return
    deadline = time.monotonic() + 300
    while load1() >= limit and time.monotonic() < deadline:
        time.sleep(5)


# ---------------------------------------------------------------- summary

FIGURES = [
    ("first_frame_ms", "start to first frame", "ms"),
    ("settled_ms", "start to the settled start-up picture", "ms"),
    ("hwm_first_kib", "peak resident memory after the first frame (VmHWM)", "KiB"),
    ("hwm_end_kib", "peak resident memory at the end of the run (VmHWM)", "KiB"),
    ("idle_cpu_ms", "processor time, {idle} s idle (utime+stime)", "ms"),
    ("idle_run_ms", "processor time, {idle} s idle (schedstat run time)", "ms"),
    ("drag_cpu_ms", "processor time, {drag} s drag (utime+stime)", "ms"),
    ("drag_run_ms", "processor time, {drag} s drag (schedstat run time)", "ms"),
    ("total_cpu_ms", "processor time, whole run (rusage)", "ms"),
    ("drag_presents_per_s", "frames shown per second during the drag", "1/s"),
    ("drag_lag_ms", "drag: move to the next frame shown, 99th percentile", "ms"),
    ("drag_lag_max_ms", "drag: move to the next frame shown, longest", "ms"),
]


def summary(runs):
    out = {}
    for key, _, _ in FIGURES:
        values = [r[key] for r in runs]
        out[key] = {"median": statistics.median(values), "min": min(values), "max": max(values)}
    return out


def fmt(v):
    return "%.2f" % v if abs(v) < 100 else "%.0f" % v


def main(argv):
    ap = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    ap.add_argument("morvane")
    ap.add_argument("minimal")
    ap.add_argument("--runs", type=int, default=10)
    ap.add_argument("--json")
    ap.add_argument("--max-load", type=float)
    ap.add_argument("--idle-seconds", type=float, default=10.0)
    ap.add_argument("--drag-seconds", type=float, default=2.0)
    ap.add_argument("--session-bus", choices=["private", "none", "inherit"], default="private")
    ap.add_argument("--also", action="append", default=[], metavar="NAME=PATH",
                    help="another program measured in the same runs (an earlier build, say)")
    ap.add_argument("--locale", action="append", default=[], metavar="NAME=LANG",
                    help="MORVANE again in the same runs, under LANG (ru=ru_RU.UTF-8, say)")
    ap.add_argument("--font-cache", choices=["warm", "cold"], default="warm",
                    help="warm: the font cache of the first (unmeasured) run is kept, as a user's "
                         "later starts find it; cold: it is removed before every run")
    ap.add_argument("--spin", type=int, default=0, metavar="N",
                    help="keep N processes spinning on the processors during the runs (a loaded pass)")
    ap.add_argument("--launcher", help="a program that runs MORVANE and MINIMAL (its first argument), which it "
                    "must replace (exec) so that the process measured is the program's")
    args = ap.parse_args(argv[1:])
    if args.launcher:
        LAUNCHER[:] = [os.path.abspath(args.launcher)]
    for tool in ("Xvfb",):
        if shutil.which(tool) is None:
            print("skipped: %s not installed" % tool)
            return 77

    programs = {"morvane": os.path.abspath(args.morvane), "minimal": os.path.abspath(args.minimal)}
    for also in args.also:
        name, _, path = also.partition("=")
        programs[name] = os.path.abspath(path)
    locales = {name: "C" for name in programs}
    for locale in args.locale:
        name, _, lang = locale.partition("=")
        programs[name] = programs["morvane"]
        locales[name] = lang
    runs = {name: [] for name in programs}
    loads = []
    bus = None
    spinners = [subprocess.Popen([sys.executable, "-c", "while True: pass"]) for _ in range(args.spin)]
    # The programs' cache folder (morvane keeps its font lookups there): private to the runs.
    cache_home = tempfile.mkdtemp(prefix="morvane-bench-cache-")
    xvfb, display = start_xvfb(("-br",))
    x = None
    try:
        x = X11(display)
        env = dict(os.environ, DISPLAY=display, SDL_VIDEODRIVER="x11", XDG_CACHE_HOME=cache_home)
        for variable in ("WAYLAND_DISPLAY", "LANGUAGE", "LC_ALL", "LC_MESSAGES"):
            env.pop(variable, None)
        if args.session_bus == "private":
            bus, address = start_session_bus()
            if bus is None:
                print("no dbus-daemon: running without a session bus")
                args.session_bus = "none"
            else:
                env["DBUS_SESSION_BUS_ADDRESS"] = address
        if args.session_bus == "none":
            env.pop("DBUS_SESSION_BUS_ADDRESS", None)
        # One unmeasured run of each, so that both start from the same warm caches.
        for name, path in programs.items():
            one_run(x, path, dict(env, LANG=locales[name]), 0.1, 0.1)
        names = list(programs)
        for i in range(args.runs):
            wait_for_load(args.max_load)
            # Each program takes each place in the order in turn.
            order = names[i % len(names):] + names[:i % len(names)]
            if i // len(names) % 2:
                order.reverse()
            for name in order:
                if args.font_cache == "cold":
                    shutil.rmtree(os.path.join(cache_home, "morvane"), ignore_errors=True)
                loads.append(load1())
                r = one_run(x, programs[name], dict(env, LANG=locales[name]), args.idle_seconds, args.drag_seconds)
                runs[name].append(r)
                print("run %2d %-8s first frame %7.2f ms, settled %7.2f ms  VmHWM %6d/%6d KiB  idle %5.1f ms  "
                      "drag %6.1f ms  (load %.2f)" % (i + 1, name, r["first_frame_ms"], r["settled_ms"],
                                                      r["hwm_first_kib"], r["hwm_end_kib"], r["idle_run_ms"],
                                                      r["drag_run_ms"], loads[-1]), flush=True)
    except Failure as e:
        print("FAILED:", e)
        return 1
    finally:
        for spinner in spinners:
            spinner.kill()
            spinner.wait()
        shutil.rmtree(cache_home, ignore_errors=True)
        if x:
            x.close()
        if bus:
            bus.terminate()
            bus.wait()
        stop_xvfb(xvfb)

    sums = {name: summary(r) for name, r in runs.items()}
    print()
    print("%-55s %-8s %10s %10s %10s" % ("figure", "program", "median", "min", "max"))
    for key, label, unit in FIGURES:
        label = label.format(idle="%g" % args.idle_seconds, drag="%g" % args.drag_seconds)
        for name in programs:
            s = sums[name][key]
            print("%-55s %-8s %10s %10s %10s" % (label + " (" + unit + ")", name, fmt(s["median"]), fmt(s["min"]),
                                                 fmt(s["max"])))
    print("load average during the runs: median %.2f, min %.2f, max %.2f; session bus: %s; font cache: %s; "
          "spinning processes: %d" % (statistics.median(loads), min(loads), max(loads), args.session_bus,
                                      args.font_cache, args.spin))
    if args.json:
        with open(args.json, "w") as f:
            json.dump({"runs": runs, "summary": sums, "load": loads, "idle_seconds": args.idle_seconds,
                       "font_cache": args.font_cache, "spin": args.spin, "locales": locales,
                       "drag_seconds": args.drag_seconds, "session_bus": args.session_bus,
                       "machine": platform.platform()}, f, indent=1)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
