#!/usr/bin/env python3
"""Drives morvane in a real X window on a private Xvfb server.

The mouse and the keyboard come from xdotool (XTest); the window's pixels are read
back with XGetImage after each step and checked at places taken from the window's
layout: the black form, the title band, the "Reset" button, each picture box's
border and background bands, and which of the boxes shows. The window is closed
with WM_DELETE_WINDOW, as a window manager would, and the process must end with
exit code 0. All of it runs twice, on a server with the shared-memory extension
(MIT-SHM) and on one without, and the settled pictures of the two must be the same.
With --po, the demonstration and the keyboard's run again in each language's locale
(LANG=ru_RU.UTF-8 and so on, which need not be generated), the window found by its
title in that language's catalogue. With --screenshots (the morvane-screenshots
program), each language's start-up window must be its headless painting, pixel for
pixel.

Usage: real_window_test.py MORVANE [--shots DIR] [--po DIR] [--screenshots PROGRAM]
Exit codes: 0 passed, 1 failed, 77 skipped (no Xvfb or xdotool).
"""

import atexit
import ctypes
import os
import shutil
import struct
import subprocess
import sys
import tempfile
import time
import zlib

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
from catalogue import read_catalogue  # noqa: E402
from xvfb import ERROR_HANDLER, Failure, XClientMessageEvent, XImage, start_xvfb, stop_xvfb  # noqa: E402

SKIP = 77
ENGLISH_TITLE = "What Do Enzymes Do?"
TITLE_PATTERN = r"^What Do Enzymes Do\?$"  # xdotool's, for an ASCII title

# Each carried language and the locale a user of it has.
LANGUAGES = [("es", "es_ES.UTF-8"), ("fr", "fr_FR.UTF-8"), ("de", "de_DE.UTF-8"), ("pt_BR", "pt_BR.UTF-8"),
             ("ru", "ru_RU.UTF-8"), ("zh_CN", "zh_CN.UTF-8"), ("ar", "ar_EG.UTF-8"), ("hi", "hi_IN.UTF-8")]

WIDTH, HEIGHT = 663, 510

# The controls' rectangles in client pixels: left, top, width, height.
LABEL = (192, 0, 281, 33)
BUTTON = (512, 72, 81, 33)
PICTURE1 = (200, 272, 273, 233)  # the free enzyme
PICTURE2 = (192, 64, 209, 201)   # the substrate (dragged)
PICTURE3 = (176, 48, 241, 217)   # the product
PICTURE4 = (216, 272, 257, 233)  # the complex

BLACK, WHITE, FACE, SHADOW, LIGHT = 0x000000, 0xFFFFFF, 0xC0C0C0, 0x808080, 0xDFDFDF


# ---------------------------------------------------------------- X11 through ctypes

class XEvent(ctypes.Union):
    _fields_ = [("xclient", XClientMessageEvent), ("pad", ctypes.c_long * 24)]



class X11:
    CLIENT_MESSAGE = 33
    Z_PIXMAP = 2

    def __init__(self, display):
        self.lib = ctypes.CDLL("libX11.so.6")
        lib = self.lib
        lib.XOpenDisplay.restype = ctypes.c_void_p
        lib.XOpenDisplay.argtypes = [ctypes.c_char_p]
        lib.XInternAtom.restype = ctypes.c_ulong
        lib.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
        lib.XGetImage.restype = ctypes.POINTER(XImage)
        lib.XGetImage.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_int, ctypes.c_uint,
                                  ctypes.c_uint, ctypes.c_ulong, ctypes.c_int]
        lib.XSendEvent.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_long,
                                   ctypes.POINTER(XEvent)]
        lib.XFree.argtypes = [ctypes.c_void_p]
        lib.XFlush.argtypes = [ctypes.c_void_p]
        lib.XSync.argtypes = [ctypes.c_void_p, ctypes.c_int]
        lib.XCloseDisplay.argtypes = [ctypes.c_void_p]
        lib.XSetInputFocus.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_ulong]
        lib.XSetErrorHandler.restype = ctypes.c_void_p
        lib.XSetErrorHandler.argtypes = [ERROR_HANDLER]
        self.errors = 0

        def on_error(_display, _event):
            self.errors += 1
            return 0

        self._handler = ERROR_HANDLER(on_error)  # kept alive for Xlib
        lib.XSetErrorHandler(self._handler)
        self.dpy = lib.XOpenDisplay(display.encode())
        if not self.dpy:
            raise Failure("cannot connect to the X server " + display)

    def close(self):
        self.lib.XCloseDisplay(self.dpy)

    def capture(self, window, width=WIDTH, height=HEIGHT):
        """The window's pixels as a Shot, or None if the window cannot be read."""
        self.errors = 0
        image = self.lib.XGetImage(self.dpy, window, 0, 0, width, height, 0xFFFFFFFF, self.Z_PIXMAP)
        self.lib.XSync(self.dpy, 0)
        if not image or self.errors:
            return None
        try:
            im = image.contents
            if im.bits_per_pixel != 32 or im.red_mask != 0xFF0000 or im.blue_mask != 0xFF:
                raise Failure("unexpected X image format: %d bits per pixel, masks %x/%x/%x" % (
                    im.bits_per_pixel, im.red_mask, im.green_mask, im.blue_mask))
            data = ctypes.string_at(im.data, im.bytes_per_line * im.height)
            return Shot(data, im.width, im.height, im.bytes_per_line, little=(im.byte_order == 0))
        finally:
            self.lib.XFree(image.contents.data)
            self.lib.XFree(image)

    def utf8_title(self, window):
        """The window's _NET_WM_NAME (the title a window manager shows), or None."""
        lib = self.lib
        lib.XGetWindowProperty.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_ulong, ctypes.c_long,
                                           ctypes.c_long, ctypes.c_int, ctypes.c_ulong,
                                           ctypes.POINTER(ctypes.c_ulong), ctypes.POINTER(ctypes.c_int),
                                           ctypes.POINTER(ctypes.c_ulong), ctypes.POINTER(ctypes.c_ulong),
                                           ctypes.POINTER(ctypes.c_void_p)]
        name = lib.XInternAtom(self.dpy, b"_NET_WM_NAME", 0)
        utf8 = lib.XInternAtom(self.dpy, b"UTF8_STRING", 0)
        kind, fmt, count, after, data = ctypes.c_ulong(), ctypes.c_int(), ctypes.c_ulong(), ctypes.c_ulong(), \
            ctypes.c_void_p()
        if lib.XGetWindowProperty(self.dpy, window, name, 0, 1024, 0, utf8, ctypes.byref(kind), ctypes.byref(fmt),
                                  ctypes.byref(count), ctypes.byref(after), ctypes.byref(data)) != 0 or not data:
            return None
        try:
            return ctypes.string_at(data, count.value).decode("utf-8", "replace")
        finally:
            lib.XFree(data)

    def take_keyboard_away(self):
        """Gives the keyboard focus to no window, as switching to another program does."""
        self.lib.XSetInputFocus(self.dpy, 0, 0, 0)  # None, RevertToNone, CurrentTime
        self.lib.XFlush(self.dpy)

    def close_window_politely(self, window):
        """Asks the window to close the way a window manager does: WM_DELETE_WINDOW."""
        protocols = self.lib.XInternAtom(self.dpy, b"WM_PROTOCOLS", 0)
        delete = self.lib.XInternAtom(self.dpy, b"WM_DELETE_WINDOW", 0)
        ev = XEvent()
        ev.xclient.type = self.CLIENT_MESSAGE
        ev.xclient.window = window
        ev.xclient.message_type = protocols
        ev.xclient.format = 32
        ev.xclient.data[0] = delete
        ev.xclient.data[1] = 0  # CurrentTime
        self.lib.XSendEvent(self.dpy, window, 0, 0, ctypes.byref(ev))
        self.lib.XFlush(self.dpy)


class Shot:
    """One capture of the client area; px(x, y) gives 0xRRGGBB."""

    def __init__(self, data, width, height, stride, little):
        self.data, self.width, self.height, self.stride, self.little = data, width, height, stride, little

    def px(self, x, y):
        i = y * self.stride + x * 4
        b = self.data[i:i + 4]
        v = b[0] | b[1] << 8 | b[2] << 16 if self.little else b[3] | b[2] << 8 | b[1] << 16
        return v & 0xFFFFFF

    def count(self, rect, test):
        x0, y0, w, h = rect
        return sum(1 for y in range(y0, y0 + h) for x in range(x0, x0 + w) if test(self.px(x, y)))

    def same(self, other):
        return other is not None and self.data == other.data

    def rgb_rows(self):
        """Each row's pixels as R, G, B bytes."""
        for y in range(self.height):
            row = self.data[y * self.stride:y * self.stride + self.width * 4]
            rgb = bytearray(self.width * 3)
            if self.little:
                rgb[0::3], rgb[1::3], rgb[2::3] = row[2::4], row[1::4], row[0::4]
            else:
                rgb[0::3], rgb[1::3], rgb[2::3] = row[1::4], row[2::4], row[3::4]
            yield bytes(rgb)

    def save_png(self, path):
        rows = b"".join(b"\0" + rgb for rgb in self.rgb_rows())

        def chunk(kind, body):
            return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body))

        with open(path, "wb") as f:
            f.write(b"\x89PNG\r\n\x1a\n")
            f.write(chunk(b"IHDR", struct.pack(">IIBBBBB", self.width, self.height, 8, 2, 0, 0, 0)))
            f.write(chunk(b"IDAT", zlib.compress(bytes(rows), 6)))
            f.write(chunk(b"IEND", b""))


def check_painted_like_headless(shot, screenshots, language):
    """The window's start-up picture (its fonts looked up while the display was being
    reached) must be the headless platform's, painted in one go, pixel for pixel."""
    with tempfile.TemporaryDirectory() as folder:
        subprocess.run([screenshots, folder, "--language", language], check=True, stdout=subprocess.DEVNULL)
        headless = subprocess.run(["convert", os.path.join(folder, "start.png"), "-depth", "8", "rgb:-"],
                                  check=True, stdout=subprocess.PIPE).stdout
    shown = b"".join(shot.rgb_rows())
    if shown != headless:
        differ = sum(1 for i in range(0, min(len(shown), len(headless)), 3) if shown[i:i + 3] != headless[i:i + 3])
        raise Failure("%s: the start-up window differs from the headless painting (%d against %d bytes, %d pixels)"
                      % (language, len(shown), len(headless), differ))


# ---------------------------------------------------------------- what the window should show

def bright(c):
    return (c >> 16) > 0x80 and ((c >> 8) & 0xFF) > 0x80 and (c & 0xFF) > 0x80


def red(c):
    return (c >> 16) > 0xC0 and ((c >> 8) & 0xFF) < 0x60 and (c & 0xFF) < 0x60


def client(rect):
    x, y, w, h = rect
    return (x + 2, y + 2, w - 4, h - 4)


def problems_common(s):
    """The form, the title and the button: the same in every state."""
    p = []
    for x, y in [(20, 20), (150, 300), (600, 300), (650, 500), (500, 200), (100, 100), (620, 40)]:
        if s.px(x, y) != BLACK:
            p.append("form at %d,%d is %06x, not black" % (x, y, s.px(x, y)))
    lit = s.count(LABEL, bright)
    if lit < 100:
        p.append("the title band has %d light pixels: no text" % lit)
    if s.count(LABEL, lambda c: c == BLACK) < LABEL[2] * LABEL[3] // 2:
        p.append("the title band is not black")
    if s.count((473, 0, 39, 40), lambda c: c != BLACK) or s.count((150, 33, 362, 15), lambda c: c != BLACK):
        p.append("something is drawn around the title band")
    if s.px(514, 90) != FACE or s.px(560, 100) != FACE:
        p.append("the button face is %06x, not grey" % s.px(514, 90))
    if s.count((514, 76, 77, 25), lambda c: (c & 0x808080) == 0) < 30:
        p.append("the button shows no dark caption")
    return p


def problems_box(s, rect, name):
    x, y, w, h = rect
    want = {(x, y): SHADOW, (x + 1, y + 1): BLACK, (x + w - 1, y + h - 1): WHITE, (x + w - 2, y + h - 2): LIGHT,
            (x, y + h // 2): SHADOW, (x + w - 1, y + h // 2): WHITE}
    return ["%s border at %d,%d is %06x, not %06x" % (name, px, py, s.px(px, py), c)
            for (px, py), c in want.items() if s.px(px, py) != c]


def problems_state(s, state):
    p = problems_common(s)
    if state == "Start":
        p += problems_box(s, PICTURE1, "enzyme") + problems_box(s, PICTURE2, "substrate")
        for pt, c in [((440, 400), FACE), ((300, 490), FACE), ((397, 150), WHITE), ((398, 150), WHITE),
                      ((176, 150), BLACK), ((405, 150), BLACK)]:
            if s.px(*pt) != c:
                p.append("Start: %d,%d is %06x, not %06x" % (pt + (s.px(*pt), c)))
        if s.count(client(PICTURE2), red) < 500:
            p.append("Start: no red substrate in its box")
        if s.count(client(PICTURE1), red):
            p.append("Start: red in the enzyme's box")
    elif state == "Complex":
        p += problems_box(s, PICTURE4, "complex")
        for pt, c in [((440, 400), FACE), ((300, 490), FACE), ((200, 400), BLACK), ((192, 150), BLACK),
                      ((176, 150), BLACK), ((300, 150), BLACK)]:
            if s.px(*pt) != c:
                p.append("Complex: %d,%d is %06x, not %06x" % (pt + (s.px(*pt), c)))
        if s.count(client(PICTURE4), red) < 500:
            p.append("Complex: no red in the complex's box")
    elif state == "Product":
        p += problems_box(s, PICTURE1, "enzyme") + problems_box(s, PICTURE3, "product")
        for pt, c in [((440, 400), FACE), ((300, 490), FACE), ((400, 150), FACE), ((300, 256), FACE)]:
            if s.px(*pt) != c:
                p.append("Product: %d,%d is %06x, not %06x" % (pt + (s.px(*pt), c)))
        if s.count(client(PICTURE3), red) < 500:
            p.append("Product: no red product in its box")
        if s.count(client(PICTURE1), red):
            p.append("Product: red in the enzyme's box")
    return p


def button_focused(s):
    # The dotted focus rectangle, 3 pixels in from the button's edge.
    return s.px(515, 75) == BLACK and s.px(516, 75) == FACE and s.px(517, 75) == BLACK


def button_pushed(s):
    return s.px(512, 72) == BLACK and s.px(513, 73) == SHADOW


def button_raised(s):
    return s.px(512, 72) == WHITE and s.px(591, 103) == SHADOW


# ---------------------------------------------------------------- the run

class Session:
    def __init__(self, morvane, display, shots, locale="C.UTF-8", title=ENGLISH_TITLE):
        self.morvane, self.display, self.shots, self.title = morvane, display, shots, title
        self.x = X11(display)
        # A cache folder of its own: the program keeps its font lookups there.
        cache = tempfile.mkdtemp(prefix="morvane-window-test-cache-")
        atexit.register(shutil.rmtree, cache, True)
        self.env = dict(os.environ, DISPLAY=display, SDL_VIDEODRIVER="x11", XDG_CACHE_HOME=cache, LANG=locale)
        for name in ("WAYLAND_DISPLAY", "LANGUAGE", "LC_ALL", "LC_MESSAGES"):
            self.env.pop(name, None)
        self.proc = None
        self.window = None
        self.steps = 0
        self.pictures = {}  # settled pictures by name, compared between the servers

    def start(self):
        t0 = time.monotonic()
        self.proc = subprocess.Popen([self.morvane], env=self.env, stdout=subprocess.PIPE, stderr=subprocess.PIPE)
        deadline = t0 + 15
        while time.monotonic() < deadline:
            if self.proc.poll() is not None:
                raise Failure("morvane ended at start with %d: %s" % (self.proc.returncode,
                                                                        self.proc.stderr.read().decode()))
            # xdotool matches names in its own locale's encoding: the window is found by
            # its process and its UTF-8 title read here.
            out = self.xdo("search", "--onlyvisible", "--pid", self.proc.pid, check=False)
            titled = [int(w) for w in out.split() if self.x.utf8_title(int(w)) == self.title]
            if titled:
                self.window = titled[0]
                shot = self.wait_for("the first picture", lambda s: not problems_common(s), timeout=10)
                return time.monotonic() - t0, shot
            time.sleep(0.02)
        raise Failure("no window titled \"%s\" appeared" % self.title)

    def xdo(self, *args, check=True):
        r = subprocess.run(["xdotool"] + [str(a) for a in args], env=self.env, capture_output=True, text=True,
                           timeout=20)
        if check and r.returncode != 0:
            raise Failure("xdotool %s failed: %s" % (" ".join(map(str, args)), r.stderr.strip()))
        return r.stdout

    def move(self, x, y):
        self.xdo("mousemove", "--window", self.window, x, y)

    def shot(self, size=(WIDTH, HEIGHT)):
        return self.x.capture(self.window, *size)

    def wait_for(self, what, ok, timeout=5.0, size=(WIDTH, HEIGHT)):
        """Captures until ok(shot) holds; fails with the last capture's problems."""
        deadline = time.monotonic() + timeout
        last = None
        while True:
            s = self.shot(size)
            if s is not None:
                last = s
                if ok(s):
                    return s
            if time.monotonic() > deadline:
                detail = ""
                if last is not None and (last.width, last.height) == (WIDTH, HEIGHT):
                    for st in ("Start", "Complex", "Product"):
                        detail += "\n  as %s: %s" % (st, "; ".join(problems_state(last, st)[:4]) or "fine")
                    self.save(last, "failed")
                raise Failure("timed out waiting for %s%s" % (what, detail))
            time.sleep(0.03)

    def expect_state(self, state, step):
        s = self.wait_for("the %s state after %s" % (state, step), lambda s: not problems_state(s, state))
        self.steps += 1
        self.save(s, "%02d-%s" % (self.steps, state))
        return s

    def save(self, shot, name):
        if self.shots:
            shot.save_png(os.path.join(self.shots, name + ".png"))

    def drag(self, start, end, via=None, steps=6, check_mid=None):
        self.move(*start)
        self.xdo("mousedown", 1)
        points = ([via] if via else []) + [end]
        here = start
        for target in points:
            for i in range(1, steps + 1):
                self.move(here[0] + (target[0] - here[0]) * i // steps, here[1] + (target[1] - here[1]) * i // steps)
                time.sleep(0.01)
            here = target
            if check_mid and target == via:
                check_mid()
        self.xdo("mouseup", 1)

    def click(self, x, y):
        self.move(x, y)
        self.xdo("click", 1)

    def key(self, name):
        self.xdo("key", name)

    def close_and_wait(self):
        self.x.close_window_politely(self.window)
        try:
            rc = self.proc.wait(timeout=10)
        except subprocess.TimeoutExpired:
            self.proc.kill()
            self.proc.wait()
            raise Failure("morvane did not end after WM_DELETE_WINDOW")
        err = self.proc.stderr.read().decode()
        if rc != 0:
            raise Failure("morvane ended with exit code %d after the close: %s" % (rc, err))
        self.proc = None
        return err

    def cpu_ticks(self):
        with open("/proc/%d/stat" % self.proc.pid) as f:
            fields = f.read().rsplit(")", 1)[1].split()
        return int(fields[11]) + int(fields[12])

    def stop(self):
        if self.proc and self.proc.poll() is None:
            self.proc.kill()
            self.proc.wait()
        self.x.close()


# Where the outline of the dragged substrate lies when the pointer, having taken the
# box at 290,150 (98,86 inside it), is at 560,300: 462,214 209x201, over the bare form.
def outline_over_form(s):
    return s.px(520, 214) == WHITE and s.px(520, 215) == WHITE and s.px(520, 216) == BLACK and \
        s.px(520, 413) == WHITE and s.px(520, 414) == WHITE and s.px(520, 412) == BLACK


def run_demonstration(session):
    start_seconds, first = session.start()
    print("window shown %.0f ms after start" % (start_seconds * 1000))
    s = session.expect_state("Start", "start-up")
    session.pictures["start-up"] = s
    if button_focused(s):
        raise Failure("the button has the focus at start; the enzyme's box should")

    # Drag the substrate onto the enzyme, through the bare form, checking the outline.
    def outline_check():
        session.pictures["drag outline"] = session.wait_for("the drag outline over the form", outline_over_form)
        session.save(session.pictures["drag outline"], "%02d-dragging" % session.steps)
    session.drag((290, 150), (330, 380), via=(560, 300), check_mid=outline_check)
    s = session.expect_state("Complex", "the drop on the enzyme")
    session.pictures["after the drop"] = s
    if s.px(520, 214) != BLACK:
        raise Failure("the drag outline stayed behind")
    if not button_focused(s):
        raise Failure("the focus did not move on to the button when the enzyme's box was hidden")

    session.click(340, 380)
    session.expect_state("Product", "the click on the complex")
    session.click(552, 88)
    s = session.expect_state("Start", "the click on Reset")
    session.wait_for("the button raised again", button_raised)

    # Drops anywhere but on the enzyme change nothing.
    for name, target in [("the title", (330, 15)), ("the button", (552, 88)), ("the bare form", (600, 420)),
                         ("the substrate itself", (300, 160)), ("outside the window", (700, 200))]:
        before = session.shot()
        session.drag((290, 150), target)
        session.wait_for("the window unchanged after a drop on " + name, lambda s: s.same(before))
        if problems_state(session.shot(), "Start"):
            raise Failure("a drop on %s left the Start state" % name)

    # The keyboard. The focus is on the button (Reset was clicked).
    session.xdo("windowfocus", session.window, check=False)
    session.wait_for("the focus rectangle on Reset", button_focused)

    def tab_cycle(state, expected):
        """From the focused button, Tab must come back to it after `expected` presses.
        Moves between picture boxes show nothing, so those presses get time to land."""
        session.key("Tab")
        session.wait_for("Tab 1 in %s moving off Reset" % state, lambda s: not button_focused(s))
        for n in range(2, expected):
            session.key("Tab")
            time.sleep(0.3)
            if button_focused(session.shot()):
                raise Failure("%s: Tab came back to Reset after %d presses, not %d" % (state, n, expected))
        session.key("Tab")
        session.wait_for("Tab %d in %s back to Reset" % (expected, state), button_focused)

    tab_cycle("Start", 3)  # enzyme, substrate, Reset
    session.key("shift+Tab")
    session.wait_for("Shift+Tab away from Reset", lambda s: not button_focused(s))
    session.key("Tab")
    session.wait_for("Tab back to Reset", button_focused)

    session.drag((290, 150), (330, 380))
    session.expect_state("Complex", "the second drop")
    tab_cycle("Complex", 2)  # complex, Reset
    session.xdo("keydown", "space")
    session.wait_for("Reset pushed while Space is held", button_pushed)
    if problems_state(session.shot(), "Complex"):
        raise Failure("Space reset before it was released")
    session.xdo("keyup", "space")
    session.expect_state("Start", "Space on Reset")

    session.drag((290, 150), (330, 380))
    session.expect_state("Complex", "the third drop")
    session.wait_for("the focus on Reset", button_focused)
    session.key("Return")
    session.expect_state("Start", "Enter on Reset")

    session.drag((290, 150), (330, 380))
    session.expect_state("Complex", "the fourth drop")
    session.click(340, 380)
    session.expect_state("Product", "the second click on the complex")
    session.wait_for("the focus on Reset", button_focused)
    tab_cycle("Product", 3)  # enzyme, product, Reset
    product = session.shot()

    # A larger window shows the form's black beyond the design size, the controls in
    # their places; a smaller one cuts them off; the design size brings all back.
    session.xdo("windowsize", session.window, 800, 600)
    big = session.wait_for("the form's background over the enlarged window",
                           lambda s: all(s.px(x, y) == BLACK for x, y in [(700, 300), (799, 599), (100, 560)])
                           and not problems_state(s, "Product"), size=(800, 600))
    session.save(big, "%02d-enlarged" % session.steps)
    session.pictures["enlarged"] = big
    session.xdo("windowsize", session.window, 400, 300)
    session.wait_for("the window cut to 400x300: the top-left of the same picture",
                     lambda s: all(s.px(x, y) == product.px(x, y) for x in range(0, 400, 3) for y in range(0, 300, 3)),
                     size=(400, 300))
    session.xdo("windowsize", session.window, WIDTH, HEIGHT)
    session.expect_state("Product", "the window back at its design size")

    # Idle: waiting for events, not polling for them.
    t0 = session.cpu_ticks()
    time.sleep(1.0)
    idle = session.cpu_ticks() - t0
    print("CPU while idle for 1 s: %d ticks" % idle)
    if idle > 30:
        raise Failure("morvane used %d clock ticks in one idle second: it does not wait for events" % idle)

    err = session.close_and_wait()
    if err.strip():
        raise Failure("morvane wrote to standard error: " + err)


def ring_on(rect):
    """The focus ring: 2 pixels wide, one bare pixel outside the box's left edge."""
    x, y, w, h = rect
    return lambda s: s.px(x - 3, y + h // 2) == WHITE and s.px(x - 2, y + h // 2) == WHITE and \
        s.px(x - 1, y + h // 2) == BLACK


def run_keyboard_demonstration(session):
    """The whole demonstration with the keyboard alone, and drags that change nothing."""
    session.start()
    session.expect_state("Start", "start-up")
    if s_has_ring(session.shot()):
        raise Failure("a focus ring shows before any key was pressed")
    session.xdo("windowfocus", session.window, check=False)
    session.key("Tab")
    session.wait_for("the focus ring around the substrate", ring_on(PICTURE2))

    # Picked up: the outline a step (4 pixels) inside the box, over its picture, inverted.
    inside = session.shot().px(196, 68)
    session.key("space")
    session.wait_for("the outline inside the picked-up substrate", lambda s: s.px(196, 68) == inside ^ WHITE)
    for _ in range(3):
        session.key("shift+Down")
    # Its left edge crosses the bare strip above the enzyme's box.
    session.wait_for("the outline moved onto the enzyme", lambda s: s.px(196, 269) == WHITE and s.px(196, 68) == inside)
    session.save(session.shot(), "%02d-keyboard-drag" % session.steps)
    session.key("space")
    session.expect_state("Complex", "the substrate put down on the enzyme with Space")
    session.wait_for("the focus on Reset", button_focused)
    session.key("Tab")
    session.wait_for("the focus ring around the complex", ring_on(PICTURE4))
    session.key("space")
    session.expect_state("Product", "Space on the complex")
    session.wait_for("the focus on Reset", button_focused)
    session.key("Return")
    session.expect_state("Start", "Enter on Reset")

    # Cancelled drags and drops on the wrong place leave the window as it was.
    session.key("Tab")
    session.key("Tab")
    before = session.wait_for("the focus ring around the substrate again", ring_on(PICTURE2))
    cases = [("Escape", ["shift+Down"] * 3, "Escape"),
             ("a drop on the bare form", ["shift+Right"] * 3, "space"),
             ("a drop on Reset", ["shift+Right"] * 6 + ["shift+Up"] * 2, "Return"),
             ("Tab during the drag, then Escape", ["shift+Down", "Tab", "shift+Tab"], "Escape")]
    for name, moves, end in cases:
        session.key("space")
        session.wait_for("the outline picked up for " + name, lambda s: s.px(196, 68) == before.px(196, 68) ^ WHITE)
        for k in moves:
            session.key(k)
        session.key(end)
        session.wait_for("the window unchanged after " + name, lambda s: s.same(before))
    session.key("space")
    session.key("shift+Down")
    session.wait_for("the outline picked up again", lambda s: s.px(196, 108) == before.px(196, 108) ^ WHITE)
    session.x.take_keyboard_away()
    session.wait_for("the window unchanged after it lost the keyboard", lambda s: s.same(before))
    session.xdo("windowfocus", session.window, check=False)
    session.key("space")
    for _ in range(3):
        session.key("shift+Down")
    session.wait_for("the outline over the enzyme", lambda s: s.px(196, 269) == WHITE)
    session.click(600, 420)  # on the bare form: cancels, and the press hides the focus ring
    session.wait_for("no outline and no ring after a click elsewhere",
                     lambda s: s.px(196, 269) == BLACK and not s_has_ring(s) and not problems_state(s, "Start"))
    err = session.close_and_wait()
    if err.strip():
        raise Failure("morvane wrote to standard error: " + err)


def s_has_ring(s):
    return any(ring_on(r)(s) for r in (PICTURE1, PICTURE2, PICTURE3, PICTURE4))


def run_close_during_drag(session):
    """Closing the window in the middle of a drag ends the program all the same."""
    session.start()
    session.move(290, 150)
    session.xdo("mousedown", 1)
    try:
        session.move(400, 300)
        # The outline's right edge (x 509-510) lies over the bare form.
        session.wait_for("the drag outline", lambda s: s.px(509, 240) == WHITE and s.px(511, 240) == BLACK)
        session.close_and_wait()
    finally:
        session.xdo("mouseup", 1, check=False)


def check_no_display(morvane):
    """Without a display: one clear line on standard error, a non-zero exit, no crash."""
    env = dict(os.environ)
    for k in ("DISPLAY", "WAYLAND_DISPLAY"):
        env.pop(k, None)
    for driver in (None, "x11"):
        e = dict(env)
        if driver:
            e["SDL_VIDEODRIVER"] = driver
        else:
            e.pop("SDL_VIDEODRIVER", None)
        r = subprocess.run([morvane], env=e, capture_output=True, text=True, timeout=30)
        lines = r.stderr.strip().splitlines()
        if r.returncode <= 0 or len(lines) != 1 or "display" not in lines[0]:
            raise Failure("without a display (driver %s): exit %d, stderr %r" % (driver, r.returncode, r.stderr))


def play(run, session, label):
    """One run in its own session, which is stopped whatever happens; the session after it."""
    try:
        run(session)
        print("%s: passed" % label)
    finally:
        session.stop()
    return session


def run_languages(morvane, po, shots, screenshots):
    """Each language's demonstration and keyboard run, on a server with MIT-SHM; 1 on a failure."""
    xvfb, display = start_xvfb(())
    try:
        for tag, locale in LANGUAGES:
            title = read_catalogue(os.path.join(po, tag + ".po"))["Form1 caption"]
            print("-- %s (LANG=%s): \"%s\"" % (tag, locale, title))
            for run in (run_demonstration, run_keyboard_demonstration):
                where = shots and os.path.join(shots, tag, "" if run is run_demonstration else "keyboard")
                if where:
                    os.makedirs(where, exist_ok=True)
                session = play(run, Session(morvane, display, where, locale, title), "%s in %s" % (run.__name__, tag))
                if screenshots and run is run_demonstration:
                    check_painted_like_headless(session.pictures["start-up"], screenshots, tag)
    except Failure as e:
        print("FAILED (%s):" % tag, e)
        return 1
    finally:
        stop_xvfb(xvfb)
    return 0


def main(argv):
    if len(argv) < 2:
        print(__doc__)
        return 2
    morvane = argv[1]
    shots = argv[argv.index("--shots") + 1] if "--shots" in argv else None
    po = argv[argv.index("--po") + 1] if "--po" in argv else None
    screenshots = argv[argv.index("--screenshots") + 1] if "--screenshots" in argv else None
    if shots:
        os.makedirs(shots, exist_ok=True)
    try:
        check_no_display(morvane)
        print("without a display: one line on stderr, non-zero exit")
    except Failure as e:
        print("FAILED:", e)
        return 1
    missing = [t for t in ("Xvfb", "xdotool") if shutil.which(t) is None]
    if missing:
        print("skipped: %s not installed" % " and ".join(missing))
        return SKIP

    # The program shows its frames through the X server's shared memory where it has
    # it, and through SDL's window surface where it has not: both must show the same
    # pixels.
    servers = [("with MIT-SHM", ()), ("without MIT-SHM", ("-extension", "MIT-SHM"))]
    pictures = {}
    for server, extra_args in servers:
        print("-- X server %s" % server)
        xvfb, display = start_xvfb(extra_args)
        try:
            for run in (run_demonstration, run_keyboard_demonstration, run_close_during_drag):
                where = {run_demonstration: shots, run_keyboard_demonstration: shots and os.path.join(shots, "keyboard")}
                if where.get(run) and server == servers[0][0]:
                    os.makedirs(where[run], exist_ok=True)
                session = play(run, Session(morvane, display, where.get(run) if server == servers[0][0] else None),
                               run.__name__)
                if run is run_demonstration:
                    pictures[server] = session.pictures
        except Failure as e:
            print("FAILED (X server %s):" % server, e)
            return 1
        finally:
            stop_xvfb(xvfb)
    if screenshots:
        try:
            check_painted_like_headless(pictures[servers[0][0]]["start-up"], screenshots, "en")
        except Failure as e:
            print("FAILED:", e)
            return 1
        print("the start-up window is its headless painting, pixel for pixel")
    first, second = (pictures[name] for name, _ in servers)
    differ = [name for name in first if not first[name].same(second.get(name))]
    if differ:
        print("FAILED: the pictures differ between the X servers with and without MIT-SHM: " + ", ".join(differ))
        return 1
    print("the same %d pictures with and without MIT-SHM" % len(first))
    if po and run_languages(morvane, po, shots, screenshots):
        return 1
    print("real window: passed")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
