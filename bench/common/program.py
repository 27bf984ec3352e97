"""The program run by a benchmark: started under a private X server (no
window manager) with a private data folder, its options set through the
options window, START pressed with the mouse. The driving itself (windows,
controls, waiting) is the end-to-end tests' harness, tools/harness."""
import os
import signal
import subprocess
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tools", "harness"))
from harness import (CLIENT_HEIGHT, LEVEL_2, OPTIONS, SIXTEEN_BARS, START, Failure, load,  # noqa: E402,F401
                     main_window, wait_for)
import harness  # noqa: E402

# A step of the run that did not happen; the message says which.
BenchError = Failure


def now():
    return time.monotonic()


def xdotool(*args):
    return " ".join(harness.xdotool(None, *args))


def click(wid, x, y):
    harness.click(None, wid, x, y)


def options_windows():
    return harness.xdotool(None, "search", "--onlyvisible", "--name", "^Options$")


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
        self.work = work
        self.err_path = os.path.join(work, "velvane.err")
        self.proc = None

    def __enter__(self):
        # A private X server, which the benchmark's own X calls use as well.
        self.display = harness.Display(self.work)
        os.environ["DISPLAY"] = self.display.name
        env = dict(os.environ, XDG_DATA_HOME=self.data_home, SDL_NO_SIGNAL_HANDLERS="1")
        t0 = now()
        self.proc = subprocess.Popen([self.velvane], env=env, stdout=subprocess.DEVNULL,
                                     stderr=open(self.err_path, "w"))
        try:
            self.wid, height = wait_for("the main window", lambda: main_window(None, self.proc.pid), 30, 0.01)
        except BaseException:
            self.__exit__(None, None, None)
            raise
        self.startup_s = now() - t0
        self.menu = height - CLIENT_HEIGHT
        return self

    def __exit__(self, *exc):
        self.proc.send_signal(signal.SIGTERM)
        try:
            self.proc.wait(5)
        except subprocess.TimeoutExpired:
            self.proc.kill()
            self.proc.wait()
        self.display.close()
        return False

    @property
    def pid(self):
        return self.proc.pid

    def set_options(self, *positions):
        """Clicks each position in the options window, which Escape then closes."""
        click(self.wid, OPTIONS[0], OPTIONS[1] + self.menu)
        options = wait_for("the options window to open", options_windows, 10, 0.01)
        for x, y in positions:
            click(options[0], x, y)
        time.sleep(0.3)
        # Through the focus, not sent to the window: a key sent to a window
        # that closes on the press loses its release, and the server then
        # repeats the key for ever.
        xdotool("windowfocus", "--sync", options[0])
        xdotool("key", "Escape")
        wait_for("the options window to close", lambda: not options_windows(), 10, 0.01)

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
