#!/usr/bin/env python3
"""How often this machine stalls: processes that each sleep 1 ms at a time
and note every wake-up that comes late. Nothing else needs to run; a machine
whose sleepers wake tens of milliseconds late now and then delays a tap, a
key's way through the X server and a sound alike, whatever the program does.

stall_probe.py [SECONDS] [PROCESSES]    (default 30 s, 2 processes)
"""
import sys
import time
from multiprocessing import Process, Queue

SLEEP_S = 0.001
LATE_MS = 5      # a wake-up later than this is counted
STALL_MS = 20    # ... and as a stall past this


def probe(out, seconds):
    late = []
    end = time.monotonic() + seconds
    while (start := time.monotonic()) < end:
        time.sleep(SLEEP_S)
        delay_ms = (time.monotonic() - start - SLEEP_S) * 1000
        if delay_ms > LATE_MS:
            late.append((start, delay_ms))
    out.put(late)


def main():
    seconds = float(sys.argv[1]) if len(sys.argv) > 1 else 30
    count = int(sys.argv[2]) if len(sys.argv) > 2 else 2
    out = Queue()
    procs = [Process(target=probe, args=(out, seconds)) for _ in range(count)]
    for p in procs:
        p.start()
    results = [out.get() for _ in procs]
    for p in procs:
        p.join()
    delays = sorted(d for late in results for _, d in late)
    stalls = [d for d in delays if d > STALL_MS]
    print(f"{count} sleepers for {seconds:.0f} s: {len(delays) / count:.1f} wake-ups a sleeper later than "
          f"{LATE_MS} ms, {len(stalls) / count:.1f} later than {STALL_MS} ms, the latest "
          f"{delays[-1] if delays else 0:.1f} ms")
    return 0


if __name__ == "__main__":
    sys.exit(main())
