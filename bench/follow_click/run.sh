#!/usr/bin/env bash
# A player who taps on the click as heard: real continuous tests of 16 bars
# at the first level, on a null sink, each note played exactly when its click
# is heard (follow_click.py), scored by the program itself. Runs the four
# cases of one server, keys and MIDI (the stand-in PortMidi) at 120 and
# 90 bpm, and ends with one line a case. Run by hand; `tools/setup.sh
# --bench` installs what it needs. Builds into $BUILD_DIR (default:
# build-bench in the tree).
#
#   bench/follow_click/run.sh
#   BENCH_SERVER=pipewire bench/follow_click/run.sh    # PipeWire instead of PulseAudio
#   FOLLOW_INPUT=keys|midi FOLLOW_BPM=120|90 bench/follow_click/run.sh   # fewer cases
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=../common/program_bench.sh
source "$here/../common/program_bench.sh"
cmake --build "$bench_build" -j"${JOBS:-3}" --target read_datafile portmidi_standin >/dev/null

results=()
for input in ${FOLLOW_INPUT:-keys midi}; do
    for bpm in ${FOLLOW_BPM:-120 90}; do
        work="$bench_program_work/$input-$bpm"
        mkdir -p "$work"
        if [[ $input == midi ]]; then
            printf 'device standin-keys\nlive %s\n' "$work/midi-live.txt" >"$work/midi-script.txt"
            : >"$work/midi-live.txt"
            export VELVANE_MIDI_SCRIPT="$work/midi-script.txt"
            export LD_LIBRARY_PATH="$bench_build/tests/portmidi_standin"
        else
            unset VELVANE_MIDI_SCRIPT LD_LIBRARY_PATH
        fi
        echo "--- $input, $bpm bpm"
        out=$(FOLLOW_INPUT=$input FOLLOW_BPM=$bpm python3 "$here/follow_click.py" "$bench_build/velvane" \
            "$bench_build/tests/write_datafile" "$bench_build/bench/sound_latency/sound_latency_recorder" "$work") || true
        echo "$out" | sed '$d'
        results+=("$(echo "$out" | tail -n 1)")
    done
done
unset VELVANE_MIDI_SCRIPT LD_LIBRARY_PATH
printf '%s\n' "${results[@]}"
