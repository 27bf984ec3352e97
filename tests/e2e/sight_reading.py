"""Playing a test the way a user does: read each bar off the notation canvas
and tap its notes at their onsets.

The canvas draws a bar's group pictures from x = 230, each a quarter of its
size, the next one a quarter of the group's advance further on; the note
heads sit on the staff line. A bar is read from a screenshot: the heads are
the wide dark runs just above the staff line, and the bar is parsed into one
group per beat whose heads fall where the group puts its notes. Onsets follow
from the beat and the tempo, in ticks, as the program times them.
"""
import collections
import os
import queue
import re
import subprocess
import sys
import threading
import time

import harness

CANVAS = (0, 2, 725, 231)  # x, y, w, h in the client area
FIRST_PICTURE = 230
HEAD_RUN = 6  # a head is at least this wide a little above the staff line
ABOVE_STAFF = 2
BEAT_UNITS = harness.BEAT_UNITS
TICKS_PER_SECOND = harness.TICKS_PER_SECOND
BUTTON_HELD_S = 0.02  # between a click's press and release
# Where in its tick a tap is sent: early, since what comes after the send
# (this thread's wake-up, xdotool, the X server, which stamps it and so times
# it for the program) took 0 to 8 ms on a quiet machine.
TAP_INTO_TICK = 0.2


def group_table(source_dir):
    """The group table as the program holds it: (picture, advance, offsets)
    for each group index."""
    path = os.path.join(source_dir, "notation", "groupdata.h")
    with open(path) as f:
        text = f.read()
    table = []
    for picture, advance, offsets in re.findall(r'group\("(\w+)",\s*(\d+),\s*\{([\d,\s]*)\}\)', text):
        table.append((picture, int(advance), [int(o) for o in offsets.replace(",", " ").split()]))
    if len(table) != 31:
        raise ValueError(f"{path}: {len(table)} groups read")
    return table


def capture(run, region):
    """Grey pixels of a client-area region now, as rows of bytes."""
    window, height = run.window
    x, y, w, h = region
    shot = subprocess.run(["import", "-window", window, "-crop", f"{w}x{h}+{x}+{y + height - harness.CLIENT_HEIGHT}",
                           "+repage",
                           "-colorspace", "gray", "-depth", "8", "gray:-"],
                          env=run.env(), capture_output=True, timeout=60).stdout
    if len(shot) != w * h:
        return None
    return [shot[r * w:(r + 1) * w] for r in range(h)]


def dark_runs(row, least):
    runs, start = [], None
    for x in range(len(row) + 1):
        ink = x < len(row) and row[x] < 128
        if ink and start is None:
            start = x
        if not ink and start is not None:
            if x - start >= least:
                runs.append((start, x - 1))
            start = None
    return runs


def heads_on(rows):
    """Centres of the note heads: wide dark runs both just above and just
    below the staff line (the rows dark across most of the canvas). A rest
    crosses the line with thin strokes, a stem is one pixel wide."""
    staff = [r for r in range(len(rows)) if sum(1 for v in rows[r] if v < 128) > 0.6 * len(rows[r])]
    if not staff:
        return []
    below = dark_runs(rows[max(staff) + 2], HEAD_RUN)
    heads = []
    for a, b in dark_runs(rows[min(staff) - 2], HEAD_RUN):
        # The clef stands left of the bar.
        if a >= FIRST_PICTURE and any(a <= d and c <= b for c, d in below):
            heads.append((a + b + 1) / 2)
    return heads


def parse_bar(heads, groups, beats, head_offset):
    """The groups of a bar of `beats` beats whose heads explain every head
    seen: a list of (beat, offset) for its notes, or None.

    groups: (advance, offsets) of the groups the level can draw. A head is
    the group's note when it lies within a sixth of a beat of the note's
    place; of several readings the closest is taken."""
    best = [None, None]

    def walk(beat, x, remaining, notes, error):
        if beat == beats:
            if not remaining and (best[0] is None or error < best[0]):
                best[0], best[1] = error, list(notes)
            return
        for advance, offsets in groups:
            width = advance / 4
            places = [x + head_offset + o / BEAT_UNITS * width for o in offsets]
            ahead = [h for h in remaining if h < x + width]
            if len(ahead) != len(places):
                continue
            misses = [abs(h - p) for h, p in zip(ahead, places)]
            if any(m > width / 6 for m in misses):
                continue
            walk(beat + 1, x + int(width), remaining[len(ahead):],
                 notes + [(beat, o) for o in offsets], error + sum(m * m for m in misses))

    walk(0, FIRST_PICTURE, list(heads), [], 0.0)
    return best[1]


# The taps' times, the START press's time, the onsets tapped (ticks after the
# count-in) and the bars that could not be read before they began.
Played = collections.namedtuple("Played", "tapped pressed notes unread")


class Player:
    """Taps through one long-lived xdotool, at given monotonic times, from a
    thread of its own, and keeps the times it tapped."""

    def __init__(self, run):
        self.run = run
        run.start_tapper()
        self.due = queue.Queue()
        self.tapped = []
        # Reading the bar must not hold the tapping thread back.
        sys.setswitchinterval(0.0005)
        self.thread = threading.Thread(target=self._tap, daemon=True)
        self.thread.start()

    def _tap(self):
        while True:
            due = self.due.get()
            if due is None:
                return
            time.sleep(max(0.0, due - time.monotonic()))
            # Stamped before it leaves: nothing the tap causes comes earlier.
            self.tapped.append(time.monotonic())
            self.run.tap()

    def play(self, start_tick, ticks):
        """Taps `ticks` after the test's start tick, early in that tick."""
        self.due.put((start_tick + ticks + TAP_INTO_TICK) / TICKS_PER_SECOND)

    def press_start(self):
        """Presses START through the tapper; returns the time of its release,
        where the button acts (xdotool's own click waits between the two),
        chosen so that the start's tick is sure."""
        window, height = self.run.window
        # START's centre, under the menu bar.
        x, y = harness.START
        self.run.xdotool("mousemove", "--window", window, str(x), str(height - harness.CLIENT_HEIGHT + y))
        self.run.idle_face = self.run.start_face()
        self.run.tapper.stdin.write("mousedown 1\n")
        self.run.tapper.stdin.flush()
        release = harness.sure_release_time(time.monotonic() + BUTTON_HELD_S)
        time.sleep(max(0.0, release - time.monotonic()))
        released = time.monotonic()
        self.run.tapper.stdin.write("mouseup 1\n")
        self.run.tapper.stdin.flush()
        return released

    def finish(self):
        self.due.put(None)
        self.thread.join(30)


def sight_read(run, source_dir, tickspeed, earlychange, bars=4, beats=4, level=(0, 2), player=None):
    """Plays one test from its START: reads every bar when it is shown and
    has `player` (a Player by default) play its notes, each given as ticks
    after the test's start. Returns what was played."""
    table = group_table(source_dir)
    groups = sorted({(advance, tuple(offsets)) for _, advance, offsets in table[level[0]:level[1] + 1]})
    bar_span = tickspeed * beats
    margin = int(earlychange / BEAT_UNITS * tickspeed)
    player = player or Player(run)
    pressed = player.press_start()
    start_tick = harness.test_start_tick(pressed)
    head_offset = None
    notes = []
    unread = []
    previous = None
    for bar in range(bars):
        # Bar 0 is shown from the test start, each next bar from its request
        # in the bar before; a moment for the repaint.
        shown = start_tick if bar == 0 else start_tick + bar * bar_span + bar_span - margin + 1
        time.sleep(max(0.0, shown / TICKS_PER_SECOND + 0.1 - time.monotonic()))
        last = bar == bars - 1
        # Looked at again until it shows a bar other than the last one read;
        # two bars may look alike, so at the bar's start what it shows stands.
        deadline = (start_tick + (bar + 1) * bar_span) / TICKS_PER_SECOND - 0.05
        while True:
            rows = capture(run, CANVAS)
            heads = heads_on(rows) if rows else []
            # A test's first beat is the crotchet: its head shows where a
            # beat's head stands from the beat's picture.
            offset = head_offset if head_offset is not None else heads[0] - FIRST_PICTURE if heads else 0
            reading = parse_bar(heads, groups, beats - 1 if last else beats, offset) if heads else None
            if reading is not None and (rows != previous or time.monotonic() > deadline):
                head_offset = offset
                break
            if time.monotonic() > deadline + 0.5:
                break
            time.sleep(0.04)
        if reading is None:
            # Not shown in time: its notes go untapped, and the score shows it.
            unread.append(f"bar {bar} (heads at {heads})")
            continue
        previous = rows
        # What was read, kept with a failed run's files
        # (convert -size 725x231 -depth 8 gray:bar0.gray bar0.png).
        with open(os.path.join(run.workdir, f"bar{bar}.gray"), "wb") as f:
            f.write(b"".join(rows))
        for beat, offset in reading:
            onset = bar * bar_span + beat * tickspeed + int(offset / BEAT_UNITS * tickspeed)
            notes.append(onset)
            player.play(start_tick, bar_span + onset)
    player.finish()
    return Played(player.tapped, pressed, notes, unread)
