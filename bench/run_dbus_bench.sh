#!/bin/bash
# Runs tervanix_dbus_bench on a private session bus whose activation folder starts HOST (the program,
# or the stand-in host of the bus tests) with -Embedding for the first call.
# usage: run_dbus_bench.sh HOST BENCH [benchmark options]
set -eu
HOST=$(realpath "$1") BENCH=$(realpath "$2"); shift 2
W=$(mktemp -d /tmp/tervanix-bench.XXXXXX)
trap 'rm -rf "$W"' EXIT
# The program writes its own activation file.
QT_QPA_PLATFORM=offscreen XDG_DATA_HOME=$W/data "$HOST" /REGSERVER
source "$(dirname "$0")/../tools/private_bus.sh"
write_private_bus_config "$W/session.conf" "$W" "$W/data/dbus-1/services"
export TERVANIX_HOST_QUEUE=$W/Tervanix.fif QT_QPA_PLATFORM=offscreen
dbus-run-session --config-file="$W/session.conf" -- "$BENCH" "$@" 2> >(grep -v '^dbus-daemon' >&2)
