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
src=${VELVANE_SRC:-$(cd "$here/../.." && pwd)}
build=${BUILD_DIR:-$src/build-bench}
display=${BENCH_DISPLAY:-:64}

cmake -S "$src" -B "$build" -DCMAKE_BUILD_TYPE=Release -DVELVANE_BENCH=ON -DVELVANE_TESTS=ON >/dev/null
cmake --build "$build" -j"${JOBS:-3}" --target velvane write_datafile sound_latency_recorder >/dev/null

# shellcheck source=../common/null_sink.sh
source "$here/../common/null_sink.sh"
xvfb_pid=
bench_cleanup_extra() { if [[ -n $xvfb_pid ]]; then kill "$xvfb_pid" 2>/dev/null || true; fi; }
work=$(mktemp -d)
bench_start_null_sink "$work"

Xvfb "$display" -screen 0 1280x1024x24 -nolisten tcp 2>"$work/xvfb.log" &
xvfb_pid=$!
for _ in $(seq 100); do
    DISPLAY=$display xdotool getdisplaygeometry >/dev/null 2>&1 && break
    sleep 0.05
done

echo "server $BENCH_SERVER; buffer ${VELVANE_SOUND_BUFFER:-default} frames; $(nproc) cores"
BENCH_SERVER_PID=$(bench_pulse_pid)
export BENCH_SERVER_PID
DISPLAY=$display python3 "$here/metronome.py" "$build/velvane" "$build/tests/write_datafile" \
    "$build/bench/sound_latency/sound_latency_recorder" "$work"
