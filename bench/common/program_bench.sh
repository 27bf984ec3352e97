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

# BENCH_IDLE=poll (as root) keeps every idle core polling instead of halting
# for the whole run, through the kernel's PM QoS request: on this guest
# machine a halted virtual core sometimes takes milliseconds to wake, which
# delays a key press in the X server and the program alike.
bench_idle=${BENCH_IDLE:-halt}
case $bench_idle in
    halt) ;;
    poll)
        python3 -c 'import os, struct, sys, time
fd = os.open("/dev/cpu_dma_latency", os.O_WRONLY)
os.write(fd, struct.pack("i", 0))
print("ready", flush=True)
time.sleep(1e9)' >"$bench_program_work/idle.out" &
        bench_server_pids+=("$!")
        for _ in $(seq 100); do grep -q ready "$bench_program_work/idle.out" 2>/dev/null && break; sleep 0.05; done
        grep -q ready "$bench_program_work/idle.out" || { echo "BENCH_IDLE=poll needs write access to /dev/cpu_dma_latency"; exit 2; }
        ;;
    *) echo "BENCH_IDLE must be halt or poll" >&2; exit 2 ;;
esac

echo "server $BENCH_SERVER; buffer ${VELVANE_SOUND_BUFFER:-default} frames; $(nproc) cores; idle cores $bench_idle"
BENCH_SERVER_PID=$(bench_pulse_pid)
export BENCH_SERVER_PID

# bench_run_script SCRIPT
bench_run_script() {
    python3 "$1" "$bench_build/velvane" "$bench_build/tests/write_datafile" \
        "$bench_build/bench/sound_latency/sound_latency_recorder" "$bench_program_work"
}
