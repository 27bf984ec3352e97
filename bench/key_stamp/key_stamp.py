#!/usr/bin/env python3
"""How long the X server takes to stamp a key press, with the program idle
and while it runs a test: the part of a tap's way that lies before the
program, and so outside it.

key_stamp.py VELVANE WRITE_DATAFILE RECORDER WORK
    Expects XDG_RUNTIME_DIR (a sound server with the null sink ci_null), as
    the other benchmarks that run the program; the program gets an X server
    of its own. KEY_STAMP_TAPS sets the taps of each phase (default 200).

Taps go through follow_click's tapper, a process of its own that sends each
press as one XTest request at its moment and reads back the server's stamp.
"""
import os
import subprocess
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "common"))
from program import LEVEL_2, SIXTEEN_BARS, BenchError, Program, load  # noqa: E402
from recording import median  # noqa: E402
from xtest import stamp_arrival_ns  # noqa: E402

TAPPER = os.path.join(HERE, "..", "follow_click", "xtest_tapper.py")
TAP_GAP_NS = 250_000_000
LATE_MS = 1.0  # a stamp later than this after its send is counted
COUNT_IN_S = 2.5  # START's wait and part of the count-in


def stamp_delays(window, taps):
    """Sends `taps` presses to `window`, one every TAP_GAP_NS; returns each
    press's time from its send to its stamp, in ms."""
    tapper = subprocess.Popen([sys.executable, TAPPER, str(window), "j"], stdin=subprocess.PIPE,
                              stdout=subprocess.PIPE, text=True)
    if tapper.stdout.readline().strip() != "ready":
        raise BenchError("the tapper did not start")
    first = time.monotonic_ns() + TAP_GAP_NS
    tapper.stdin.write("".join(f"{first + k * TAP_GAP_NS}\n" for k in range(taps)))
    tapper.stdin.close()
    sent, stamps = [], []
    for line in tapper.stdout:
        kind, value = line.split()
        (sent if kind == "sent" else stamps).append(int(value))
    tapper.wait()
    if len(stamps) != len(sent):
        raise BenchError(f"{len(stamps)} stamps came back for {len(sent)} taps")
    return [(stamp_arrival_ns(ms) - ns) / 1e6 for ms, ns in zip(stamps, sent)]


def summary(what, delays):
    ordered = sorted(delays)
    late = sum(1 for d in ordered if d > LATE_MS)
    return (f"{what}: {len(ordered)} presses, stamped more than {LATE_MS:.0f} ms after their send {late} "
            f"({100 * late / len(ordered):.1f} %); median {median(ordered):.2f} / max {ordered[-1]:.2f} ms")


def run(program, taps):
    window = int(program.wid)
    time.sleep(1)
    print(f"load {load()}")
    print(summary("program idle", stamp_delays(window, taps)))
    program.set_options(SIXTEEN_BARS, LEVEL_2)
    time.sleep(1)
    program.press_start()
    time.sleep(COUNT_IN_S)
    print(summary("during a test", stamp_delays(window, taps)))
    print(f"load {load()}")
    return 0


def main():
    velvane, write_datafile, _recorder, work = sys.argv[1:5]
    taps = int(os.environ.get("KEY_STAMP_TAPS", "200"))
    try:
        with Program(velvane, write_datafile, work, ["tickspeed=30", "listenplay=0"]) as program:
            return run(program, taps)
    except (BenchError, OSError) as e:
        print(e)
        return 1


if __name__ == "__main__":
    sys.exit(main())
