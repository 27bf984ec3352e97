#!/usr/bin/env python3
"""Runs one real continuous test of 16 bars at the first level, reads each bar
off the canvas as a player does, and plays every note where its click is
heard (on a beat) or would be (between beats); reports the program's own
scoring and where in its tick each click was heard.

follow_click.py VELVANE WRITE_DATAFILE RECORDER WORK
    FOLLOW_INPUT=keys|midi and FOLLOW_BPM=120|90 pick the case; BENCH_SERVER
    and VELVANE_SOUND_BUFFER name the device buffer. Expects XDG_RUNTIME_DIR
    (a sound server with the null sink ci_null) and, for MIDI,
    LD_LIBRARY_PATH on the stand-in PortMidi.

Where the clicks are heard: the recording of the sink's monitor is read while
it records. The count-in's clicks give the heard place of the clock's start;
the program sees each later tick at the first pass of the 10 ms clock after
its boundary (the grid holds from the start), and its click is heard that
many passes after the start's. A note is played then: a key through XTest
from one long-lived `xdotool -`, or a Note On that the stand-in PortMidi
delivers at that moment.
"""
import math
import os
import queue
import subprocess
import sys
import threading
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "common"))
from program import SIXTEEN_BARS, BenchError, Program, load, now, start_recorder  # noqa: E402
from harness import PRESTART_S, START_INTO_TICK_NS, TICKS_PER_SECOND, program_constant  # noqa: E402
from recording import QUIET_NS, THRESHOLD, Recording, median  # noqa: E402
from xtest import stamp_arrival_ns  # noqa: E402

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tests", "e2e"))
import sight_reading  # noqa: E402

HERE = os.path.dirname(os.path.abspath(__file__))
SOURCE_DIR = os.path.join(HERE, "..", "..")
EARLYCHANGE = 80  # the next bar shows 1 1/3 beats before its bar line, in time to read it

BEATS = 4
BARS = 16
PASS_NS = program_constant("engine/clockphase.h", "periodMs") * 1_000_000  # the test clock's period
NS = 1_000_000_000
TAP_KEY = "j"


def tick_start_ns(tick):
    """The first nanosecond of tick `tick` on the monotonic clock, as the
    program counts ticks."""
    return tick // TICKS_PER_SECOND * NS + (tick % TICKS_PER_SECOND * NS + TICKS_PER_SECOND - 1) // TICKS_PER_SECOND


def ticks_at(ns):
    return ns // NS * TICKS_PER_SECOND + ns % NS * TICKS_PER_SECOND // NS


def passes_to(ticks):
    """Passes from the clock's start to the pass that first sees the tick
    `ticks` after the start's."""
    boundary_ns = ticks * NS / TICKS_PER_SECOND - START_INTO_TICK_NS
    return math.ceil(boundary_ns / PASS_NS - 1e-9)


def buffer_frames():
    chosen = os.environ.get("VELVANE_SOUND_BUFFER")
    if chosen:
        return int(chosen)
    return 64 if os.environ.get("BENCH_SERVER") == "pipewire" else 128


def heard_clicks(raw, after_ns):
    """Monotonic times of the onsets recorded so far after `after_ns`; only
    the samples after it are scanned, so this keeps up while it records."""
    try:
        rec = Recording(raw)
    except (OSError, ValueError, IndexError):
        return []
    later = [n for t, n in rec.reads if t > after_ns]
    if not later:
        return []
    # Samples delivered by the first read after the moment may be earlier.
    first = max(0, later[0] - rec.rate // 10)
    found, last = [], -10 ** 18
    quiet = QUIET_NS * rec.rate // NS
    samples = rec.samples
    for i in range(first, len(samples)):
        if samples[i] > THRESHOLD or samples[i] < -THRESHOLD:
            if i - last > quiet:
                found.append(i)
            last = i
    return [t for t in (rec.monotonic_ns(i) for i in found) if t > after_ns]


class Follower:
    """The player sight_reading.sight_read hands the notes to: it presses
    START, hears the count-in, and plays each note where the program's pass
    sees its tick, heard: `send(when_ns)` is called ahead of that moment, and
    the tapper or the stand-in PortMidi plays the note at it."""

    def __init__(self, program, raw, ticks_per_beat, send, after_press):
        self.program, self.raw, self.ticks_per_beat = program, raw, ticks_per_beat
        self.send, self.after_press = send, after_press
        self.due = queue.Queue()
        self.planned = []
        self.start_heard = None
        self.error = None
        # Reading the bars must not hold the playing thread back.
        sys.setswitchinterval(0.0005)
        self.thread = threading.Thread(target=self._play, daemon=True)

    @property
    def tapped(self):
        """The taps' moments in seconds, as sight_reading keeps a player's."""
        return [when / NS for when in self.planned]

    def press_start(self):
        self.pressed = time.monotonic_ns()
        self.program.press_start()
        self.after_press()
        self.thread.start()
        return self.pressed / NS

    def play(self, start_tick, ticks):
        self.due.put(ticks)

    def _play(self):
        try:
            self.start_heard = self._hear_start()
        except BenchError as e:
            self.error = e
            return
        while True:
            ticks = self.due.get()
            if ticks is None:
                return
            when = int(self.start_heard + passes_to(ticks) * PASS_NS)
            self.planned.append(when)
            self.send(when)

    def _hear_start(self):
        """The heard place of the clock's start (the count-in's first click is
        played at it), from each click of the count-in less its passes."""
        count_in = []
        deadline = now() + PRESTART_S + 3
        while len(count_in) < BEATS - 1 and now() < deadline:
            time.sleep(0.05)
            count_in = heard_clicks(self.raw, self.pressed + int(1.5 * NS))[:BEATS - 1]
        if len(count_in) < BEATS - 1:
            raise BenchError(f"heard {len(count_in)} clicks of the count-in")
        return median(sorted(t - passes_to(k * self.ticks_per_beat) * PASS_NS for k, t in enumerate(count_in)))

    def finish(self):
        self.due.put(None)
        self.thread.join(60)
        if self.error:
            raise self.error


class Screen:
    """What sight_reading.capture needs of a run: the main window and the
    environment of its display."""

    def __init__(self, program, work):
        self.window = (program.wid, program.menu + sight_reading.harness.CLIENT_HEIGHT)
        self.workdir = work

    def env(self):
        return dict(os.environ)


class KeyTapper:
    """Taps through XTest at the given moments, from xtest_tapper.py, a
    process of its own; keeps when each tap was sent and when the X server
    stamped it (the time the program scores the key at)."""

    def __init__(self, wid):
        self.wid = wid
        self.proc = subprocess.Popen([sys.executable, os.path.join(HERE, "xtest_tapper.py"), str(wid), TAP_KEY],
                                     stdin=subprocess.PIPE, stdout=subprocess.PIPE, text=True)
        if self.proc.stdout.readline().strip() != "ready":
            raise BenchError("the key tapper did not start")
        self.sent, self.stamps = [], []
        self.reader = threading.Thread(target=self._read, daemon=True)
        self.reader.start()

    def _read(self):
        for line in self.proc.stdout:
            kind, value = line.split()
            (self.sent if kind == "sent" else self.stamps).append(int(value))

    def send(self, when):
        self.proc.stdin.write(f"{when}\n")
        self.proc.stdin.flush()

    def focus(self):
        subprocess.run(["xdotool", "windowfocus", str(self.wid)], check=False)

    def close(self):
        """(sent ns, stamp ms) of each tap, once every tap is made."""
        self.proc.stdin.close()
        self.proc.wait(30)
        self.reader.join(10)
        return list(zip(self.sent, self.stamps))


def stamp_summary(stamped, planned):
    """How the keys' way to the program went: each tap sent against its
    moment, and the X server's stamp (what the program times the key at, the
    middle of its millisecond) against the send. Returns that line and how
    many taps the way put in a later tick than their moment's: the program
    scores those as played then."""
    late = sorted((sent - when) / 1e6 for (sent, _), when in zip(stamped, planned))
    arrival = [(stamp_arrival_ns(stamp), sent, when) for (sent, stamp), when in zip(stamped, planned)]
    way = sorted((at - sent) / 1e6 for at, sent, _ in arrival)
    moved = sum(ticks_at(at) != ticks_at(when) for at, _, when in arrival)
    return (f"taps sent {late[0]:.2f} / {median(late):.2f} / {late[-1]:.2f} ms after their moment; "
            f"stamped {way[0]:.2f} / {median(way):.2f} / {way[-1]:.2f} ms after their send; "
            f"{moved} reached the program in a later tick than their moment's"), moved


def midi_sender(live_path):
    """Note Ons the stand-in PortMidi delivers at the given monotonic times."""
    def send(when):
        with open(live_path, "a") as f:
            f.write(f"note {when / NS:.6f}\n")
    return send


def scored(program):
    """(perfect, near, way off, notes) of the test, from the program's data
    file."""
    reader = os.path.join(os.path.dirname(program.velvane), "tests", "read_datafile")
    folder = os.path.join(program.data_home, "Velvane")
    deadline = now() + 30
    while now() < deadline:
        out = subprocess.run([reader, folder], capture_output=True, text=True)
        data = dict(line.split("=", 1) for line in out.stdout.splitlines() if "=" in line)
        if data.get("line1") == "1":
            rows = int(data["line2"])
            return tuple(round(float(data[k]) * rows / 100) for k in ("line4", "line5", "line6")) + (rows,)
        time.sleep(0.25)
    raise BenchError("the test's result was not saved")


def run(program, recorder, work, inp, bpm):
    ticks_per_beat = 60 * TICKS_PER_SECOND // bpm
    beat_s = ticks_per_beat / TICKS_PER_SECOND
    time.sleep(1)
    program.set_options(SIXTEEN_BARS)
    time.sleep(1)
    test_s = PRESTART_S + (BARS + 2) * BEATS * beat_s + 1
    raw = os.path.join(work, "rec.raw")
    rec_proc = start_recorder(recorder, raw, test_s + 2)
    time.sleep(0.5)
    load_start = load()
    tapper = None
    focus = lambda: None  # noqa: E731
    if inp == "keys":
        tapper = KeyTapper(program.wid)
        send, focus = tapper.send, tapper.focus
    else:
        send = midi_sender(os.path.join(work, "midi-live.txt"))
    follower = Follower(program, raw, ticks_per_beat, send, focus)
    played = sight_reading.sight_read(Screen(program, work), SOURCE_DIR, ticks_per_beat, EARLYCHANGE, BARS,
                                      player=follower)
    follower.finish()
    rec_proc.wait()
    stamped = tapper.close() if tapper else []
    perfect, near, way_off, rows = scored(program)

    # Where each click of the test was heard in its beat's tick. The clock's
    # start lies a sound path (at least one buffer, less than a tick more)
    # before its heard place, 2 ms into its tick.
    buffer_ns = buffer_frames() * NS // 44100
    start_tick = ticks_at(int(follower.start_heard) - buffer_ns - START_INTO_TICK_NS)
    heard = heard_clicks(raw, follower.pressed + int(1.5 * NS))
    places = []
    for k in range(BEATS, (BARS + 1) * BEATS):
        boundary = tick_start_ns(start_tick + k * ticks_per_beat)
        near_click = [t for t in heard if boundary - 5_000_000 <= t < boundary + 40_000_000]
        if near_click:
            places.append((near_click[0] - boundary) / 1e6)
    print(f"load {load_start} at START, {load()} at the end; buffer {buffer_frames()} frames")
    print(f"notes read {len(played.notes)}, played {len(stamped) if tapper else len(follower.planned)}"
          + f"; clicks of the test heard {len(places)} of {BARS * BEATS}"
          + (f"; not read in time: {', '.join(played.unread)}" if played.unread else ""))
    moved_text = ""
    if stamped:
        way_text, moved = stamp_summary(stamped, follower.planned)
        print(way_text)
        moved_text = f"; moved a tick on the way {moved}"
    places.sort()
    server = os.environ.get("BENCH_SERVER", "pulseaudio")
    heard_text = (f"{places[0]:.1f} / {median(places):.1f} / {places[-1]:.1f} ms into the tick" if places
                  else "no click heard")
    return (f"follow {inp} {server} {bpm} bpm: perfect {perfect} of {rows} ({100 * perfect / rows:.1f} %), "
            f"near {near}, way off {way_off}{moved_text}; heard {heard_text}")


def main():
    velvane, write_datafile, recorder, work = sys.argv[1:5]
    inp = os.environ.get("FOLLOW_INPUT", "keys")
    bpm = int(os.environ.get("FOLLOW_BPM", "120"))
    settings = [f"tickspeed={60 * TICKS_PER_SECOND // bpm}", "listenplay=0", f"earlychange={EARLYCHANGE}"]
    if inp == "midi":
        settings.append("midiinput=1")
    try:
        with Program(velvane, write_datafile, work, settings) as program:
            print(run(program, recorder, work, inp, bpm))
            return 0
    except BenchError as e:
        print(f"follow {inp} {os.environ.get('BENCH_SERVER', 'pulseaudio')} {bpm} bpm: failed: {e}")
        return 1


if __name__ == "__main__":
    sys.exit(main())
