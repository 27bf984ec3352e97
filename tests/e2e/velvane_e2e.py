#!/usr/bin/env python3
"""Runs of the real program under a private X server.

    velvane_e2e.py --build BUILD_DIR SCENARIO

Each scenario starts the built program on its own Xvfb display with its own
data folder, presses START with xdotool, plays a test with key taps or with
scripted MIDI notes from the stand-in PortMidi library, reads the data file
back the way the next start reads it, and ends the program with SIGTERM.
Exit status 0 passed, 1 failed, 77 skipped (no Xvfb or xdotool here).

Everything waits on conditions (window mapped, data file rewritten, message
box shown) with generous deadlines, so a loaded machine slows a run down
without failing it.
"""
import argparse
import os
import resource
import shutil
import signal
import subprocess
import sys
import tempfile
import threading
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tools", "harness"))
import harness  # noqa: E402
from harness import CLIENT_HEIGHT, START_REGION, WINDOW_DEADLINE, Display, Failure, check, wait_for  # noqa: E402
import sight_reading  # noqa: E402
import sound_track  # noqa: E402

SKIP = 77

# Fastest tempo: 20 ticks a beat, 4 beats, a bar of 80 ticks (1.33 s).
TICK = 1.0 / harness.TICKS_PER_SECOND
BEAT_TICKS = 20
BAR_TICKS = 4 * BEAT_TICKS
BARS = 4
PRESTART = harness.PRESTART_S
# Every onset of the default level lies on a half-beat grid.
GRID_TICKS = BEAT_TICKS // 2
# Settings for every run: continuous mode, the fastest tempo, and the next
# bar requested as late as possible, so notes never run ahead into it (the
# sight-read runs below choose their own tempo and request).
SETTINGS = ["tickspeed=20", "listenplay=0", "earlychange=10"]

START_X, START_Y = harness.START

# The totals labels ("Number of tests 0"...) in the client area: x, y, w, h.
TOTALS_REGION = (730, 100, 230, 200)

TEST_DEADLINE = 90    # seconds for a test to end
SAVE_DEADLINE = 15    # seconds for the data file to show a test that ended
QUIT_DEADLINE = 20    # seconds for SIGTERM to end the program


class Run:
    """One scenario's display, data folder, program runs and taps."""

    def __init__(self, build, workdir, screen=None):
        self.build = build
        self.workdir = workdir
        self.display = Display(workdir, screen)
        self.xdg = os.path.join(workdir, "data")
        self.folder = os.path.join(self.xdg, "Velvane")
        self.runtime = os.path.join(workdir, "runtime")
        os.makedirs(self.runtime, mode=0o700)
        self.program = None
        self.window = None
        self.tapper = None
        self.starts = 0
        self.midi_log = os.path.join(workdir, "midi.log")
        self.environment = {}  # a scenario's additions to the program's environment
        self.file_size_limit = None  # bytes, as `ulimit -f` sets it for the program

    def display_refused(self):
        """True when a start of the program could not reach the display."""
        for name in os.listdir(self.workdir):
            if name.startswith("program-"):
                with open(os.path.join(self.workdir, name), errors="replace") as f:
                    if "could not connect to display" in f.read():
                        return True
        return False

    # --- tools -----------------------------------------------------------

    def env(self):
        env = self.display.env()
        env.update({
            "QT_QPA_PLATFORM": "xcb",
            "XDG_DATA_HOME": self.xdg,
            "XDG_RUNTIME_DIR": self.runtime,
            "SDL_AUDIODRIVER": "dummy",
        })
        env.update(self.environment)
        return env

    def xdotool(self, *args):
        return harness.xdotool(self.env(), *args)

    def write_settings(self, *settings):
        subprocess.run([os.path.join(self.build, "tests", "write_datafile"), self.folder, *SETTINGS, *settings],
                       check=True, timeout=60)

    def read_data(self, folder=None):
        """The data file as the next start reads it, or None when there is none."""
        result = subprocess.run([os.path.join(self.build, "tests", "read_datafile"), folder or self.folder],
                                capture_output=True, text=True, timeout=60)
        if result.returncode == 3:
            return None
        check(result.returncode == 0, f"read_datafile failed: {result.stderr.strip()}")
        return dict(line.split("=", 1) for line in result.stdout.splitlines())

    def data_bytes(self):
        with open(os.path.join(self.folder, "mydata.txt"), "rb") as f:
            return f.read()

    # --- the program -------------------------------------------------------

    def start(self, midi_script=None):
        check(self.program is None, "the program is already running")
        env = self.env()
        if midi_script is not None:
            path = os.path.join(self.workdir, "midi-script.txt")
            with open(path, "w") as f:
                f.write(midi_script)
            env["VELVANE_MIDI_SCRIPT"] = path
            env["VELVANE_MIDI_LOG"] = self.midi_log
            env["LD_LIBRARY_PATH"] = os.path.join(self.build, "tests", "portmidi_standin")
        self.starts += 1
        log = open(os.path.join(self.workdir, f"program-{self.starts}.log"), "w")
        limit = self.file_size_limit

        def limits():
            # As a shell hands them down: SIGXFSZ at its default, which ends
            # a program that does not ignore it.
            signal.signal(signal.SIGXFSZ, signal.SIG_DFL)
            if limit is not None:
                resource.setrlimit(resource.RLIMIT_FSIZE, (limit, limit))
        # Under a file-size limit the program's output would be cut off at
        # it: it goes through a pipe into the log.
        self.program = subprocess.Popen([os.path.join(self.build, "velvane")], env=env,
                                        stdout=log if limit is None else subprocess.PIPE,
                                        stderr=subprocess.STDOUT, preexec_fn=limits)
        if limit is not None:
            def copy(source=self.program.stdout, target=log):
                for chunk in iter(lambda: source.read1(4096), b""):
                    target.buffer.write(chunk)
                    target.buffer.flush()
            self.log_copier = threading.Thread(target=copy)
            self.log_copier.start()
        self.window = wait_for("the main window", self.main_window, WINDOW_DEADLINE, 0.2)

    def windows(self):
        """Visible top-level windows of the program, as (id, width, height)."""
        return harness.windows_of(self.env(), self.program.pid)

    def main_window(self):
        check(self.program.poll() is None, f"the program ended early with status {self.program.returncode}")
        return harness.main_window(self.env(), self.program.pid)

    def message_box(self):
        check(self.program.poll() is None, f"the program ended with status {self.program.returncode}")
        for window, width, height in self.windows():
            if window != self.window[0] and width > 50 and height > 30:
                return window
        return None

    def picture(self, region, what):
        """The pixels of a region of the client area, once the window shows
        something there and it stays the same between two looks."""
        window, height = self.window
        x, y, w, h = region
        crop = f"{w}x{h}+{x}+{y + height - CLIENT_HEIGHT}"
        last = [None]

        def settled():
            check(self.program.poll() is None, f"the program ended with status {self.program.returncode}")
            shot = subprocess.run(["import", "-window", window, "-crop", crop, "+repage", "-depth", "8", "rgb:-"],
                                  env=self.env(), capture_output=True, timeout=60).stdout
            drawn = len(shot) == w * h * 3 and min(shot) < 128  # something dark is drawn
            same = shot == last[0]
            last[0] = shot
            return shot if drawn and same else None
        return wait_for(what, settled, WINDOW_DEADLINE, 0.3)

    def totals_picture(self):
        return self.picture(TOTALS_REGION, "the totals labels to be drawn")

    def start_face(self):
        return self.picture(START_REGION, "the start button to be drawn")

    def click_start(self):
        """Presses START; returns the monotonic time of the press. Keeps the
        button's face as it was, with the pointer on it, for test_ended."""
        window, height = self.window
        menu = height - CLIENT_HEIGHT
        self.xdotool("mousemove", "--window", window, str(START_X), str(menu + START_Y))
        self.idle_face = self.start_face()
        self.xdotool("click", "1")
        pressed = time.monotonic()
        # The face changes at once; the test starts 2 s later.
        wait_for("the start button to show STOP", lambda: self.start_face() != self.idle_face, WINDOW_DEADLINE, 0.1)
        return pressed

    def wait_for_test_end(self):
        """Waits until the start button shows its face from before the test
        again; the save comes right after."""
        wait_for("the start button to show START again",
                 lambda: self.start_face() == self.idle_face or None, TEST_DEADLINE, 0.3)

    def terminate(self):
        """Ends the program with SIGTERM; fails when it does not end."""
        self.stop_tapper()
        program, self.program = self.program, None
        program.send_signal(signal.SIGTERM)
        try:
            status = program.wait(QUIT_DEADLINE)
        except subprocess.TimeoutExpired:
            program.kill()
            program.wait()
            raise Failure(f"SIGTERM did not end the program within {QUIT_DEADLINE} s")
        # SIGTERM quits the way File > Quit does.
        check(status == 0, f"the program ended with status {status} on SIGTERM")

    # --- taps ----------------------------------------------------------------

    def start_tapper(self):
        # One long-lived xdotool reading commands: a process per tap arrives
        # tens of milliseconds late.
        self.tapper = subprocess.Popen(["xdotool", "-"], env=self.env(), stdin=subprocess.PIPE, text=True)
        self.tapper.stdin.write(f"windowfocus {self.window[0]}\n")
        self.tapper.stdin.flush()

    def tap(self):
        self.tapper.stdin.write("key x\n")
        self.tapper.stdin.flush()

    def stop_tapper(self):
        if self.tapper:
            self.tapper.stdin.close()
            try:
                self.tapper.wait(10)
            except subprocess.TimeoutExpired:
                self.tapper.kill()
            self.tapper = None

    def close(self):
        if self.program:
            self.program.kill()
            self.program.wait()
        self.stop_tapper()
        self.display.close()

    # --- waiting for the test's end ----------------------------------------------

    def wait_for_tests(self, count, folder=None):
        self.wait_for_test_end()

        def saved():
            check(self.program.poll() is None, f"the program ended with status {self.program.returncode}")
            data = self.read_data(folder)
            return data if data and data.get("line1") == str(count) else None
        data = wait_for(f"the data file to count {count} test(s) after the test ended", saved, SAVE_DEADLINE, 0.25)
        print("saved: " + "; ".join(data[k] for k in sorted(data) if k.startswith("t")))
        return data


# Hit times of the MIDI notes, in ticks after the first bar line: one on
# every half beat of the four bars. Every onset lies on that grid and the next
# bar's rows appear only 3 ticks before its bar line, so the n-th note of a bar
# goes to the bar's n-th row, about at or before its onset, or is refused once the
# bar's rows are all hit. Scored, that is never "nothing played": drawn bars
# all but never leave every hit way off with an accuracy of 0 (about 1 test in
# 10,000 when simulated).
GRID = [k * GRID_TICKS for k in range(BARS * BAR_TICKS // GRID_TICKS)]
# GRID less its last beat, for runs that count the notes read. The stand-in
# times its notes from its first poll, which a loaded machine can hold back
# by several ticks; with the last beat unplayed no note is due after the
# test's end.
GRID_BUT_LAST_BEAT = GRID[:-BEAT_TICKS // GRID_TICKS]


def hits_were_scored(data):
    """True when the saved statistics show hits; a test without any scores
    an accuracy of 0 with every note way off."""
    return (float(data["line3"]) > 0 or float(data["line4"]) > 0 or float(data["line5"]) > 0
            or float(data["line6"]) < 100)


def played_nothing(data):
    return (float(data["line3"]) == 0 and float(data["line4"]) == 0 and float(data["line5"]) == 0
            and float(data["line6"]) == 100)


def midi_notes(take_notes):
    """Stand-in script lines for notes at hit times (ticks) on GRID."""
    lines = []
    for hit in take_notes:
        # The test clock's first pass (the origin) is at the count-in's start;
        # hit time 0 is one bar later. A little after the tick, never before.
        lines.append(f"note {(BAR_TICKS + hit) * TICK + 0.004:.3f}")
    return lines


# --- scenarios -------------------------------------------------------------------


# Sight-read runs: a tempo slow enough, and the next bar shown early enough
# (80 beat units, 53 ticks), to read each bar off the screen before it starts.
READING_TEMPO = 40
READING_EARLY = 80
READING_SETTINGS = [f"tickspeed={READING_TEMPO}", f"earlychange={READING_EARLY}"]
SOURCE_DIR = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
# Hits perfect or near (at most 5 ticks off) a sight-read test must reach, in
# %: most of them, so a test scored against the wrong onsets fails, while a
# loaded machine may deliver some taps late (how near the taps land is the
# tap benchmark's to measure).
ON_TIME_SHARE = 50


def sight_read_test(run):
    """Plays one test by reading the canvas (sight_reading.Played)."""
    return sight_reading.sight_read(run, SOURCE_DIR, READING_TEMPO, READING_EARLY, BARS)


def check_on_time(data, played):
    share = float(data["line4"]) + float(data["line5"])
    print(f"perfect {data['line4']} %, near {data['line5']} %, way off {data['line6']} %")
    check(share >= ON_TIME_SHARE, f"only {share:.1f} % of the hits perfect or near: {data}")
    check(not played.unread, f"not shown by their start: {', '.join(played.unread)}")


def scenario_keys(run):
    """A test sight-read and tapped on its onsets scores most hits perfect
    or near; it is saved, read back by the next start, and the next
    start leaves the file as it is."""
    run.write_settings(*READING_SETTINGS)
    run.start()
    no_tests = run.totals_picture()
    played = sight_read_test(run)
    data = run.wait_for_tests(1)
    run.terminate()

    check(data["ttestslabel"] == "Number of tests 1", f"totals after one test: {data['ttestslabel']!r}")
    check(int(data["line2"]) > 0, f"no notes counted: {data['tnoteslabel']!r}")
    check_on_time(data, played)
    check(data["line10"] == str(READING_TEMPO) and data["line9"] == "notlp" and data["line7"] == "notmidi",
          f"settings not kept: {data}")

    saved = run.data_bytes()
    run.start()
    # The window is shown after the data file was read; give the program a
    # moment in which a faulty start could still write or end.
    time.sleep(1.0)
    check(run.program.poll() is None, "the second start ended by itself")
    # The labels are text only the window shows; after a test they cannot look
    # as they did with no test.
    check(run.totals_picture() != no_tests, "the second start shows the totals of no test")
    run.terminate()
    check(run.data_bytes() == saved, "the second start changed the data file")
    check(run.read_data()["ttestslabel"] == "Number of tests 1", "the data file no longer counts one test")


def expected_clicks(beats=4):
    return harness.expected_clicks(READING_TEMPO, READING_EARLY, BARS, beats)


def scenario_sound(run):
    """What the program sounds, recorded through SDL's disk driver: the
    count-in's and the test's clicks on the beat grid, hi on the bar lines
    and low between, and a hit sound right after each tap."""
    recorder = sound_track.SoundRecorder(run.workdir)
    try:
        run.environment.update(recorder.environment())
        run.write_settings(*READING_SETTINGS)
        run.start()
        played = sight_read_test(run)
        run.wait_for_tests(1)
        run.terminate()
        voices = sound_track.heard(recorder, os.path.join(run.build, "tools", "res"))
    except ValueError as error:
        raise Failure(f"the recording: {error}")
    finally:
        recorder.end()

    pressed = played.pressed
    faults, first_click = sound_track.metronome(voices, READING_TEMPO, expected_clicks())
    if first_click is not None:
        # The count-in begins when the pre-start wait ends: in the tick the
        # wait ends in, after the press (stamped before it left) reached the
        # program, which a loaded machine may delay by up to a beat.
        waited = first_click - pressed
        if not PRESTART - TICK <= waited <= PRESTART + READING_TEMPO * TICK:
            faults.append(f"the count-in began {waited:.3f} s after the press, not after the wait of {PRESTART} s")
    # A hit sound sounds before the next tap; the taps are at least a half
    # beat apart.
    faults += sound_track.hit_sounds(voices, played.tapped, READING_TEMPO / 2 * TICK)
    if played.unread:
        faults.append(f"not shown by their start: {', '.join(played.unread)}")
    check(not faults, "; ".join(faults[:6]))


def any_main_window(run):
    """The program's first window of a main window's size at any scale."""
    check(run.program.poll() is None, f"the program ended early with status {run.program.returncode}")
    for window, width, height in run.windows():
        if width > 100 and height > 100:
            return (window, height)
    return None


def scenario_scaled(run):
    """At a screen scale of 1.5 the main window's fixed size is scaled exactly:
    1440 device pixels wide for its 960. The scale comes from the screen's
    DPI (144), which Qt rounds by the program's policy; QT_SCALE_FACTOR
    would be applied unrounded."""
    scale = 1.5
    run.environment.update({"QT_FONT_DPI": str(int(96 * scale))})
    run.write_settings()
    run.main_window = lambda: any_main_window(run)
    run.start()
    # Once mapped, the size must stay.
    time.sleep(0.5)
    sizes = [(w, h) for window, w, h in run.windows() if window == run.window[0]]
    check(sizes, "the main window went away")
    width, height = sizes[0]
    print(f"main window {width} x {height} at scale {scale}")
    check(width == round(960 * scale), f"the main window is {width} wide at scale {scale}, not {round(960 * scale)}")
    menu = height - round(CLIENT_HEIGHT * scale)
    check(0 < menu < 40 * scale, f"the main window is {height} high at scale {scale}")
    run.terminate()


def midi_run(run, script_lines, *settings):
    run.write_settings("midiinput=1", *settings)
    run.start("\n".join(script_lines) + "\n")
    run.click_start()
    data = run.wait_for_tests(1)
    run.terminate()
    check(data["ttestslabel"] == "Number of tests 1", f"totals after one test: {data['ttestslabel']!r}")
    check(data["line7"] == "midi", f"the input method was not kept: {data['line7']!r}")
    return data


def read_log(run):
    with open(run.midi_log) as f:
        return [line.split() for line in f]


def scenario_midi(run):
    """A test played by scripted Note On events is scored, every note read."""
    notes = GRID_BUT_LAST_BEAT
    data = midi_run(run, ["device standin-keys"] + midi_notes(notes))
    check(hits_were_scored(data), f"the MIDI notes were not scored: {data}")
    reads = [entry for entry in read_log(run) if entry[1] == "read"]
    check(len(reads) == len(notes), f"{len(reads)} of {len(notes)} notes read")


def scenario_midi_non_hits(run):
    """Events that are no hits (Note Off, Note On with velocity 0, Note On on
    channel 2) played through a test score it as nothing played."""
    lines = ["device standin-keys"]
    for hit in GRID:
        at = (BAR_TICKS + hit) * TICK + 0.004
        lines += [f"note {at:.3f} 128 60 64", f"note {at:.3f} 144 60 0", f"note {at:.3f} 145 60 100"]
    data = midi_run(run, lines)
    check(played_nothing(data), f"events that are no hits were scored: {data}")


def scenario_midi_faults(run):
    """The stored device fails to open and the stream reports errors for a
    while: the test clock goes on, reopens the stream and takes the notes."""
    # The data file names device 0, which fails; device 1 opens at start-up.
    # Errors through most of the first played bar.
    error_from, error_until = BAR_TICKS * TICK, 2 * BAR_TICKS * TICK - 0.2
    lines = ["device broken fails", "device standin-keys", f"pollerror {error_from:.3f} {error_until:.3f} -10000"]
    notes = GRID_BUT_LAST_BEAT
    lines += midi_notes(notes)
    data = midi_run(run, lines)
    check(hits_were_scored(data), f"the MIDI notes were not scored after the faults: {data}")
    log = read_log(run)
    check(["open", "0", "-10000"] in [entry[1:] for entry in log], "device 0 was never tried")
    # One poll a pass of the 10 ms test clock, with room for a loaded machine:
    # a loop that polls on after an error would poll thousands of times.
    errors = sum(1 for entry in log if entry[1] == "poll")
    most = 3 * (error_until - error_from) / 0.010 + 20
    check(0 < errors <= most, f"{errors} polls answered with an error, expected 1 to {most:.0f}")
    reads = [entry for entry in log if entry[1] == "read"]
    check(len(reads) == len(notes), f"{len(reads)} of {len(notes)} notes read after the errors")


def scenario_save_failure(run):
    """The data file cannot be written at the end of a test: "Timer1" is shown,
    the MIDI stream is closed, the old file stays whole, and after the message
    the next test runs, reopens the stream and saves both tests."""
    run.write_settings("midiinput=1")
    script = ["device standin-keys"] + midi_notes(GRID) + ["take"] + midi_notes(GRID)
    run.start("\n".join(script) + "\n")
    old = run.data_bytes()
    # The data folder's place is taken by a file: the save cannot make it.
    away = run.folder + ".away"
    os.rename(run.folder, away)
    with open(run.folder, "w") as f:
        f.write("not a folder\n")

    run.click_start()
    box = wait_for("the error message", run.message_box, TEST_DEADLINE, 0.25)
    log = [entry[1:] for entry in read_log(run)]
    check(log and log[-1] == ["close", "0"], f"the MIDI stream was not closed on the error: {log[-3:]}")
    with open(os.path.join(away, "mydata.txt"), "rb") as f:
        check(f.read() == old, "the old data file was changed")

    subprocess.run(["xdotool", "windowfocus", "--sync", box, "key", "Return"], env=run.env(), timeout=30)
    wait_for("the message to close", lambda: run.message_box() is None, WINDOW_DEADLINE, 0.25)
    os.remove(run.folder)
    os.rename(away, run.folder)

    run.click_start()
    data = run.wait_for_tests(2)
    run.terminate()
    check(data["ttestslabel"] == "Number of tests 2", f"totals after two tests: {data['ttestslabel']!r}")
    log = [entry[1:] for entry in read_log(run)]
    closed = log.index(["close", "0"], next(i for i, e in enumerate(log) if e[0] == "origin"))
    check(["open", "0", "0"] in log[closed:], "the stream was not reopened for the next test")
    check(["origin", "1"] in log, "the next test did not poll the reopened stream")



# The help button at 776, 328, 117 x 46 in the client area, and points of the
# main window where a click reaches no control: on the notation canvas and
# on the hit strip.
HELP_X, HELP_Y = 776 + 117 // 2, 328 + 46 // 2
PLAIN_POINTS = [(60, 60), (660, 60), (60, 200), (660, 200), (350, 290), (60, 290)]


def scenario_save_size_limit(run):
    """Under a file-size limit (ulimit -f) the save at the end of a test fails
    with EFBIG instead of ending the program by SIGXFSZ: "Timer1" is shown,
    the terminal gets the save's one line, the old file stays whole with no
    temporary file beside it, and the program goes on and quits normally."""
    run.write_settings("midiinput=1")
    old = run.data_bytes()
    run.file_size_limit = len(old) // 2  # the new file cannot be written whole
    run.start("\n".join(["device standin-keys"] + midi_notes(GRID)) + "\n")
    run.click_start()
    box = wait_for("the error message", run.message_box, TEST_DEADLINE, 0.25)
    check(run.data_bytes() == old, "the old data file was changed")
    left = sorted(os.listdir(run.folder))
    check(left == ["mydata.txt"], f"left in the data folder: {left}")
    subprocess.run(["xdotool", "windowfocus", "--sync", box, "key", "Return"], env=run.env(), timeout=30)
    wait_for("the message to close", lambda: run.message_box() is None, WINDOW_DEADLINE, 0.25)
    run.terminate()
    run.log_copier.join(30)
    with open(os.path.join(run.workdir, f"program-{run.starts}.log"), errors="replace") as f:
        said = f.read()
    check(f"Velvane: the statistics were not saved: cannot write {run.folder}/mydata.txt: File too large\n" in said,
          f"the terminal was told: {said!r}")


def start_window_manager(run):
    """Openbox on the run's display, once it manages windows; None when it is
    not installed."""
    if not shutil.which("openbox"):
        return None
    log = open(os.path.join(run.workdir, "openbox.log"), "w")
    manager = subprocess.Popen(["openbox", "--sm-disable"], env=run.env(), stdout=log, stderr=subprocess.STDOUT)

    def managing():
        check(manager.poll() is None, f"openbox ended with status {manager.returncode}")
        answer = subprocess.run(["xprop", "-root", "_NET_SUPPORTING_WM_CHECK"], env=run.env(),
                                capture_output=True, text=True, timeout=30).stdout
        return "window id" in answer
    wait_for("openbox to manage the display", managing, WINDOW_DEADLINE, 0.1)
    return manager


def scenario_focus(run):
    """Under a window manager, a Tab pressed early in the count-in, a click on
    HELP with the help window coming to the front, and a click back on the
    main window all come before the taps: the taps are scored."""
    manager = start_window_manager(run)
    if manager is None:
        print("SKIPPED: openbox is not installed (tools/setup.sh installs it)")
        sys.exit(SKIP)
    try:
        # 40 ticks a beat: a bar of 160 ticks (2.67 s); a key is passed on
        # by the early gate until the early window before the count-in's end.
        beat = 40
        bar = 4 * beat
        run.write_settings(f"tickspeed={beat}")
        run.start()
        main, height = run.window
        menu = height - CLIENT_HEIGHT
        run.start_tapper()
        count_in_start = run.click_start() + PRESTART

        time.sleep(max(0.0, count_in_start + 0.3 - time.monotonic()))
        run.tapper.stdin.write("key Tab\n")
        run.tapper.stdin.flush()
        check(time.monotonic() < count_in_start + (bar - harness.EARLY_WINDOW_TICKS) * TICK - 0.3,
              "the machine was too slow to press Tab early in the count-in")

        def active():
            return run.xdotool("getactivewindow")[:1]

        run.xdotool("mousemove", "--window", main, str(HELP_X), str(menu + HELP_Y), "click", "1")
        # The help window is the program's one other window.
        help_window = wait_for("the help window", run.message_box, WINDOW_DEADLINE, 0.1)
        wait_for("the help window to be active", lambda: active() == [help_window], WINDOW_DEADLINE, 0.1)
        subprocess.run(["import", "-window", "root", os.path.join(run.workdir, "help-open.png")],
                       env=run.env(), timeout=60)

        def place(window):
            shape = dict(item.split("=", 1) for item in run.xdotool("getwindowgeometry", "--shell", window)
                         if "=" in item)
            return [int(shape[k]) for k in ("X", "Y", "WIDTH", "HEIGHT")]
        hx, hy, hw, hh = place(help_window)
        mx, my = place(main)[:2]
        free = [(x, y) for x, y in PLAIN_POINTS
                if not (hx <= mx + x < hx + hw and hy <= my + menu + y < hy + hh)]
        check(free, "the help window covers every plain point of the main window")
        x, y = free[0]
        run.xdotool("mousemove", "--window", main, str(x), str(menu + y), "click", "1")
        wait_for("the main window to be active again", lambda: active() == [main], WINDOW_DEADLINE, 0.1)

        # Taps on every half beat still ahead, from the next one on.
        grid = [k * beat // 2 for k in range(BARS * bar // (beat // 2))]
        due = [count_in_start + (bar + hit) * TICK for hit in grid]
        ahead = [t for t in due if t > time.monotonic() + 0.2]
        check(len(ahead) >= 8, f"only {len(ahead)} taps left after the help window was used")
        for t in ahead:
            time.sleep(max(0.0, t - time.monotonic()))
            run.tap()
        data = run.wait_for_tests(1)
        run.terminate()
        print(f"{len(ahead)} taps after HELP and the click back")
        check(hits_were_scored(data), f"the taps after HELP and Tab were not scored: {data}")
    finally:
        manager.terminate()
        manager.wait(10)

# In the options window's client area: the radio buttons of 2 and 5 beats in a
# bar and of 4 and 16 bars, as x, y, w, h.
BEATS_RADIOS = {2: harness.TWO_BEATS_REGION, 5: harness.FIVE_BEATS_REGION}
BARS_RADIOS = {4: harness.FOUR_BARS_REGION, 16: harness.SIXTEEN_BARS_REGION}
SMALL_SCREEN = (1366, 768)


def frame_of(run, window):
    """The window's frame on the screen, as x, y, w, h, and its client size:
    the client area where X has it (xdotool's position of a reparented window
    is off by the frame) with the extents the window manager gives it."""
    info = subprocess.run(["xwininfo", "-id", window], env=run.env(), capture_output=True, text=True,
                          timeout=30).stdout
    fields = dict(line.strip().split(": ", 1) for line in info.splitlines() if ": " in line)
    x, y, w, h = (int(fields[k]) for k in ("Absolute upper-left X", "Absolute upper-left Y", "Width", "Height"))
    answer = subprocess.run(["xprop", "-id", window, "_NET_FRAME_EXTENTS"], env=run.env(), capture_output=True,
                            text=True, timeout=30).stdout
    check("=" in answer, f"openbox gave window {window} no frame extents: {answer.strip()!r}")
    left, right, top, bottom = (int(v) for v in answer.split("=", 1)[1].split(","))
    return (x - left, y - top, w + left + right, h + top + bottom), (w, h)


def scenario_on_screen(run):
    """Under openbox on a 1366 x 768 screen, the results window after a
    stopped 2/4 4-bar test, the same window after a 5/4 16-bar test (its
    largest size) and the help window each lie inside the screen, frame and
    all, at their full size. After STOP is clicked, Space starts the next test."""
    manager = start_window_manager(run)
    if manager is None:
        print("SKIPPED: openbox is not installed (tools/setup.sh installs it)")
        sys.exit(SKIP)
    try:
        run.write_settings()
        run.start()
        main, height = run.window
        menu = height - CLIENT_HEIGHT

        def click(window, point, top=0):
            run.xdotool("mousemove", "--window", window, str(point[0]), str(top + point[1]), "click", "1")

        def others():
            return {window for window, w, h in run.windows() if window != main and w > 50 and h > 30}

        def new_window(before, what):
            window = wait_for(what, lambda: next(iter(others() - before), None), WINDOW_DEADLINE, 0.1)
            # Clicks reach it once it has the keyboard.
            wait_for(f"the {what} to be active", lambda: run.xdotool("getactivewindow")[:1] == [window],
                     WINDOW_DEADLINE, 0.1)
            return window

        def choose(beats, bars):
            before = others()
            click(main, harness.OPTIONS, menu)
            options = new_window(before, "options window")
            for region in (BEATS_RADIOS[beats], BARS_RADIOS[bars]):
                click(options, harness.centre(region))
            subprocess.run(["xdotool", "windowfocus", "--sync", options, "key", "Escape"], env=run.env(), timeout=30)
            wait_for("the options window to close", lambda: options not in others(), WINDOW_DEADLINE, 0.1)

        def expect_inside(window, size, what):
            def settled():
                frame, client = frame_of(run, window)
                inside = frame[0] >= 0 and frame[1] >= 0 and frame[0] + frame[2] <= SMALL_SCREEN[0] \
                    and frame[1] + frame[3] <= SMALL_SCREEN[1]
                return (frame, client) if inside and client == size else None
            try:
                frame, client = wait_for(f"the {what} inside the screen", settled, WINDOW_DEADLINE, 0.2)
            except Failure:
                frame, client = frame_of(run, window)
                raise Failure(f"the {what}: frame {frame}, client {client} on a {SMALL_SCREEN} screen")
            print(f"{what}: frame {frame}, client {client}")

        choose(2, 4)
        run.click_start()
        click(main, (START_X, START_Y), menu)  # STOP during the wait
        run.wait_for_test_end()
        # STOP leaves the keyboard on the start button.
        run.xdotool("key", "space")
        wait_for("Space to start a test", lambda: run.start_face() != run.idle_face, WINDOW_DEADLINE, 0.1)
        click(main, (START_X, START_Y), menu)
        run.wait_for_test_end()

        before = others()
        click(main, harness.RESULTS, menu)
        results = new_window(before, "results window")
        expect_inside(results, (2 * 240 + 50, 4 * 30 + 100), "results window of 2/4, 4 bars")

        choose(5, 16)
        run.click_start()
        click(main, (START_X, START_Y), menu)
        run.wait_for_test_end()
        click(main, harness.RESULTS, menu)
        expect_inside(results, (5 * 240 + 50, 16 * 30 + 100), "results window of 5/4, 16 bars")

        # The results window covers HELP; the main window comes to the front.
        subprocess.run(["xdotool", "windowactivate", "--sync", main], env=run.env(), timeout=30)
        before = others()
        click(main, (HELP_X, menu + HELP_Y))
        help_window = new_window(before, "help window")
        expect_inside(help_window, (658, 406), "help window")
        # Dragged half off the bottom right, it comes back in when HELP shows it again.
        run.xdotool("windowmove", "--sync", help_window, str(SMALL_SCREEN[0] - 300), str(SMALL_SCREEN[1] - 200))
        wait_for("the help window to be dragged off the edge",
                 lambda: frame_of(run, help_window)[0][0] > SMALL_SCREEN[0] - 400, WINDOW_DEADLINE, 0.1)
        subprocess.run(["xdotool", "windowactivate", "--sync", main], env=run.env(), timeout=30)
        click(main, (HELP_X, menu + HELP_Y))
        expect_inside(help_window, (658, 406), "help window shown again")
        subprocess.run(["import", "-window", "root", os.path.join(run.workdir, "on-screen.png")],
                       env=run.env(), timeout=60)
        run.terminate()
    finally:
        manager.terminate()
        manager.wait(10)


# Scenarios whose X server has a screen of its own size.
SCREENS = {"on-screen": SMALL_SCREEN}

SCENARIOS = {
    "keys": scenario_keys,
    "sound": scenario_sound,
    "scaled": scenario_scaled,
    "midi": scenario_midi,
    "midi-non-hits": scenario_midi_non_hits,
    "midi-faults": scenario_midi_faults,
    "save-failure": scenario_save_failure,
    "save-size-limit": scenario_save_size_limit,
    "focus": scenario_focus,
    "on-screen": scenario_on_screen,
}


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--build", required=True, help="the build folder")
    parser.add_argument("--keep", action="store_true", help="keep the work folder")
    parser.add_argument("scenario", choices=sorted(SCENARIOS))
    args = parser.parse_args()

    for tool in ("Xvfb", "xdotool", "import"):
        if not shutil.which(tool):
            print(f"SKIPPED: {tool} is not installed (tools/setup.sh installs it); the program is not run end to end")
            return SKIP

    started = time.monotonic()
    for attempt in (1, 2):
        workdir = tempfile.mkdtemp(prefix=f"velvane-e2e-{args.scenario}-")
        run = None
        display_lost = False
        try:
            run = Run(os.path.abspath(args.build), workdir, SCREENS.get(args.scenario))
            SCENARIOS[args.scenario](run)
        except Failure as failure:
            display_lost = run is not None and (not run.display.alive(run.env()) or run.display_refused())
            print(f"FAILED: {args.scenario}: {failure}")
            if display_lost:
                print(f"the X server on {run.display.name} went away or refused the program")
            else:
                subprocess.run(["import", "-window", "root", os.path.join(workdir, "failure.png")],
                               env=run.env() if run else None, timeout=60)
            print(f"work folder kept: {workdir}")
            for name in sorted(os.listdir(workdir)):
                if name.endswith(".log") or name.endswith(".txt"):
                    print(f"--- {name}")
                    with open(os.path.join(workdir, name), errors="replace") as f:
                        print(f.read()[-3000:])
        else:
            print(f"passed: {args.scenario} in {time.monotonic() - started:.1f} s")
            if not args.keep:
                shutil.rmtree(workdir, ignore_errors=True)
            return 0
        finally:
            if run:
                run.close()
        # A display lost to something outside the test says nothing about the
        # program: run once more on a new one.
        if not display_lost or attempt == 2:
            return 1
        print("running the scenario again on a new display")
    return 1


if __name__ == "__main__":
    sys.exit(main())
