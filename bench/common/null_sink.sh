# Sourced by the benchmarks: a private sound server with one null sink,
# ci_null, whose monitor the benchmarks record. BENCH_SERVER picks the server:
# pulseaudio (the default) or pipewire (with WirePlumber to link the streams,
# a private D-Bus, which WirePlumber needs, and pipewire-pulse, which tells
# when the sink is ready; the recorder reads the monitor with pw-record there).
# Sets XDG_RUNTIME_DIR to a folder under $1, so the program finds only this
# server, and installs an EXIT trap that stops it; callers add their own
# clean-up to the function bench_cleanup_extra.

bench_server=${BENCH_SERVER:-pulseaudio}
case $bench_server in
    pulseaudio | pipewire) ;;
    *) echo "BENCH_SERVER must be pulseaudio or pipewire" >&2; exit 2 ;;
esac
export BENCH_SERVER=$bench_server
bench_server_pids=()

bench_cleanup_extra() { :; }

bench_stop_null_sink() {
    bench_cleanup_extra
    local pidfile=$XDG_RUNTIME_DIR/pulse/pid
    if [[ $bench_server == pulseaudio && -f $pidfile ]]; then
        kill "$(cat "$pidfile")" 2>/dev/null || true
        # The server removes its pid file as it exits.
        for _ in $(seq 40); do [[ -f $pidfile ]] || break; sleep 0.05; done
    fi
    local pid
    for pid in "${bench_server_pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    for pid in "${bench_server_pids[@]}"; do
        for _ in $(seq 40); do kill -0 "$pid" 2>/dev/null || break; sleep 0.05; done
    done
    if [[ -n ${KEEP_WORK:-} ]]; then echo "kept $bench_work"; else rm -rf "$bench_work" 2>/dev/null || true; fi
}

bench_start_pipewire() {
    export XDG_CONFIG_HOME=$bench_work/config
    local conf=$XDG_CONFIG_HOME/pipewire/pipewire.conf.d
    mkdir -p "$conf"
    cat >"$conf/ci-null.conf" <<'CONF'
context.objects = [
    { factory = adapter
        args = {
            factory.name     = support.null-audio-sink
            node.name        = ci_null
            node.description = "null sink"
            media.class      = Audio/Sink
            audio.position   = [ FL FR ]
            object.linger    = true
            priority.session = 2000
            priority.driver  = 2000
        }
    }
]
CONF
    local bus=$XDG_RUNTIME_DIR/bus
    dbus-daemon --session --address="unix:path=$bus" --fork --print-pid >"$bench_work/dbus.pid"
    bench_server_pids+=("$(cat "$bench_work/dbus.pid")")
    export DBUS_SESSION_BUS_ADDRESS=unix:path=$bus
    pipewire 2>"$bench_work/pipewire.log" &
    bench_server_pids=("$!" "${bench_server_pids[@]}")
    bench_pipewire_pid=$!
    for _ in $(seq 100); do [[ -S $XDG_RUNTIME_DIR/pipewire-0 ]] && break; sleep 0.02; done
    wireplumber 2>"$bench_work/wireplumber.log" &
    bench_server_pids=("$!" "${bench_server_pids[@]}")
    # Made first: pipewire-pulse gives up when a client (the pactl below)
    # makes this folder between its own check and its mkdir.
    mkdir -p -m 700 "$XDG_RUNTIME_DIR/pulse"
    pipewire-pulse 2>"$bench_work/pipewire-pulse.log" &
    bench_server_pids=("$!" "${bench_server_pids[@]}")
    # Ready once the session manager has made ci_null the default sink and
    # pipewire-pulse answers.
    for _ in $(seq 100); do
        pactl get-default-sink 2>/dev/null | grep -q ci_null && return 0
        sleep 0.05
    done
    echo "PipeWire did not come up"
    return 1
}

# bench_start_null_sink WORK
bench_start_null_sink() {
    bench_work=$1
    export XDG_RUNTIME_DIR=$bench_work/runtime
    mkdir -m 700 "$XDG_RUNTIME_DIR"
    trap bench_stop_null_sink EXIT
    if [[ $bench_server == pipewire ]]; then
        bench_start_pipewire
    else
        # BENCH_SERVER_LOG=1: the server's debug log (underruns, latency
        # requests), timed, in pulse.log of the work folder (KEEP_WORK keeps it).
        local log=()
        [[ -n ${BENCH_SERVER_LOG:-} ]] && log=(--log-level=debug --log-time=1 "--log-target=file:$bench_work/pulse.log")
        pulseaudio --start --exit-idle-time=-1 -n "${log[@]}" --load=module-native-protocol-unix \
            --load="module-null-sink sink_name=ci_null norewinds=1" 2>>"$bench_work/pulse.log"
    fi
}

# bench_pulse_pid: the sound server's process id (PipeWire's own daemon).
bench_pulse_pid() {
    if [[ $bench_server == pipewire ]]; then echo "$bench_pipewire_pid"; else cat "$XDG_RUNTIME_DIR/pulse/pid"; fi
}

# bench_start_recorder RECORDER OUT.raw SECONDS: records ci_null's monitor in
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
