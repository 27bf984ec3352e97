#!/usr/bin/env python3
"""A player's finger on the keyboard, for follow_click.py: taps a key into the
X server at given moments and reports when the server stamped each tap.

xtest_tapper.py WINDOW KEY
    Reads one monotonic time in nanoseconds a line from stdin and, at that
    moment, presses and releases KEY through XTest. Waits in this process of
    its own, the last stretch awake, and sends the press as one request, so
    that neither a busy reader of the bars nor a tool's own requests to the
    server move the tap. For each tap it prints `sent NS`; for each press the
    WINDOW (the program's, where the focus is) receives, `stamp MS` with the
    server's millisecond stamp, which the program times the key at.
"""
import os
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "common"))
from xtest import XTest  # noqa: E402

AWAKE_NS = 2_000_000  # the last stretch before a tap is waited for awake
STAMP_WAIT_S = 0.5  # for the last press to come back before the end


def report(line):
    sys.stdout.write(line + "\n")
    sys.stdout.flush()


def main():
    window, key = int(sys.argv[1], 0), sys.argv[2]
    try:
        xtest = XTest()
    except OSError as e:
        sys.exit(f"xtest_tapper: {e}")
    keycode = xtest.keycode(key.encode())
    xtest.listen(window, lambda ms: report(f"stamp {ms}"))
    report("ready")
    for line in sys.stdin:
        when = int(line)
        rest = when - time.monotonic_ns() - AWAKE_NS
        if rest > 0:
            time.sleep(rest / 1e9)
        while time.monotonic_ns() < when:
            pass
        sent = time.monotonic_ns()
        xtest.key(keycode, True)
        xtest.key(keycode, False)
        report(f"sent {sent}")
    time.sleep(STAMP_WAIT_S)


if __name__ == "__main__":
    main()
