#!/usr/bin/env python3
"""A player's finger on the keyboard, for follow_click.py: taps a key into the
X server at given moments and reports when the server stamped each tap.

xtest_tapper.py WINDOW KEY
    Reads one monotonic time in nanoseconds a line from stdin and, at that
    moment, presses and releases KEY through XTest. Waits in this process of
    its own, the last stretch awake, and sends the press as one request, so
    that neither a busy reader of the bars nor a tool's own requests to the
    server move the tap. For each tap it prints `sent NS`; for each press the
    WINDOW (the program's, where the focus is) receives, `stamp MS` with the
    server's millisecond stamp, which the program times the key at.

The libraries are X11's and XTest's own (xdotool's packages bring them), used
through ctypes.
"""
import ctypes
import ctypes.util
import sys
import threading
import time

KEY_PRESS = 2
KEY_PRESS_MASK = 1
AWAKE_NS = 2_000_000  # the last stretch before a tap is waited for awake
# XKeyEvent on LP64: type, serial, send_event, display, window, root,
# subwindow, then the time.
TIME_OFFSET = 56
EVENT_SIZE = 24 * 8
STAMP_WAIT_S = 0.5  # for the last press to come back before the end


def libraries():
    x11 = ctypes.CDLL(ctypes.util.find_library("X11") or "libX11.so.6")
    xtst = ctypes.CDLL(ctypes.util.find_library("Xtst") or "libXtst.so.6")
    x11.XOpenDisplay.restype = ctypes.c_void_p
    x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
    x11.XStringToKeysym.restype = ctypes.c_ulong
    x11.XStringToKeysym.argtypes = [ctypes.c_char_p]
    x11.XKeysymToKeycode.restype = ctypes.c_ubyte
    x11.XKeysymToKeycode.argtypes = [ctypes.c_void_p, ctypes.c_ulong]
    x11.XSelectInput.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_long]
    x11.XNextEvent.argtypes = [ctypes.c_void_p, ctypes.c_void_p]
    x11.XFlush.argtypes = [ctypes.c_void_p]
    xtst.XTestFakeKeyEvent.argtypes = [ctypes.c_void_p, ctypes.c_uint, ctypes.c_int, ctypes.c_ulong]
    return x11, xtst


def report(line):
    sys.stdout.write(line + "\n")
    sys.stdout.flush()


def listen(x11, window):
    """Prints the stamp of each key press the window receives."""
    display = x11.XOpenDisplay(None)
    x11.XSelectInput(display, window, KEY_PRESS_MASK)
    x11.XFlush(display)
    event = ctypes.create_string_buffer(EVENT_SIZE)
    while True:
        x11.XNextEvent(display, event)
        if ctypes.c_int.from_buffer(event, 0).value == KEY_PRESS:
            report(f"stamp {ctypes.c_ulong.from_buffer(event, TIME_OFFSET).value}")


def main():
    window, key = int(sys.argv[1], 0), sys.argv[2]
    x11, xtst = libraries()
    x11.XInitThreads()
    display = x11.XOpenDisplay(None)
    if not display:
        sys.exit("xtest_tapper: no X display")
    keycode = x11.XKeysymToKeycode(display, x11.XStringToKeysym(key.encode()))
    threading.Thread(target=listen, args=(x11, window), daemon=True).start()
    report("ready")
    for line in sys.stdin:
        when = int(line)
        rest = when - time.monotonic_ns() - AWAKE_NS
        if rest > 0:
            time.sleep(rest / 1e9)
        while time.monotonic_ns() < when:
            pass
        sent = time.monotonic_ns()
        xtst.XTestFakeKeyEvent(display, keycode, 1, 0)
        x11.XFlush(display)
        xtst.XTestFakeKeyEvent(display, keycode, 0, 0)
        x11.XFlush(display)
        report(f"sent {sent}")
    time.sleep(STAMP_WAIT_S)


if __name__ == "__main__":
    main()
