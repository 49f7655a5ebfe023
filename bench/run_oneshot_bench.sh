#!/bin/bash
# One-shot automation calls per second: every call a gdbus process with a bus connection of its
# own, as scripts, dbus-send and many analyser drivers call. On a private session bus, with a copy
# of PROGRAM (the program, or the stand-in host of the bus tests) in a folder of its own:
#  - through activation: no program runs at the first call; the bus starts it (-Embedding) and it
#    serves the rest of the loop;
#  - through a running program: started by the operator beforehand;
#  - the bus alone: the same loop of gdbus processes asking the bus for its id, for comparison.
# usage: run_oneshot_bench.sh PROGRAM [COUNT]   (COUNT calls per loop, 200 by default)
set -eu
if [ -z "${TERVANIX_ONESHOT_INNER:-}" ]; then
    PROGRAM=$(realpath "$1")
    W=$(mktemp -d /tmp/tervanix-oneshot.XXXXXX)
    trap 'rm -rf "$W"' EXIT
    mkdir -p "$W/program" "$W/data/dbus-1/services"
    cp "$PROGRAM" "$W/program/"
    export TERVANIX_ONESHOT_INNER=1 W PROGRAM=$W/program/$(basename "$PROGRAM") QT_QPA_PLATFORM=offscreen
    export XDG_DATA_HOME=$W/data TERVANIX_HOST_QUEUE=$W/program/Tervanix.fif
    source "$(dirname "$0")/../tools/private_bus.sh"
    write_private_bus_config "$W/session.conf" "$W" "$W/data/dbus-1/services"
    dbus-run-session --config-file="$W/session.conf" -- bash "$0" "$@" 2> >(grep -v '^dbus-daemon' >&2)
    exit $?
fi
COUNT=${2:-200}

bus() { gdbus call --session --dest org.freedesktop.DBus --object-path /org/freedesktop/DBus --method "org.freedesktop.DBus.$1" "${@:2}"; }
name_owned() { bus NameHasOwner Tervanix.QCserver | grep -q true; }
wait_until() { local i; for ((i = 0; i < 300; i++)); do "$@" && return 0; sleep 0.1; done; return 1; }
add_loop() {
    local i
    for ((i = 1; i <= COUNT; i++)); do
        gdbus call --session --dest Tervanix.QCserver --object-path /QCserver --method Tervanix.IQCserver.Add \
            46364.5 "\"R$i\"" '"1"' '""' '""' '"OP"' '""' false
    done | grep -c '^(-1,)$'
}
bus_loop() {
    local i
    for ((i = 1; i <= COUNT; i++)); do bus GetId; done | wc -l
}
# label, then the loop: prints the rate
measure() {
    local start stop done
    start=$(date +%s.%N)
    done=$("${@:2}")
    stop=$(date +%s.%N)
    printf '%-28s %4d of %d calls answered   %6.1f calls/s   %5.1f ms per call\n' "$1" "$done" "$COUNT" \
        "$(echo "$COUNT / ($stop - $start)" | bc -l)" "$(echo "1000 * ($stop - $start) / $COUNT" | bc -l)"
}

"$PROGRAM" /REGSERVER
bus ReloadConfig >/dev/null
measure "through activation" add_loop
echo "program starts: $(pgrep -c -f "^$PROGRAM -Embedding" || true) running now (one serves the whole loop)"
kill -TERM "$(bus GetConnectionUnixProcessID Tervanix.QCserver | sed -E 's/^\(uint32 ([0-9]+),\)$/\1/')"
wait_until bash -c '! gdbus call --session --dest org.freedesktop.DBus --object-path /org/freedesktop/DBus --method org.freedesktop.DBus.NameHasOwner Tervanix.QCserver | grep -q true'
"$PROGRAM" & OWNER=$!
wait_until name_owned
measure "through a running program" add_loop
kill -TERM $OWNER
wait $OWNER
measure "the bus alone (GetId)" bus_loop
