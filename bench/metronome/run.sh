#!/usr/bin/env bash
# The metronome of a real test, heard on a null sink: the program
# runs under Xvfb with a private data folder set to continuous mode at 120 bpm,
# the options window sets 16 bars, START is pressed, and the sink's monitor is
# recorded for the whole test. Reports the clicks found, their timing against
# the beat grid, CPU at rest and during the test, start-up time and memory,
# each with the system load. Run by hand; `tools/setup.sh --bench` installs what
# it needs. Builds into $BUILD_DIR (default: build-bench in the tree).
#
#   bench/metronome/run.sh
#   BENCH_SERVER=pipewire bench/metronome/run.sh    # PipeWire instead of PulseAudio
#
# VELVANE_SOUND_BUFFER=128 runs the program with 128-frame device buffers;
# IDLE_SECONDS sets how long the idle CPU is measured (default 10).
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=../common/program_bench.sh
source "$here/../common/program_bench.sh"
bench_run_script "$here/metronome.py"
