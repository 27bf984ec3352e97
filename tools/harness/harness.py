"""Driving the real program under an X server, for the end-to-end tests
(tests/e2e) and the benchmarks (bench/) alike: a private Xvfb, the program's
windows and where its controls are, waiting for a state, and the clicks a
test sounds. Both import this file by its path.

Everything waits on conditions with generous deadlines, so a loaded machine
slows a run down without failing it."""
import os
import random
import re
import subprocess
import time

SOURCE_ROOT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..")


def program_constant(header, name):
    """A whole-number constant as the program's header names it, so the runs
    time the program by the figures it is built with."""
    with open(os.path.join(SOURCE_ROOT, header)) as f:
        found = re.search(rf"\b{name} = (-?[0-9']+);", f.read())
    if not found:
        raise LookupError(f"{name} is not named in {header}")
    return int(found.group(1).replace("'", ""))


TICKS_PER_SECOND = program_constant("platform/ticks.h", "ticksPerSecond")
BEAT_UNITS = program_constant("engine/timebase.h", "beatUnitsPerBeat")  # the unit of the next-bar request
EARLY_WINDOW_TICKS = program_constant("engine/timebase.h", "earlyWindowTicks")  # a hit this early counts
PRESTART_S = program_constant("engine/window1.h", "prestartWaitMs") / 1000  # from START to the count-in
START_INTO_TICK_NS = program_constant("engine/clockphase.h", "startNs")  # where in its tick a clock starts
START_SLACK_NS = program_constant("engine/clockphase.h", "startSlackNs")  # past it still starts at once
# A button press's way from XTest through the X server to the program's
# handler on a quiet machine.
DELIVERY_S = 0.001


def test_start_tick(released):
    """The tick a test's clock starts in after START was released (a button
    acts on its release) at monotonic time `released`: the pre-start wait
    ends, and the clock starts at the next place START_INTO_TICK_NS into a
    tick, in the tick the wait ends in when that place is no more than
    START_SLACK_NS past."""
    wait_end = released + DELIVERY_S + PRESTART_S
    return int((wait_end - (START_INTO_TICK_NS + START_SLACK_NS) / 1e9) * TICKS_PER_SECOND) + 1


def sure_release_time(not_before):
    """The first moment from `not_before` to release START at for which
    test_start_tick is sure: the wait then ends half a tick from the place
    where the start moves on by a tick, so a release or a timer that comes a
    few milliseconds late starts the clock in the same tick."""
    tick_s = 1 / TICKS_PER_SECOND
    aim = (START_INTO_TICK_NS + START_SLACK_NS) / 1e9 + tick_s / 2
    into_tick = (not_before + DELIVERY_S + PRESTART_S) % tick_s
    return not_before + (aim - into_tick) % tick_s


# The main window's client area is 960 x 625 under the menu bar.
MAIN_WIDTH = 960
CLIENT_HEIGHT = 625
# Controls in the main window's client area, (x, y, w, h), and their centres.
START_REGION = (277, 308, 173, 76)
OPTIONS_REGION = (68, 312, 141, 65)
RESULTS_REGION = (523, 312, 141, 65)
# ...and in the options window.
TWO_BEATS_REGION = (458, 52, 23, 20)
FIVE_BEATS_REGION = (702, 54, 23, 20)
FOUR_BARS_REGION = (454, 158, 23, 20)
SIXTEEN_BARS_REGION = (703, 158, 23, 20)
LEVEL_2_REGION = (35, 166, 21, 21)


def centre(region):
    x, y, w, h = region
    return x + w // 2, y + h // 2


START = centre(START_REGION)
OPTIONS = centre(OPTIONS_REGION)
RESULTS = centre(RESULTS_REGION)
SIXTEEN_BARS = centre(SIXTEEN_BARS_REGION)
LEVEL_2 = centre(LEVEL_2_REGION)

WINDOW_DEADLINE = 60  # seconds for a window or a server to come up
# The X server's screen, width and height, unless a run names its own.
DEFAULT_SCREEN = (1280, 1024)


class Failure(Exception):
    """A step of the run that did not happen; the message says which."""


def check(condition, message):
    if not condition:
        raise Failure(message)


def wait_for(what, predicate, deadline, interval=0.1):
    """The predicate's first true value, looked at every `interval` seconds;
    Failure after `deadline` seconds."""
    end = time.monotonic() + deadline
    while True:
        value = predicate()
        if value:
            return value
        if time.monotonic() > end:
            raise Failure(f"timed out after {deadline} s waiting for {what}")
        time.sleep(interval)


def load():
    """The load average (1, 5 and 15 minutes), for figures that need it beside them."""
    with open("/proc/loadavg") as f:
        return " ".join(f.read().split()[:3])


def xdotool(env, *args):
    """xdotool's output words, on the display of `env` (None: this process's)."""
    result = subprocess.run(["xdotool", *args], env=env, capture_output=True, text=True, timeout=30)
    return result.stdout.split()


def windows_of(env, pid):
    """The visible top-level windows of process `pid`, as (id, width, height)."""
    found = []
    for window in xdotool(env, "search", "--onlyvisible", "--pid", str(pid)):
        values = dict(item.split("=", 1) for item in xdotool(env, "getwindowgeometry", "--shell", window)
                      if "=" in item)
        if "WIDTH" in values:
            found.append((window, int(values["WIDTH"]), int(values["HEIGHT"])))
    return found


def main_window(env, pid):
    """(id, height) of the program's main window once it is mapped, else None;
    its height less CLIENT_HEIGHT is the menu bar's. Qt's 3 x 3
    selection-owner window is no main window."""
    for window, width, height in windows_of(env, pid):
        if width == MAIN_WIDTH and height >= CLIENT_HEIGHT:
            return (window, height)
    return None


def click(env, window, x, y):
    """A left click at x, y of the window."""
    xdotool(env, "mousemove", "--window", window, str(x), str(y), "click", "1")


def expected_clicks(tickspeed, earlychange, bars, beats=4):
    """The clicks of a continuous test, in order: hi on every bar line, low on
    the other beats, through the count-in and the bars before the last, and
    the last bar's beats up to its end (the test ends once the position passes
    the bar span less the next-bar request's margin)."""
    end = tickspeed * beats - int(earlychange / BEAT_UNITS * tickspeed)
    bar = ["hi"] + ["low"] * (beats - 1)
    last = [name for k, name in enumerate(bar) if k * tickspeed <= end]
    return bar * bars + last


class Display:
    """A private Xvfb server on a display number that nothing else uses.
    Numbers are drawn from a range people rarely pick by hand, so a server
    started by hand on a low number cannot meet one of these."""

    def __init__(self, workdir, screen=None):
        width, height = screen or DEFAULT_SCREEN
        log = open(os.path.join(workdir, "xvfb.log"), "w")
        for attempt in range(30):
            number = random.randrange(200, 1000)
            read_end, write_end = os.pipe()
            # With -displayfd the server writes the number once it listens.
            self.process = subprocess.Popen(
                ["Xvfb", f":{number}", "-displayfd", str(write_end), "-screen", "0", f"{width}x{height}x24",
                 "-nolisten", "tcp", "-noreset"],
                pass_fds=(write_end,), stdout=subprocess.DEVNULL, stderr=log)
            os.close(write_end)
            with os.fdopen(read_end, "rb") as ready:
                answer = ready.readline()  # empty when the server gave up
            if answer.strip() == str(number).encode():
                self.name = f":{number}"
                # Listening is not yet serving: wait until a client is answered.
                env = self.env()
                wait_for(f"Xvfb on {self.name} to answer", lambda: self.alive(env), WINDOW_DEADLINE, 0.1)
                return
            self.process.wait()
        raise Failure("no free display for Xvfb")

    def env(self, base=None):
        """`base` (default: this process's environment) on this display."""
        env = dict(os.environ if base is None else base, DISPLAY=self.name)
        env.pop("XAUTHORITY", None)
        return env

    def alive(self, env=None):
        if self.process.poll() is not None:
            return False
        return subprocess.run(["xdotool", "getdisplaygeometry"], env=env or self.env(), capture_output=True,
                              timeout=30).returncode == 0

    def close(self):
        self.process.terminate()
        try:
            self.process.wait(10)
        except subprocess.TimeoutExpired:
            self.process.kill()
            self.process.wait()
