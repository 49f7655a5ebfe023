#!/bin/bash
# Automation server tests on a private session bus, with gdbus as a foreign client.
# usage: run_bus_tests.sh CASE HOST BURST [CLI]   (CASE: values, showhide, burst, sigkill, activation, cli)
#        run_bus_tests.sh CASE HOST BURST PROGRAM (CASE: program_values, program_activation: the real
#        Tervanix program, offscreen, in a folder of its own; HOST only lists its queue file)
# The script re-runs itself inside dbus-run-session, so every case has a bus of its own.
set -u
CASE=$1 HOST=$2 BURST=$3 CLI=${4:-}

if [ -z "${TERVANIX_BUS_INNER:-}" ]; then
    W=$(mktemp -d /tmp/tervanix-dbus.XXXXXX)
    trap 'rm -rf "$W"' EXIT
    export TERVANIX_BUS_INNER=1 W QT_QPA_PLATFORM=offscreen
    export TERVANIX_HOST_QUEUE=$W/Tervanix.fif TERVANIX_HOST_EVENTS=$W/events XDG_DATA_HOME=$W/data
    mkdir -p "$W/data/dbus-1/services"
    source "$(dirname "$0")/../../tools/private_bus.sh"
    write_private_bus_config "$W/session.conf" "$W" "$W/data/dbus-1/services"
    dbus-run-session --config-file "$W/session.conf" -- bash "$0" "$@"
    exit $?
fi

FAILURES=0
fail() { echo "FAIL: $*"; FAILURES=$((FAILURES + 1)); }
check_eq() { # what expected actual
    if [ "$2" == "$3" ]; then echo "ok: $1"; else fail "$1: expected [$2], got [$3]"; fi
}

# Add DATE ANALYTE L1 L2 L3 OPERATOR COMMENT PARALLELISE -> prints the Value
add() {
    local out
    out=$(gdbus call --session --dest Tervanix.QCserver --object-path /QCserver \
        --method Tervanix.IQCserver.Add "$1" "\"$2\"" "\"$3\"" "\"$4\"" "\"$5\"" "\"$6\"" "\"$7\"" "$8" 2>&1)
    echo "$out" | sed -E 's/^\((-?[0-9]+),\)$/\1/'
}
call() { gdbus call --session --dest Tervanix.QCserver --object-path /QCserver --method "Tervanix.IQCserver.$1" >/dev/null; }

wait_for() { # file pattern seconds
    local i
    for ((i = 0; i < $3 * 10; i++)); do
        grep -q "$2" "$1" 2>/dev/null && return 0
        sleep 0.1
    done
    return 1
}
start_host() {
    "$HOST" "$@" &
    HOST_PID=$!
    wait_for "$TERVANIX_HOST_EVENTS" Serving 10 || fail "host did not start serving"
}
stop_host() {
    kill -TERM "$HOST_PID"
    wait "$HOST_PID"
}
wait_for_name_gone() {
    local i
    for ((i = 0; i < 100; i++)); do
        gdbus call --session --dest org.freedesktop.DBus --object-path /org/freedesktop/DBus \
            --method org.freedesktop.DBus.NameHasOwner Tervanix.QCserver | grep -q false && return 0
        sleep 0.1
    done
    fail "the server did not end"
}
queue() { "$HOST" --dump "$TERVANIX_HOST_QUEUE"; }

case_values() {
    start_host
    check_eq "blank analyte" 1 "$(add 46000.5 '   ' 1 '' '' OP '' false)"
    check_eq "level text not a number, even with a valid level" 2 "$(add 46000.5 GLU abc 2 '' OP '' false)"
    check_eq "nan level" 2 "$(add 46000.5 GLU nan '' '' OP '' false)"
    check_eq "level beyond a single" 2 "$(add 46000.5 GLU '' 1e39 '' OP '' false)"
    check_eq "three empty levels" 3 "$(add 46000.5 GLU '' '  ' '' OP '' false)"
    check_eq "date beyond the calendar" 4 "$(add 1e300 GLU 1 '' '' OP '' false)"
    check_eq "long name" -1 "$(add 46000.5 ABCDEFGHIJKLMNOPQRST 1 '' '' OP '' false)"
    check_eq "decimal comma" -1 "$(add 46001.25 ' CA ' '4,5' '' ' 7.25 ' ' OPERATOR ' 'a comment longer than twenty' true)"
    check_eq "user-started program outlives its clients" 0 "$(sleep 0.5; kill -0 "$HOST_PID"; echo $?)"
    # A second instance cannot take the name and runs on without the server.
    TERVANIX_HOST_EVENTS=$W/events2 "$HOST" & local second=$!
    wait_for "$W/events2" "Not serving" 10 || fail "second instance did not report running without the server"
    check_eq "second instance still running" 0 "$(kill -0 $second; echo $?)"
    kill -TERM $second; wait $second
    stop_host
    check_eq "queue after exit" "$(printf '%s\n' \
        $'ABCDEFGHIJKLMNO\t46000.500000\t1\t1/0\t0/6\t0/6\tOP\t' \
        $'CA\t46001.250000\t0\t4.5/0\t0/6\t7.25/0\tOPER\ta comment longer tha')" "$(queue)"
}

case_showhide() {
    start_host
    call Show; call Hide; call Show
    sleep 0.2
    check_eq "Show and Hide reach the window side" "Show Hide Show" "$(grep -E '^(Show|Hide)$' "$TERVANIX_HOST_EVENTS" | xargs)"
    stop_host
}

expected_burst() { local i; for ((i = 1; i <= $1; i++)); do echo "$2$i"; done; }

case_burst() {
    start_host
    "$BURST" 10000 B || fail "burst not fully accepted"
    stop_host
    check_eq "10000 runs queued in order" "$(expected_burst 10000 B | md5sum)" "$(queue | cut -f1 | md5sum)"
}

case_sigkill() {
    start_host
    "$BURST" 10000 K || fail "burst not fully accepted"
    sleep 2
    kill -KILL "$HOST_PID"; wait "$HOST_PID" 2>/dev/null
    check_eq "no accepted run lost by a crash" "$(expected_burst 10000 K | md5sum)" "$(queue | cut -f1 | md5sum)"
}

case_activation() {
    local service=$XDG_DATA_HOME/dbus-1/services/Tervanix.QCserver.service
    "$HOST" /REGSERVER
    check_eq "registration writes the activation file" "$(printf '[D-BUS Service]\nName=Tervanix.QCserver\nExec=%s -Embedding' "$HOST")" "$(cat "$service")"
    check_eq "registration does not start the program" "" "$(cat "$TERVANIX_HOST_EVENTS" 2>/dev/null)"
    # The bus notices new files on its own, a moment later; the test does not wait for that.
    gdbus call --session --dest org.freedesktop.DBus --object-path /org/freedesktop/DBus \
        --method org.freedesktop.DBus.ReloadConfig >/dev/null
    check_eq "a call starts the program" -1 "$(add 46002 GLU 5,5 '' '' OP '' false)"
    check_eq "started embedded" "Start embedded" "$(head -1 "$TERVANIX_HOST_EVENTS")"
    wait_for "$TERVANIX_HOST_EVENTS" "^Exit" 10 || fail "activated program did not end after its client left"
    check_eq "the run is in the queue file" "GLU 5.5/0" "$(queue | cut -f1,4 | xargs)"
    # Clients one after the other, each ending the instance it used: every accepted run is kept,
    # however the calls fall between an ending instance and the next one.
    local accepted=1 i value
    for ((i = 1; i <= 20; i++)); do
        value=$(add 46003 "R$i" 1 '' '' OP '' false)
        [ "$value" == "-1" ] && accepted=$((accepted + 1))
    done
    wait_for_name_gone
    check_eq "runs accepted across instances are all in the queue file" "$accepted" "$(queue | wc -l)"
    echo "accepted $accepted of 21 calls"
    check_eq "most calls accepted" yes "$([ $accepted -ge 15 ] && echo yes || echo no)"
    "$HOST" -unregserver
    check_eq "unregistration removes the activation file" no "$([ -e "$service" ] && echo yes || echo no)"
}

case_cli() {
    "$HOST" /REGSERVER
    gdbus call --session --dest org.freedesktop.DBus --object-path /org/freedesktop/DBus \
        --method org.freedesktop.DBus.ReloadConfig >/dev/null
    local out
    out=$("$CLI" add --analyte GLU --date-time 2026-12-08T14:30 --level1 4,5 --level3 6 --operator AB --comment first)
    check_eq "cli add starts the program and queues the run" "-1 0" "$out $?"
    wait_for_name_gone # a call racing an ending instance is the activation case's matter
    out=$("$CLI" add --analyte CA --level2 7 --parallelise)
    check_eq "cli add, level by level" "-1 0" "$out $?"
    wait_for_name_gone
    out=$("$CLI" add --analyte '  ' --level1 1)
    check_eq "cli add prints a refusal and fails" "1 1" "$out $?"
    "$CLI" add --level1 1 2>/dev/null
    check_eq "cli add without an analyte is a usage error" 2 $?
    wait_for_name_gone
    check_eq "first run in the queue file" $'GLU\t46364.604167\t1\t4.5/0\t0/6\t6/0\tAB\tfirst' "$(queue | head -1)"
    check_eq "second run in the queue file" "CA 0 0/6 7/0 0/6" "$(queue | tail -1 | cut -f1,3-6 | xargs)"
}

# The real program keeps its files beside itself: a copy in a folder of the test's own.
install_program() {
    PROGRAM_DIR=$W/program
    mkdir -p "$PROGRAM_DIR"
    cp "$CLI" "$PROGRAM_DIR/Tervanix"
    PROGRAM=$PROGRAM_DIR/Tervanix
}
program_queue() { "$HOST" --dump "$PROGRAM_DIR/Tervanix.fif"; }
wait_for_name_owned() {
    local i
    for ((i = 0; i < 200; i++)); do
        gdbus call --session --dest org.freedesktop.DBus --object-path /org/freedesktop/DBus \
            --method org.freedesktop.DBus.NameHasOwner Tervanix.QCserver | grep -q true && return 0
        sleep 0.1
    done
    fail "the program did not start serving"
    return 1
}

case_program_values() {
    install_program
    # A first start by the operator: the setup dialog is up (the splash was before it) and the
    # end of the session still ends the program through its normal exit.
    "$PROGRAM" & HOST_PID=$!
    wait_for_name_owned
    sleep 2.5
    kill -TERM "$HOST_PID"; wait "$HOST_PID"
    check_eq "first start ended by the session, normally" 0 $?
    check_eq "first start wrote the settings" yes "$([ -e "$PROGRAM_DIR/Tervanix.cfr" ] && echo yes || echo no)"
    local before
    before=$(program_queue | wc -l)

    "$PROGRAM" & HOST_PID=$!
    wait_for_name_owned
    check_eq "blank analyte" 1 "$(add 46000.5 '   ' 1 '' '' OP '' false)"
    check_eq "level text not a number" 2 "$(add 46000.5 GLU abc 2 '' OP '' false)"
    check_eq "level beyond a single" 2 "$(add 46000.5 GLU '' 1e39 '' OP '' false)"
    check_eq "three empty levels" 3 "$(add 46000.5 GLU '' '  ' '' OP '' false)"
    check_eq "long name" -1 "$(add 46000.5 ABCDEFGHIJKLMNOPQRST 1 '' '' OP '' false)"
    check_eq "decimal comma" -1 "$(add 46001.25 ' CA ' '4,5' '' ' 7.25 ' ' OPERATOR ' 'a comment longer than twenty' true)"
    call Show; call Hide
    local expected
    expected="$(printf '%s\n' \
        $'ABCDEFGHIJKLMNO\t46000.500000\t1\t1/0\t0/6\t0/6\tOP\t' \
        $'CA\t46001.250000\t0\t4.5/0\t0/6\t7.25/0\tOPER\ta comment longer tha')"
    sleep 1.5
    check_eq "accepted runs are on disk before the exit" "$expected" "$(program_queue | tail -2)"
    check_eq "user-started program outlives its clients" 0 "$(kill -0 "$HOST_PID"; echo $?)"
    kill -TERM "$HOST_PID"; wait "$HOST_PID"
    check_eq "program ended normally" 0 $?
    check_eq "queue after exit" "$((before + 2))" "$(program_queue | wc -l)"
    check_eq "queue after exit ends with the runs" "$expected" "$(program_queue | tail -2)"
}

case_program_activation() {
    install_program
    local service=$XDG_DATA_HOME/dbus-1/services/Tervanix.QCserver.service
    "$PROGRAM" /REGSERVER
    check_eq "registration writes the activation file" "$(printf '[D-BUS Service]\nName=Tervanix.QCserver\nExec=%s -Embedding' "$PROGRAM")" "$(cat "$service")"
    check_eq "registration does not start the program" no "$([ -e "$PROGRAM_DIR/Tervanix.cfr" ] && echo yes || echo no)"
    gdbus call --session --dest org.freedesktop.DBus --object-path /org/freedesktop/DBus \
        --method org.freedesktop.DBus.ReloadConfig >/dev/null
    check_eq "a call starts the program" -1 "$(add 46002 GLU 5,5 '' '' OP '' false)"
    wait_for_name_gone
    check_eq "the program ended after its client and kept the run" "GLU 5.5/0" "$(program_queue | tail -1 | cut -f1,4 | xargs)"
    check_eq "embedded start wrote its settings at exit" yes "$([ -e "$PROGRAM_DIR/Tervanix.cfr" ] && echo yes || echo no)"
    "$PROGRAM" -unregserver
    check_eq "unregistration removes the activation file" no "$([ -e "$service" ] && echo yes || echo no)"
}

"case_$CASE"
[ $FAILURES -eq 0 ] && echo "all passed" || echo "$FAILURES failed"
exit $FAILURES
