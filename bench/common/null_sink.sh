# Sourced by the benchmarks: a private PulseAudio server with one null sink,
# ci_null, whose monitor the benchmarks record. Sets XDG_RUNTIME_DIR to a
# folder under $1 and installs an EXIT trap that stops the server; callers add
# their own clean-up to the function bench_cleanup_extra.

bench_cleanup_extra() { :; }

bench_stop_null_sink() {
    bench_cleanup_extra
    local pidfile=$XDG_RUNTIME_DIR/pulse/pid
    if [[ -f $pidfile ]]; then
        kill "$(cat "$pidfile")" 2>/dev/null || true
        # The server removes its pid file as it exits.
        for _ in $(seq 40); do [[ -f $pidfile ]] || break; sleep 0.05; done
    fi
    if [[ -n ${KEEP_WORK:-} ]]; then echo "kept $bench_work"; else rm -rf "$bench_work" 2>/dev/null || true; fi
}

# bench_start_null_sink WORK
bench_start_null_sink() {
    bench_work=$1
    export XDG_RUNTIME_DIR=$bench_work/runtime
    mkdir -m 700 "$XDG_RUNTIME_DIR"
    trap bench_stop_null_sink EXIT
    pulseaudio --start --exit-idle-time=-1 -n --load=module-native-protocol-unix \
        --load="module-null-sink sink_name=ci_null norewinds=1" 2>"$bench_work/pulse.log"
}

# bench_pulse_pid: the server's process id.
bench_pulse_pid() {
    cat "$XDG_RUNTIME_DIR/pulse/pid"
}

# bench_start_recorder RECORDER OUT.raw SECONDS: records ci_null.monitor in
# the background (pid in bench_recorder_pid) and waits until it is ready.
bench_start_recorder() {
    local recorder=$1 out=$2 seconds=$3
    "$recorder" "$out" "$seconds" ci_null.monitor >"$out.out" 2>"$out.err" &
    bench_recorder_pid=$!
    for _ in $(seq 100); do
        grep -q ready "$out.out" 2>/dev/null && return 0
        sleep 0.05
    done
    echo "recorder did not start"
    cat "$out.err"
    return 1
}
