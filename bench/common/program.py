"""The program run by a benchmark: started under the benchmark's X server (no
window manager) with a private data folder, its options set through the
options window, START pressed with the mouse."""
import os
import re
import signal
import subprocess
import time

# Main window (client area) and options window positions of the controls.
CLIENT_HEIGHT = 625
START = (277 + 173 // 2, 308 + 76 // 2)
OPTIONS = (68 + 141 // 2, 312 + 65 // 2)
SIXTEEN_BARS = (703 + 23 // 2, 158 + 20 // 2)
LEVEL_2 = (35 + 21 // 2, 166 + 21 // 2)


class BenchError(Exception):
    """A step of the run that did not happen; the message says which."""


def now():
    return time.monotonic()


def load():
    with open("/proc/loadavg") as f:
        return " ".join(f.read().split()[:3])


def xdotool(*args):
    return subprocess.run(["xdotool", *args], capture_output=True, text=True).stdout


def windows_of(pid):
    """(id, width, height) of the process's visible windows."""
    found = []
    for wid in xdotool("search", "--onlyvisible", "--pid", str(pid)).split():
        geometry = xdotool("getwindowgeometry", wid)
        m = re.search(r"Geometry: (\d+)x(\d+)", geometry)
        if m:
            found.append((wid, int(m.group(1)), int(m.group(2))))
    return found


def wait_for(pred, timeout, step=0.01):
    end = now() + timeout
    while now() < end:
        value = pred()
        if value:
            return value
        time.sleep(step)
    return None


def click(wid, x, y):
    xdotool("mousemove", "--window", wid, str(x), str(y), "click", "1")


class Program:
    """with Program(...) as p: the program runs with a data file written
    from `settings` (write_datafile's name=value arguments) until the block
    ends. p.startup_s is the time from the start to the main window mapped."""

    def __init__(self, velvane, write_datafile, work, settings):
        self.data_home = os.path.join(work, "data")
        os.makedirs(os.path.join(self.data_home, "Velvane"))
        subprocess.run([write_datafile, os.path.join(self.data_home, "Velvane"), *settings], check=True,
                       stdout=subprocess.DEVNULL)
        self.velvane = velvane
        self.err_path = os.path.join(work, "velvane.err")
        self.proc = None

    def __enter__(self):
        env = dict(os.environ, XDG_DATA_HOME=self.data_home, SDL_NO_SIGNAL_HANDLERS="1")
        t0 = now()
        self.proc = subprocess.Popen([self.velvane], env=env, stdout=subprocess.DEVNULL,
                                     stderr=open(self.err_path, "w"))
        try:
            main_window = wait_for(lambda: next((w for w in windows_of(self.proc.pid) if w[1] >= 900), None), 30)
            if not main_window:
                raise BenchError("the main window did not appear")
        except BaseException:
            self.__exit__(None, None, None)
            raise
        self.startup_s = now() - t0
        self.wid, _, height = main_window
        self.menu = height - CLIENT_HEIGHT
        return self

    def __exit__(self, *exc):
        self.proc.send_signal(signal.SIGTERM)
        try:
            self.proc.wait(5)
        except subprocess.TimeoutExpired:
            self.proc.kill()
            self.proc.wait()
        return False

    @property
    def pid(self):
        return self.proc.pid

    def set_options(self, *positions):
        """Clicks each position in the options window, which Escape then closes."""
        click(self.wid, OPTIONS[0], OPTIONS[1] + self.menu)
        options = wait_for(lambda: xdotool("search", "--onlyvisible", "--name", "^Options$").split(), 10)
        if not options:
            raise BenchError("the options window did not open")
        for x, y in positions:
            click(options[0], x, y)
        time.sleep(0.3)
        # Through the focus, not sent to the window: a key sent to a window
        # that closes on the press loses its release, and the server then
        # repeats the key for ever.
        xdotool("windowfocus", "--sync", options[0])
        xdotool("key", "Escape")
        if wait_for(lambda: not xdotool("search", "--onlyvisible", "--name", "^Options$").split(), 10) is None:
            raise BenchError("the options window did not close")

    def press_start(self):
        click(self.wid, START[0], START[1] + self.menu)


def start_recorder(recorder, raw, seconds):
    """Records ci_null's monitor into RAW for `seconds` (see
    sound_latency_recorder); returns the recorder's process once it records."""
    proc = subprocess.Popen([recorder, raw, str(int(seconds)), "ci_null.monitor"],
                            stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
    if "ready" not in proc.stdout.readline():
        proc.kill()
        proc.wait()
        raise BenchError("the recorder did not start")
    return proc
