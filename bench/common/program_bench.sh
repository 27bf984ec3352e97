# Sourced by the benchmarks that run the program itself: builds it into
# $BUILD_DIR (default: build-bench in the tree), starts the sound server with
# its null sink (null_sink.sh; BENCH_SERVER picks the server), stopped at
# exit. Then bench_run_script SCRIPT runs a benchmark's Python script as
#   SCRIPT VELVANE WRITE_DATAFILE RECORDER WORK
# with XDG_RUNTIME_DIR and BENCH_SERVER_PID (the server's process) in its
# environment; the script's program runs on an X server of its own
# (bench/common/program.py).

bench_common=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
bench_src=${VELVANE_SRC:-$(cd "$bench_common/../.." && pwd)}
bench_build=${BUILD_DIR:-$bench_src/build-bench}

cmake -S "$bench_src" -B "$bench_build" -DCMAKE_BUILD_TYPE=Release -DVELVANE_BENCH=ON -DVELVANE_TESTS=ON >/dev/null
cmake --build "$bench_build" -j"${JOBS:-3}" --target velvane write_datafile sound_latency_recorder >/dev/null

# shellcheck source=null_sink.sh
source "$bench_common/null_sink.sh"
bench_program_work=$(mktemp -d)
bench_start_null_sink "$bench_program_work"

echo "server $BENCH_SERVER; buffer ${VELVANE_SOUND_BUFFER:-default} frames; $(nproc) cores"
BENCH_SERVER_PID=$(bench_pulse_pid)
export BENCH_SERVER_PID

# bench_run_script SCRIPT
bench_run_script() {
    python3 "$1" "$bench_build/velvane" "$bench_build/tests/write_datafile" \
        "$bench_build/bench/sound_latency/sound_latency_recorder" "$bench_program_work"
}
