#!/usr/bin/env python3
"""Runs one real continuous test of 16 bars and measures its metronome.

metronome.py VELVANE WRITE_DATAFILE RECORDER WORK
Expects DISPLAY (an X server without a window manager), XDG_RUNTIME_DIR (a
sound server with the null sink ci_null) and BENCH_SERVER_PID (the server's
process) in the environment. The program picks its SDL driver itself.
"""
import os
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "common"))
from program import SIXTEEN_BARS, BenchError, Program, load, now, start_recorder  # noqa: E402
from harness import PRESTART_S, TICKS_PER_SECOND, expected_clicks as expected_click_names  # noqa: E402
from recording import Recording, median  # noqa: E402

TICKSPEED = 30        # ticks per beat: 120 bpm
BEATS = 4             # the initial 4/4
BARS = 16
EARLYCHANGE = 80      # the initial next-bar timing
IDLE_S = float(os.environ.get("IDLE_SECONDS", "10"))
RECORDER_ONLY_S = 5.0


class Threads:
    """CPU time (ns, from schedstat) and context switches of each thread.
    The audio thread comes and goes with the stream, so a measurement
    samples every quarter second and keeps each thread's last sample."""

    def __init__(self, pid):
        self.pid = pid

    def sample(self):
        out = {}
        base = f"/proc/{self.pid}/task"
        for tid in os.listdir(base):
            try:
                with open(f"{base}/{tid}/comm") as f:
                    name = f.read().strip()
                with open(f"{base}/{tid}/schedstat") as f:
                    ns = int(f.read().split()[0])
                switches = 0  # voluntary and involuntary: the wake-ups
                with open(f"{base}/{tid}/status") as f:
                    for line in f:
                        if "ctxt_switches:" in line:
                            switches += int(line.split()[1])
            except OSError:
                continue
            out[int(tid)] = (name, ns, switches)
        return now(), out


def measure(samplers, seconds):
    """First and last samples over `seconds`, every thread's last sample kept."""
    first = [s.sample() for s in samplers]
    last = [(t, dict(threads)) for t, threads in first]
    end = now() + seconds
    while now() < end:
        time.sleep(min(0.25, max(0.0, end - now())))
        for k, s in enumerate(samplers):
            t, threads = s.sample()
            merged = last[k][1]
            merged.update(threads)
            last[k] = (t, merged)
    return first, last


def cpu_between(labels, a, b):
    """Per group of threads (main, audio, other, server): % of one core and
    wake-ups a second between the samples a and b."""
    result = {}
    for label, (ta, sa), (tb, sb) in zip(labels, a, b):
        wall = tb - ta
        for tid, (name, ns, sw) in sb.items():
            if label == "server":
                group = "server"
            elif tid == label:
                group = "main"
            elif name.startswith("SDLAudio"):
                group = "audio"
            else:
                group = "other"
            ns0, sw0 = (sa[tid][1], sa[tid][2]) if tid in sa else (0, 0)
            cpu, wakes = result.get(group, (0.0, 0.0))
            result[group] = (cpu + (ns - ns0) / 1e9 / wall * 100, wakes + (sw - sw0) / wall)
    return result


def cpu_text(cpu):
    program = sum(cpu.get(g, (0, 0))[0] for g in ("main", "audio", "other"))
    parts = [f"{g} {cpu[g][0]:.2f} % ({cpu[g][1]:.0f}/s)" for g in ("main", "audio", "other", "server") if g in cpu]
    total = program + cpu.get("server", (0, 0))[0]
    return f"program {program:.2f} % + server {cpu.get('server', (0, 0))[0]:.2f} % = {total:.2f} % of a core; " + \
        ", ".join(parts)


def expected_clicks():
    """How many clicks the test sounds, the count-in's included."""
    return len(expected_click_names(TICKSPEED, EARLYCHANGE, BARS, BEATS))


def analyse(rec, expected, pressed_s=None):
    onsets = [rec.monotonic_ns(i) / 1e6 for i in rec.onsets()]  # ms
    ideal = TICKSPEED * 1000 / TICKS_PER_SECOND
    lines = [rec.clock_drift_text()]
    if len(onsets) < 2:
        lines.append(f"clicks found {len(onsets)} of {expected}")
        return lines
    # Each onset's place on the beat grid, so a missing click leaves a gap.
    beats = [round((t - onsets[0]) / ideal) for t in onsets]
    missing = beats[-1] + 1 - len(set(beats))
    lines.append(f"clicks found {len(onsets)} of {expected} (grid gaps {missing})")
    iois = sorted(b - a for a, b in zip(onsets, onsets[1:]))
    if pressed_s is not None:
        lines.append(f"count-in's first click {onsets[0] - pressed_s * 1000:.1f} ms after the START press "
                     f"(the wait is {PRESTART_S * 1000:.0f} ms)")
    # Where each click falls after its beat's tick (ticks on the monotonic
    # clock, as the program counts them): the tick the clicks follow is
    # taken from them all.
    places = sorted(t * TICKS_PER_SECOND / 1000 - b * TICKSPEED for b, t in zip(beats, onsets))
    origin = int(places[len(places) // 2])
    after = sorted((p - origin) * 1000 / TICKS_PER_SECOND for p in places)
    lines.append(f"clicks after their beat's tick ms: min {after[0]:.1f} / median {median(after):.1f} / "
                 f"max {after[-1]:.1f}")
    lines.append(f"inter-onset ms: min {iois[0]:.2f} / median {median(iois):.2f} / max {iois[-1]:.2f} "
                 f"(ideal {ideal:.2f})")
    # Least-squares line through (beat, onset): the grid the clicks keep.
    n = len(onsets)
    mb = sum(beats) / n
    mt = sum(onsets) / n
    sbb = sum((b - mb) ** 2 for b in beats)
    slope = sum((b - mb) * (t - mt) for b, t in zip(beats, onsets)) / sbb
    dev = [t - (mt + slope * (b - mb)) for b, t in zip(beats, onsets)]
    sd = (sum(d * d for d in dev) / (n - 1)) ** 0.5
    span = beats[-1] - beats[0]
    drift = (slope - ideal) * span
    # The fitted slope's standard error: the drift cannot be told apart from
    # zero more finely than this.
    drift_se = sd / sbb ** 0.5 * span
    lines.append(f"deviation from the fitted grid ms: SD {sd:.2f} / max {max(abs(d) for d in dev):.2f}; "
                 f"fitted beat {slope:.3f} ms; drift {drift:+.2f} ms (standard error {drift_se:.2f}) "
                 f"over {span} beats")
    return lines


def main():
    velvane, write_datafile, recorder, work = sys.argv[1:5]
    server_pid = int(os.environ["BENCH_SERVER_PID"])
    try:
        with Program(velvane, write_datafile, work, [f"tickspeed={TICKSPEED}", "listenplay=0"]) as program:
            return run(program, server_pid, recorder, work)
    except BenchError as e:
        print(e)
        return 1


def run(program, server_pid, recorder, work):
    print(f"start-up to window mapped {program.startup_s:.3f} s (load {load()})")
    samplers = [Threads(program.pid), Threads(server_pid)]
    labels = [program.pid, "server"]

    time.sleep(2)
    a, b = measure(samplers, IDLE_S)
    print(f"idle ({IDLE_S:.0f} s, load {load()}): {cpu_text(cpu_between(labels, a, b))}")

    program.set_options(SIXTEEN_BARS)
    time.sleep(1)

    beat_s = TICKSPEED / TICKS_PER_SECOND
    test_s = PRESTART_S + (BARS + 1) * BEATS * beat_s + BEATS * beat_s
    raw = os.path.join(work, "rec.raw")
    rec_proc = start_recorder(recorder, raw, test_s + 3)
    # The recorder costs the server too; its share is measured alone.
    time.sleep(0.5)
    a, b = measure(samplers, RECORDER_ONLY_S)
    recorder_only = cpu_between(labels, a, b)
    print(f"recording only ({RECORDER_ONLY_S:.0f} s, load {load()}): {cpu_text(recorder_only)}")
    load_start = load()
    pressed = now()
    program.press_start()
    a, b = measure(samplers, test_s)
    during = cpu_between(labels, a, b)
    print(f"during the test ({test_s:.0f} s from START, load {load_start} -> {load()}): {cpu_text(during)}")
    names = sorted({name for _, (name, _, _) in b[0][1].items()})
    print(f"the program's threads during the test: {', '.join(names)}")
    program_cpu = sum(during.get(g, (0, 0))[0] for g in ("main", "audio", "other"))
    server = during["server"][0] - recorder_only["server"][0]
    print(f"during the test without the recorder's share: program {program_cpu:.2f} % + server {server:.2f} % "
          f"= {program_cpu + server:.2f} % of a core")
    rec_proc.wait()

    time.sleep(1)  # the last click ends and the stream comes to rest
    a, b = measure(samplers, IDLE_S)
    print(f"idle after the test ({IDLE_S:.0f} s, load {load()}): {cpu_text(cpu_between(labels, a, b))}")

    with open(f"/proc/{program.pid}/status") as f:
        mem = {k: v.strip() for k, v in (line.split(":", 1) for line in f) if k in ("VmRSS", "VmHWM")}
    print(f"memory: VmRSS {mem['VmRSS']}, VmHWM {mem['VmHWM']} (load {load()})")

    for line in analyse(Recording(raw), expected_clicks(), pressed):
        print(line)
    return 0


if __name__ == "__main__":
    sys.exit(main())
