#!/usr/bin/env python3
"""Takes the README's screenshot: the built program on a private Xvfb under
openbox, a test in progress with three taps on the strip, the main window
cropped out of the screen.

    tools/screenshot.py [--build BUILD_DIR] [OUTPUT.png]   (build, docs/screenshot.png)

It drives the program as the end-to-end runs do (tests/e2e/velvane_e2e.py),
so it needs what they need, and openbox (tools/setup.sh installs them all).
"""
import argparse
import os
import shutil
import subprocess
import sys
import tempfile
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, os.path.join(ROOT, "tests", "e2e"))
import velvane_e2e as e2e  # noqa: E402

# Continuous mode at 60 bpm: the first bar line comes a count-in bar (4 s)
# after the pre-start wait; one tap on each of the bar's first three beats,
# a tick after it, so the first is surely past the bar line (the strip is
# cleared just before it). The next bar shows 80 beat units before the bar's
# end, so the picture is taken before that.
TICKSPEED = 60
BEAT_S = TICKSPEED * e2e.TICK
COUNT_IN_S = 4 * BEAT_S
TAPS = 3
AFTER_BEAT_S = e2e.TICK
# Colours enough for the window's pictures, few enough for a small file.
COLOURS = 64


def absolute_place(run, window):
    """The window's x and y on the screen, inside the window manager's frame."""
    info = subprocess.run(["xwininfo", "-id", window], env=run.env(), capture_output=True, text=True,
                          timeout=30).stdout
    values = dict(line.strip().split(":", 1) for line in info.splitlines() if ":" in line)
    return int(values["Absolute upper-left X"]), int(values["Absolute upper-left Y"])


def take(run, output):
    manager = e2e.start_window_manager(run)
    e2e.check(manager is not None, "openbox is not installed (tools/setup.sh installs it)")
    try:
        run.write_settings(f"tickspeed={TICKSPEED}", "listenplay=0")
        run.start()
        window, height = run.window
        run.start_tapper()
        first_bar = run.click_start() + e2e.PRESTART + COUNT_IN_S
        for k in range(TAPS):
            time.sleep(max(0.0, first_bar + k * BEAT_S + AFTER_BEAT_S - time.monotonic()))
            run.tap()
        time.sleep(BEAT_S / 2)
        # The pointer off the buttons, so none is drawn hovered.
        run.xdotool("mousemove", "--window", window, "0", str(height - 1))
        x, y = absolute_place(run, window)
        subprocess.run(["import", "-window", "root", "-crop", f"{e2e.harness.MAIN_WIDTH}x{height}+{x}+{y}",
                        "+repage", "-strip", "-colors", str(COLOURS), output],
                       env=run.env(), check=True, timeout=60)
        run.terminate()
    finally:
        manager.terminate()
        manager.wait(10)


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--build", default=os.path.join(ROOT, "build"), help="the build folder")
    parser.add_argument("output", nargs="?", default=os.path.join(ROOT, "docs", "screenshot.png"))
    args = parser.parse_args()
    output = os.path.abspath(args.output)
    os.makedirs(os.path.dirname(output), exist_ok=True)

    workdir = tempfile.mkdtemp(prefix="velvane-screenshot-")
    run = None
    try:
        run = e2e.Run(os.path.abspath(args.build), workdir)
        take(run, output)
    except e2e.Failure as failure:
        print(f"no screenshot: {failure}; work folder kept: {workdir}", file=sys.stderr)
        return 1
    finally:
        if run:
            run.close()
    shutil.rmtree(workdir, ignore_errors=True)
    print(output)
    return 0


if __name__ == "__main__":
    sys.exit(main())
