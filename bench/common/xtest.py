"""Key events made by the X server itself, as a keyboard's are (XTest), and
the server's stamps of the presses a window receives, through X11's and
XTest's own libraries (xdotool's packages bring them) by ctypes."""
import ctypes
import threading

KEY_PRESS = 2
KEY_PRESS_MASK = 1
REVERT_TO_PARENT = 2
# XKeyEvent on LP64: type, serial, send_event, display, window, root,
# subwindow, then the time.
EVENT_TIME_OFFSET = 56
EVENT_SIZE = 24 * 8
MS_NS = 1_000_000


def stamp_arrival_ns(stamp_ms):
    """Where on the monotonic clock a press the X server stamped `stamp_ms`
    is taken to have arrived, as the program takes it: the middle of the
    millisecond."""
    return stamp_ms * MS_NS + MS_NS // 2


def _libraries():
    x11 = ctypes.CDLL("libX11.so.6")
    xtst = ctypes.CDLL("libXtst.so.6")
    x11.XOpenDisplay.restype = ctypes.c_void_p
    x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
    x11.XStringToKeysym.restype = ctypes.c_ulong
    x11.XStringToKeysym.argtypes = [ctypes.c_char_p]
    x11.XKeysymToKeycode.restype = ctypes.c_ubyte
    x11.XKeysymToKeycode.argtypes = [ctypes.c_void_p, ctypes.c_ulong]
    x11.XSetInputFocus.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_ulong]
    x11.XSelectInput.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_long]
    x11.XNextEvent.argtypes = [ctypes.c_void_p, ctypes.c_void_p]
    x11.XSync.argtypes = [ctypes.c_void_p, ctypes.c_int]
    x11.XFlush.argtypes = [ctypes.c_void_p]
    x11.XCloseDisplay.argtypes = [ctypes.c_void_p]
    xtst.XTestFakeKeyEvent.argtypes = [ctypes.c_void_p, ctypes.c_uint, ctypes.c_int, ctypes.c_ulong]
    # The stamp listener reads on a connection of its own in a thread.
    x11.XInitThreads()
    return x11, xtst


class XTest:
    """A connection that sends key events; `listen(window, on_stamp)` calls
    on_stamp(ms) from a thread of its own for each press `window` receives,
    with the X server's millisecond stamp (what a program times it at)."""

    def __init__(self):
        self.x11, self.xtst = _libraries()
        self.display = self.x11.XOpenDisplay(None)
        if not self.display:
            raise OSError("no X display for the taps")

    def keycode(self, name):
        return self.x11.XKeysymToKeycode(self.display, self.x11.XStringToKeysym(name))

    def focus(self, window):
        """The keyboard focus on `window` (0: on no window)."""
        self.x11.XSetInputFocus(self.display, window, REVERT_TO_PARENT, 0)
        self.x11.XSync(self.display, 0)

    def key(self, code, down):
        self.xtst.XTestFakeKeyEvent(self.display, code, 1 if down else 0, 0)
        self.x11.XFlush(self.display)

    def listen(self, window, on_stamp):
        display = self.x11.XOpenDisplay(None)
        self.x11.XSelectInput(display, window, KEY_PRESS_MASK)
        self.x11.XSync(display, 0)

        def read():
            event = ctypes.create_string_buffer(EVENT_SIZE)
            while True:
                self.x11.XNextEvent(display, event)
                if ctypes.c_int.from_buffer(event, 0).value == KEY_PRESS:
                    on_stamp(ctypes.c_ulong.from_buffer(event, EVENT_TIME_OFFSET).value)

        threading.Thread(target=read, daemon=True).start()

    def close(self):
        self.x11.XCloseDisplay(self.display)
