#!/usr/bin/env bash
# Runs the plug-in in Debian's jalv on a private JACK server (dummy backend,
# no realtime, 48 kHz) and plays it from the tests' own JACK client.
#   JalvCheck.sh PROBE LV2_DIR SCRATCH [PRELOAD]
# PRELOAD, when given, is preloaded into jalv (a sanitizer runtime the
# plug-in was built with). Every process started here is ended on exit.
set -u
probe=$1 lv2dir=$(realpath "$2") scratch=$(realpath -m "$3") preload=${4:-}
server=""
client="pandrel-jalv-$$"
jackd_pid="" jalv_pid=""

# Waits up to N tenths of a second for a process to end.
ended() {
    for _ in $(seq "$2"); do
        kill -0 -- "$1" 2>/dev/null || return 0
        sleep 0.1
    done
    return 1
}

cleanup() {
    # jalv first, and all of it before the server: jalv runs under timeout,
    # which leads a process group of its own and passes TERM on, and its JACK
    # client may hang in closing, so it is killed when TERM is not enough.
    # The server must then stop on its own: one that is killed keeps one of
    # the machine's few JACK server slots until the next boot.
    exec 3>&-
    if [ -n "$jalv_pid" ]; then
        kill -TERM -- "$jalv_pid" 2>/dev/null
        ended "$jalv_pid" 15 || { kill -KILL -- "-$jalv_pid" 2>/dev/null; ended "$jalv_pid" 20; }
    fi
    if [ -n "$jackd_pid" ]; then
        kill -TERM -- "$jackd_pid" 2>/dev/null
        ended "$jackd_pid" 50 || { echo "JalvCheck: killing the server"; kill -KILL "$jackd_pid"; }
    fi
    wait 2>/dev/null
    # A client killed before it closed leaves its semaphore behind.
    rm -f /dev/shm/jack_sem.*_"$server"_*
    if [ -s "$scratch/jalv.log" ]; then
        echo "--- jalv printed:"
        cat "$scratch/jalv.log"
    fi
    if [ -s "$scratch/jackd.log" ] && [ "${rc:-1}" -ne 0 ]; then
        echo "--- jackd printed:"
        cat "$scratch/jackd.log"
    fi
    rm -rf "$scratch"
}
trap cleanup EXIT
trap 'exit 1' INT TERM

rm -rf "$scratch" && mkdir -p "$scratch" || exit 1
"$probe" state "$scratch/state" || exit 1

# The server's name is the first of a few of this user's that no running
# server has. JACK keeps a machine-wide table of eight server slots, and the
# slot of a server that did not stop cleanly is freed only when a server of
# the same name starts again: a name made new for every run would leak slots.
export JACK_NO_START_SERVER=1 JACK_NO_AUDIO_RESERVATION=1
for k in 0 1 2 3; do
    name="pandrel-test-$(id -u)-$k"
    timeout 2 jack_wait --check --server "$name" 2>/dev/null | grep -qx running && continue
    jackd --no-realtime --name "$name" -d dummy -r 48000 -p 256 >"$scratch/jackd.log" 2>&1 &
    jackd_pid=$!
    for _ in $(seq 50); do
        kill -0 "$jackd_pid" 2>/dev/null || break
        if timeout 2 jack_wait --check --server "$name" 2>/dev/null | grep -qx running; then
            # Ours, unless another run's server of that name answered: ours
            # then fails at once.
            sleep 0.3
            kill -0 "$jackd_pid" 2>/dev/null && server=$name
            break
        fi
        sleep 0.1
    done
    [ -n "$server" ] && break
    kill -TERM "$jackd_pid" 2>/dev/null && ended "$jackd_pid" 30
    jackd_pid=""
done
if [ -z "$server" ]; then
    echo "JalvCheck: no JACK server would start"
    exit 1
fi
export JACK_DEFAULT_SERVER=$server

# jalv reads commands from its standard input and quits at its end: a pipe
# held open here keeps it running (opened both ways, so neither end waits).
mkfifo "$scratch/stdin" && exec 3<>"$scratch/stdin" || exit 1
(
    export LV2_PATH=$lv2dir
    [ -n "$preload" ] && export LD_PRELOAD=$preload ASAN_OPTIONS=detect_leaks=0
    exec timeout -s TERM 20 jalv -x -n "$client" -l "$scratch/state" urn:pandrel:lv2 \
        <"$scratch/stdin" >"$scratch/jalv.log" 2>&1 3>&-
) &
jalv_pid=$!

timeout -s TERM 15 "$probe" play "$client"
rc=$?
exit $rc
