#!/usr/bin/env bash
# Click latency of SdlMixer, measured on a PulseAudio null sink: 100 clicks
# 250 ms apart, each timed just before its play and found again in a
# recording of the sink's monitor. Run by hand; needs pulseaudio and
# pulseaudio-utils. Builds into $BUILD_DIR (default: build-bench in the tree).
#
#   bench/sound_latency/run.sh
#
# The build uses the top-level option VELVANE_BENCH, which adds bench/.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
src=${VELVANE_SRC:-$(cd "$here/../.." && pwd)}
build=${BUILD_DIR:-$src/build-bench}
clicks=${CLICKS:-100}
interval_ms=${INTERVAL_MS:-250}

cmake -S "$src" -B "$build" -DCMAKE_BUILD_TYPE=Release -DVELVANE_BENCH=ON -DVELVANE_TESTS=OFF >/dev/null
cmake --build "$build" -j8 --target sound_latency_player sound_latency_recorder >/dev/null
player=$build/bench/sound_latency/sound_latency_player
recorder=$build/bench/sound_latency/sound_latency_recorder

work=$(mktemp -d)
export XDG_RUNTIME_DIR=$work/runtime
mkdir -m 700 "$XDG_RUNTIME_DIR"
recorder_pid=
cleanup() {
    if [[ -n $recorder_pid ]]; then kill "$recorder_pid" 2>/dev/null || true; fi
    local pidfile=$XDG_RUNTIME_DIR/pulse/pid
    if [[ -f $pidfile ]]; then
        kill "$(cat "$pidfile")" 2>/dev/null || true
        # The server removes its pid file as it exits.
        for _ in $(seq 40); do [[ -f $pidfile ]] || break; sleep 0.05; done
    fi
    if [[ -n ${KEEP_WORK:-} ]]; then echo "kept $work"; else rm -rf "$work" 2>/dev/null || true; fi
}
trap cleanup EXIT

pulseaudio --start --exit-idle-time=-1 -n --load=module-native-protocol-unix \
    --load="module-null-sink sink_name=ci_null norewinds=1" 2>"$work/pulse.log"

record_seconds=$(( (clicks * interval_ms + 2000) / 1000 ))
"$recorder" "$work/rec.raw" "$record_seconds" ci_null.monitor >"$work/rec.out" 2>"$work/rec.err" &
recorder_pid=$!
for _ in $(seq 100); do
    grep -q ready "$work/rec.out" 2>/dev/null && break
    sleep 0.05
done
grep -q ready "$work/rec.out" || { echo "recorder did not start"; cat "$work/rec.err"; exit 1; }

SDL_AUDIODRIVER=pulseaudio "$player" "$clicks" "$interval_ms" >"$work/plays.txt"
wait "$recorder_pid"
recorder_pid=

grep -E '^(rate|voices)' "$work/plays.txt"
python3 "$here/analyse.py" "$work/plays.txt" "$work/rec.raw"
