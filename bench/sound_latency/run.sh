#!/usr/bin/env bash
# Click latency of SdlMixer, measured on a null sink: 100 clicks 250 ms
# apart, each timed just before its play and found again in a recording of
# the sink's monitor. Run by hand; `tools/setup.sh --bench` installs what it needs.
# Builds into $BUILD_DIR (default: build-bench in the tree).
# BENCH_SERVER=pipewire measures against PipeWire instead of PulseAudio; the
# mixer picks its SDL driver as the program does. VELVANE_SOUND_BUFFER=128
# measures 128-frame device buffers.
#
#   bench/sound_latency/run.sh
#   BENCH_SERVER=pipewire bench/sound_latency/run.sh
#
# The build uses the top-level option VELVANE_BENCH, which adds bench/.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
src=${VELVANE_SRC:-$(cd "$here/../.." && pwd)}
build=${BUILD_DIR:-$src/build-bench}
clicks=${CLICKS:-100}
interval_ms=${INTERVAL_MS:-250}

cmake -S "$src" -B "$build" -DCMAKE_BUILD_TYPE=Release -DVELVANE_BENCH=ON -DVELVANE_TESTS=OFF >/dev/null
cmake --build "$build" -j"${JOBS:-4}" --target sound_latency_player sound_latency_recorder >/dev/null
player=$build/bench/sound_latency/sound_latency_player
recorder=$build/bench/sound_latency/sound_latency_recorder

# shellcheck source=../common/null_sink.sh
source "$here/../common/null_sink.sh"
bench_recorder_pid=
bench_cleanup_extra() { if [[ -n $bench_recorder_pid ]]; then kill "$bench_recorder_pid" 2>/dev/null || true; fi; }
work=$(mktemp -d)
bench_start_null_sink "$work"

record_seconds=$(( (clicks * interval_ms + 2000) / 1000 ))
bench_start_recorder "$recorder" "$work/rec.raw" "$record_seconds"

"$player" "$clicks" "$interval_ms" >"$work/plays.txt"
wait "$bench_recorder_pid"
bench_recorder_pid=

echo "server $BENCH_SERVER; load $(cut -d' ' -f1 /proc/loadavg)"
grep -E '^(driver|rate|buffer|voices)' "$work/plays.txt"
python3 "$here/analyse.py" "$work/plays.txt" "$work/rec.raw"
