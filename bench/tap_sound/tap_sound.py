#!/usr/bin/env python3
"""Runs one real continuous test of 16 bars, taps a key into it and measures
how long each tap's hit sound takes to be heard.

tap_sound.py VELVANE WRITE_DATAFILE RECORDER WORK
    Expects DISPLAY (an X server without a window manager), XDG_RUNTIME_DIR (a
    sound server with the null sink ci_null) in the environment.
tap_sound.py --analyse TAPS.txt REC.raw [TAPS.txt REC.raw ...]
    Analyses the taps ("tap NS" lines, CLOCK_MONOTONIC; "stamp MS" lines, the
    X server's stamps of the presses, where read) and the recording of a
    run again; given several runs, also the taps of all of them together (in
    one run of 56 taps, p99 is the slowest tap).

A tap sounds only while the test has a note left for it, so the test runs at
the second level (about 1.8 notes a beat, never fewer than one in two beats)
and the taps start in the second bar, one a beat: by then the notes are
always ahead. Each tap comes halfway between two clicks; its hit sound lasts
far longer than a click, which tells the two apart.
"""
import os
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "common"))
from program import LEVEL_2, SIXTEEN_BARS, BenchError, Program, load, now, start_recorder  # noqa: E402
from harness import PRESTART_S, TICKS_PER_SECOND  # noqa: E402
from recording import THRESHOLD, Recording, median, percentile  # noqa: E402
from xtest import XTest, stamp_arrival_ns  # noqa: E402

TICKSPEED = 30          # ticks per beat: 120 bpm
BEATS = 4               # the initial 4/4
BARS = 16
BEAT_S = TICKSPEED / TICKS_PER_SECOND
TAPPED_BARS = range(1, 15)  # of the test, after the count-in; the test ends in bar 15
TAP_AFTER_BEAT_S = BEAT_S / 2
KEY_HELD_S = 0.03
TAP_KEY = b"j"

MATCH_BEFORE_NS = 2_000_000
MATCH_AFTER_NS = 200_000_000
# A hit sound stays above the threshold in every 10 ms block of its first
# 100 ms; a click dies away within 20 ms.
BLOCK_S = 0.01
HIT_BLOCKS = 10


def tap_times(test_start):
    """The monotonic times of the taps for a test whose count-in starts at
    `test_start`: halfway between the clicks of the tapped bars."""
    return [test_start + ((1 + bar) * BEATS + beat) * BEAT_S + TAP_AFTER_BEAT_S
            for bar in TAPPED_BARS for beat in range(BEATS)]


def send_taps(xtest, times, out_path):
    code = xtest.keycode(TAP_KEY)
    with open(out_path, "w") as out:
        for t in times:
            time.sleep(max(0.0, t - now()))
            sent = time.monotonic_ns()
            xtest.key(code, True)
            time.sleep(KEY_HELD_S)
            xtest.key(code, False)
            out.write(f"tap {sent}\n")


def is_hit_sound(rec, index):
    """Whether the sound starting at sample `index` lasts like a hit sound."""
    block = int(rec.rate * BLOCK_S)
    for k in range(HIT_BLOCKS):
        part = rec.samples[index + k * block:index + (k + 1) * block]
        if not part or max(max(part), -min(part)) <= THRESHOLD:
            return False
    return True


def loud_after(rec, t):
    """How long (ms, in 10 ms blocks) the first sound in the match window
    after monotonic time t stays above the threshold; 0 if none."""
    lo, hi = 0, len(rec.samples)
    while lo < hi:  # the first sample heard at t or later
        mid = (lo + hi) // 2
        if rec.monotonic_ns(mid) < t:
            lo = mid + 1
        else:
            hi = mid
    block = int(rec.rate * BLOCK_S)
    end = lo + MATCH_AFTER_NS * rec.rate // 1_000_000_000
    loud = 0
    for i in range(lo, min(end, len(rec.samples)), block):
        part = rec.samples[i:i + block]
        if max(max(part), -min(part)) > THRESHOLD:
            loud += 1
        elif loud:
            break
    return loud * 10


def analyse(taps_path, raw_path, pooled=None):
    """The report lines of one run; adds its tap-to-sound and stamp-to-sound
    times to the lists in `pooled` ("tap", "stamp") where given."""
    with open(taps_path) as f:
        rows = [line.split() for line in f]
    taps = [int(parts[1]) for parts in rows if parts and parts[0] == "tap"]
    # The X server's stamp of each press, where the run read them back.
    stamps = [stamp_arrival_ns(int(parts[1])) for parts in rows if parts and parts[0] == "stamp"]
    if len(stamps) != len(taps):
        stamps = []
    rec = Recording(raw_path)
    onsets = rec.onsets()
    hits = [rec.monotonic_ns(i) for i in onsets if is_hit_sound(rec, i)]
    # The clicks before the first tap (later ones mostly fall inside a hit
    # sound) lay the beat grid the taps keep away from.
    clicks = [t for t in (rec.monotonic_ns(i) for i in onsets if not is_hit_sound(rec, i))
              if not taps or t < taps[0]]
    latencies = []
    from_stamp = []
    missing = []
    j = 0
    for k, t in enumerate(taps):
        while j < len(hits) and hits[j] < t - MATCH_BEFORE_NS:
            j += 1
        if j < len(hits) and hits[j] <= t + MATCH_AFTER_NS:
            latencies.append((hits[j] - t) / 1e6)
            if stamps:
                from_stamp.append((hits[j] - stamps[k]) / 1e6)
            j += 1
        else:
            missing.append(f"tap {k + 1} ({loud_after(rec, t)} ms)")
    if pooled is not None:
        pooled["tap"] += latencies
        pooled["stamp"] += from_stamp
    lines = [rec.clock_drift_text(),
             f"onsets {len(onsets)}, of them hit sounds {len(hits)}",
             f"taps {len(taps)}, hit sounds found {len(latencies)} of {len(taps)}"]
    if clicks and taps:
        beat_ns = BEAT_S * 1e9
        after = sorted((t - clicks[0]) % beat_ns / 1e6 for t in taps)
        lines.append(f"taps {after[0]:.0f} to {after[-1]:.0f} ms after a beat of the count-in's clicks")
    if missing:
        # With each the time the first sound after it stayed loud: 0 for
        # silence, 10 to 30 for a click, more for a hit sound cut short or
        # run into the sound before it.
        lines.append(f"no hit sound within {MATCH_AFTER_NS // 1_000_000} ms after: " + ", ".join(missing))
    if latencies:
        ordered = sorted(latencies)
        lines.append(f"tap to sound ms: min {ordered[0]:.2f} / median {median(ordered):.2f} / "
                     f"p99 {percentile(ordered, 99):.2f} / max {ordered[-1]:.2f}")
    if stamps:
        # The key's way to the program, and from its stamp (the time the
        # program has for the key) on, through the program to the sound.
        way = sorted((stamp - t) / 1e6 for stamp, t in zip(stamps, taps))
        lines.append(f"tap to the X server's stamp ms: min {way[0]:.2f} / median {median(way):.2f} / "
                     f"max {way[-1]:.2f}")
    if from_stamp:
        ordered = sorted(from_stamp)
        lines.append(f"stamp to sound ms: min {ordered[0]:.2f} / median {median(ordered):.2f} / "
                     f"p99 {percentile(ordered, 99):.2f} / max {ordered[-1]:.2f}")
    return lines


def run(program, recorder, work):
    print(f"start-up to window mapped {program.startup_s:.3f} s (load {load()})")
    time.sleep(1)
    program.set_options(SIXTEEN_BARS, LEVEL_2)
    time.sleep(1)

    test_s = PRESTART_S + (BARS + 1) * BEATS * BEAT_S + BEATS * BEAT_S
    raw = os.path.join(work, "rec.raw")
    taps_path = os.path.join(work, "taps.txt")
    rec_proc = start_recorder(recorder, raw, test_s + 3)
    time.sleep(0.5)
    xtest = XTest()
    try:
        load_start = load()
        # The count-in starts 2000 ms after the program gets the click, and
        # up to a tick later; xdotool's click reaches it close after the call
        # starts, but the call takes some 70 ms to return.
        pressed = now()
        program.press_start()
        # After the click, which may move the focus itself.
        xtest.focus(0 if os.environ.get("TAP_FOCUS") == "none" else int(program.wid))
        stamps = []
        xtest.listen(int(program.wid), stamps.append)
        send_taps(xtest, tap_times(pressed + PRESTART_S), taps_path)
        time.sleep(0.5)  # the last press's stamp
        with open(taps_path, "a") as out:
            out.writelines(f"stamp {ms}\n" for ms in stamps)
    finally:
        xtest.close()
    rec_proc.wait()
    print(f"load {load_start} at START, {load()} at the end")
    for line in analyse(taps_path, raw):
        print(line)
    return 0


def main():
    if len(sys.argv) >= 4 and len(sys.argv) % 2 == 0 and sys.argv[1] == "--analyse":
        runs = list(zip(sys.argv[2::2], sys.argv[3::2]))
        pooled = {"tap": [], "stamp": []}
        for taps_path, raw_path in runs:
            if len(runs) > 1:
                print(f"--- {taps_path}")
            for line in analyse(taps_path, raw_path, pooled):
                print(line)
        if len(runs) > 1:
            print(f"--- all {len(runs)} runs")
            for what, times in (("tap to sound", pooled["tap"]), ("stamp to sound", pooled["stamp"])):
                if times:
                    ordered = sorted(times)
                    print(f"{what} ms ({len(ordered)} taps): median {median(ordered):.2f} / "
                          f"p99 {percentile(ordered, 99):.2f} / max {ordered[-1]:.2f}")
        return 0
    velvane, write_datafile, recorder, work = sys.argv[1:5]
    try:
        with Program(velvane, write_datafile, work, [f"tickspeed={TICKSPEED}", "listenplay=0"]) as program:
            return run(program, recorder, work)
    except (BenchError, OSError) as e:
        print(e)
        return 1


if __name__ == "__main__":
    sys.exit(main())
