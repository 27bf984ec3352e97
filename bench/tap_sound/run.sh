#!/usr/bin/env bash
# Tap to sound in a real test, heard on a null sink: the program runs under
# Xvfb with a private data folder set to continuous mode at 120 bpm, the
# options window sets 16 bars and the second level, START is pressed, and key
# taps reach the key field through XTest halfway between the clicks, one a beat
# from the second bar of the test to the fifteenth. The sink's monitor is
# recorded for the whole test; each tap's hit sound is found in it. Reports
# the taps sent, the hit sounds found and the tap-to-onset latency, which
# includes the key's way through the X server to the program. Run by hand;
# `tools/setup.sh --bench` installs what it needs. Builds into $BUILD_DIR
# (default: build-bench in the tree).
#
#   bench/tap_sound/run.sh
#   BENCH_SERVER=pipewire bench/tap_sound/run.sh    # PipeWire instead of PulseAudio
#
# VELVANE_SOUND_BUFFER=128 runs the program with 128-frame device buffers.
# TAP_FOCUS=none sends the taps with the keyboard focus on no window, so the
# program gets none of them: the analysis must then find no hit sound.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=../common/program_bench.sh
source "$here/../common/program_bench.sh"
bench_run_script "$here/tap_sound.py"
