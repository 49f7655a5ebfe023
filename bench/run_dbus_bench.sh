#!/bin/bash
# Runs tervanix_dbus_bench on a private session bus whose activation folder starts HOST (the program,
# or the stand-in host of the bus tests) with -Embedding for the first call. HOST is copied into a
# folder of its own first: the program keeps its files beside itself.
# usage: run_dbus_bench.sh HOST BENCH [benchmark options]
set -eu
BENCH=$(realpath "$2")
W=$(mktemp -d /tmp/tervanix-bench.XXXXXX)
trap 'rm -rf "$W"' EXIT
mkdir -p "$W/program"
cp "$(realpath "$1")" "$W/program/"
HOST=$W/program/$(basename "$1")
shift 2
# The program writes its own activation file.
QT_QPA_PLATFORM=offscreen XDG_DATA_HOME=$W/data "$HOST" /REGSERVER
source "$(dirname "$0")/../tools/private_bus.sh"
write_private_bus_config "$W/session.conf" "$W" "$W/data/dbus-1/services"
export TERVANIX_HOST_QUEUE=$W/program/Tervanix.fif QT_QPA_PLATFORM=offscreen
# The program started for the last figures is ended before its folder goes.
export BENCH
dbus-run-session --config-file="$W/session.conf" -- bash -c '
    "$BENCH" "$@"
    pid=$(gdbus call --session --dest org.freedesktop.DBus --object-path /org/freedesktop/DBus \
        --method org.freedesktop.DBus.GetConnectionUnixProcessID Tervanix.QCserver 2>/dev/null |
        sed -E "s/^\(uint32 ([0-9]+),\)$/\1/")
    [ -n "$pid" ] && kill -TERM "$pid" && while kill -0 "$pid" 2>/dev/null; do sleep 0.1; done
    true' bench "$@" 2> >(grep -v '^dbus-daemon' >&2)
