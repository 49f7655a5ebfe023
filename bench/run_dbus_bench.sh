#!/bin/bash
# Runs tervanix_dbus_bench on a private session bus whose activation folder starts HOST (the program,
# or the stand-in host of the bus tests) with -Embedding for the first call.
# usage: run_dbus_bench.sh HOST BENCH [benchmark options]
set -eu
HOST=$(realpath "$1") BENCH=$(realpath "$2"); shift 2
W=$(mktemp -d /tmp/tervanix-bench.XXXXXX)
trap 'rm -rf "$W"' EXIT
mkdir -p "$W/services"
printf '[D-BUS Service]\nName=Tervanix.QCserver\nExec=%s -Embedding\n' "$HOST" > "$W/services/Tervanix.QCserver.service"
cat > "$W/session.conf" <<CONF
<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>session</type>
  <listen>unix:tmpdir=$W</listen>
  <servicedir>$W/services</servicedir>
  <policy context="default"><allow send_destination="*" eavesdrop="true"/><allow eavesdrop="true"/><allow own="*"/></policy>
</busconfig>
CONF
export TERVANIX_HOST_QUEUE=$W/Tervanix.fif QT_QPA_PLATFORM=offscreen
dbus-run-session --config-file="$W/session.conf" -- "$BENCH" "$@" 2> >(grep -v '^dbus-daemon' >&2)
