#!/usr/bin/env python3
"""Finds click onsets in a recording and measures play-to-onset latency.

analyse.py PLAYS.txt REC.raw
PLAYS.txt: the player's output ("play NS" lines, CLOCK_MONOTONIC).
REC.raw / REC.raw.meta: the recorder's output.
"""
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "common"))
from recording import Recording, median, percentile  # noqa: E402

MATCH_BEFORE_NS = 2_000_000
MATCH_AFTER_NS = 100_000_000


def main():
    plays_path, raw_path = sys.argv[1], sys.argv[2]
    plays = []
    with open(plays_path) as f:
        for line in f:
            parts = line.split()
            if parts and parts[0] == "play":
                plays.append(int(parts[1]))

    rec = Recording(raw_path)
    onsets = rec.onsets()
    times = [rec.monotonic_ns(k) for k in onsets]
    latencies = []
    j = 0
    for p in plays:
        while j < len(times) and times[j] < p - MATCH_BEFORE_NS:
            j += 1
        if j < len(times) and times[j] <= p + MATCH_AFTER_NS:
            latencies.append((times[j] - p) / 1e6)
            j += 1

    print(f"{rec.clock_drift_text()}, {len(onsets)} onsets")
    print(f"clicks heard {len(latencies)} of {len(plays)}")
    if latencies:
        ordered = sorted(latencies)
        print(f"latency ms: min {ordered[0]:.2f} / median {median(ordered):.2f} / "
              f"p99 {percentile(ordered, 99):.2f} / max {ordered[-1]:.2f}")


if __name__ == "__main__":
    main()
