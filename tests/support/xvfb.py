"""A private Xvfb server and the Xlib structures that the window tests and the
whole-process benchmark read through ctypes."""

import ctypes
import os
import select
import subprocess
import time


class Failure(Exception):
    pass


class XImage(ctypes.Structure):
    _fields_ = [
        ("width", ctypes.c_int), ("height", ctypes.c_int), ("xoffset", ctypes.c_int), ("format", ctypes.c_int),
        ("data", ctypes.c_void_p), ("byte_order", ctypes.c_int), ("bitmap_unit", ctypes.c_int),
        ("bitmap_bit_order", ctypes.c_int), ("bitmap_pad", ctypes.c_int), ("depth", ctypes.c_int),
        ("bytes_per_line", ctypes.c_int), ("bits_per_pixel", ctypes.c_int), ("red_mask", ctypes.c_ulong),
        ("green_mask", ctypes.c_ulong), ("blue_mask", ctypes.c_ulong),
    ]


class XClientMessageEvent(ctypes.Structure):
    _fields_ = [
        ("type", ctypes.c_int), ("serial", ctypes.c_ulong), ("send_event", ctypes.c_int),
        ("display", ctypes.c_void_p), ("window", ctypes.c_ulong), ("message_type", ctypes.c_ulong),
        ("format", ctypes.c_int), ("data", ctypes.c_long * 5),
    ]


ERROR_HANDLER = ctypes.CFUNCTYPE(ctypes.c_int, ctypes.c_void_p, ctypes.c_void_p)


def start_xvfb(extra_args=()):
    """Starts Xvfb on the first free display (it reports the number through a pipe);
    returns the process and the display's name."""
    read_end, write_end = os.pipe()
    proc = subprocess.Popen(["Xvfb", "-displayfd", str(write_end), "-noreset", *extra_args, "-nolisten", "tcp",
                             "-screen", "0", "1024x768x24"], pass_fds=(write_end,),
                            stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
    os.close(write_end)
    number = b""
    deadline = time.monotonic() + 20
    while not number.endswith(b"\n"):
        ready, _, _ = select.select([read_end], [], [], max(0.0, deadline - time.monotonic()))
        if not ready:
            proc.kill()
            raise Failure("Xvfb did not report its display")
        chunk = os.read(read_end, 16)
        if not chunk:
            proc.wait()
            raise Failure("Xvfb ended at start: " + proc.stderr.read().decode(errors="replace"))
        number += chunk
    os.close(read_end)
    return proc, ":" + number.decode().strip()


def stop_xvfb(proc):
    proc.terminate()
    try:
        proc.wait(timeout=10)
    except subprocess.TimeoutExpired:
        proc.kill()
        proc.wait()
