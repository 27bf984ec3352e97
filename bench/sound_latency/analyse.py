#!/usr/bin/env python3
"""Finds click onsets in a recording and measures play-to-onset latency.

analyse.py PLAYS.txt REC.raw
PLAYS.txt: the player's output ("play NS" lines, CLOCK_MONOTONIC).
REC.raw / REC.raw.meta: the recorder's output.
"""
import array
import sys

THRESHOLD = 3000        # of 32767; the clicks peak near 29000
QUIET_NS = 100_000_000  # onsets are at least this far apart
MATCH_BEFORE_NS = 2_000_000
MATCH_AFTER_NS = 100_000_000
OFFSET_WINDOW_NS = 250_000_000


def main():
    plays_path, raw_path = sys.argv[1], sys.argv[2]
    plays = []
    with open(plays_path) as f:
        for line in f:
            parts = line.split()
            if parts and parts[0] == "play":
                plays.append(int(parts[1]))

    rate = 44100
    reads = []  # (monotonic ns, samples received so far)
    with open(raw_path + ".meta") as f:
        for line in f:
            parts = line.split()
            if parts[0] == "rate":
                rate = int(parts[1])
            elif parts[0] == "read":
                reads.append((int(parts[1]), int(parts[2]) // 2))

    samples = array.array("h")
    with open(raw_path, "rb") as f:
        samples.frombytes(f.read())
    if sys.byteorder != "little":
        samples.byteswap()

    # A read that returned at t holding n samples in all means sample n - 1
    # reached the monitor no later than t, so sample 0 did no later than
    # t - n / rate. The least of these bounds near a click is the estimate.
    # It is taken close to each click (a few hundred reads), because the null
    # sink's sample clock drifts from the monotonic clock (about 0.8 ms a
    # second here) and its delivery delay changes when a stream comes or goes.
    bounds = [(t, t - n * 1_000_000_000 // rate) for t, n in reads]

    def origin_near(t):
        near = [b for rt, b in bounds if abs(rt - t) <= OFFSET_WINDOW_NS]
        return min(near) if near else min(b for _, b in bounds)

    onsets = []  # sample indexes
    last = -10 ** 18
    quiet = QUIET_NS * rate // 1_000_000_000
    for i, s in enumerate(samples):
        if (s > THRESHOLD or s < -THRESHOLD) and i - last > quiet:
            onsets.append(i)
            last = i
        elif s > THRESHOLD or s < -THRESHOLD:
            last = i

    latencies = []
    j = 0
    for p in plays:
        origin = origin_near(p)
        times = [origin + k * 1_000_000_000 // rate for k in onsets]
        while j < len(times) and times[j] < p - MATCH_BEFORE_NS:
            j += 1
        if j < len(times) and times[j] <= p + MATCH_AFTER_NS:
            latencies.append((times[j] - p) / 1e6)
            j += 1

    span_ns = reads[-1][0] - reads[0][0]
    span_samples = reads[-1][1] - reads[0][1]
    drift = span_samples * 1e9 / rate - span_ns
    print(f"recording: {len(samples) / rate:.2f} s, {len(onsets)} onsets, "
          f"sample clock vs monotonic {drift / 1e6:+.2f} ms over {span_ns / 1e9:.1f} s")
    print(f"clicks heard {len(latencies)} of {len(plays)}")
    if latencies:
        ordered = sorted(latencies)
        n = len(ordered)
        median = ordered[n // 2] if n % 2 else (ordered[n // 2 - 1] + ordered[n // 2]) / 2
        p99 = ordered[max(0, -(-99 * n // 100) - 1)]
        print(f"latency ms: min {ordered[0]:.2f} / median {median:.2f} / p99 {p99:.2f} / max {ordered[-1]:.2f}")


if __name__ == "__main__":
    main()
