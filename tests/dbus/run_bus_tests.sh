#!/bin/bash
# Automation server tests on a private session bus, with gdbus as a foreign client.
# usage: run_bus_tests.sh CASE HOST BURST [CLI]   (CASE: values, showhide, burst, sigkill, activation,
#        second_start, exit_race, cli)
#        run_bus_tests.sh CASE HOST BURST PROGRAM (CASE: program_values, program_activation, program_headless,
#        program_takeover: the real Tervanix program, offscreen, in a folder of its own; HOST only
#        lists its queue file)
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

# Every wait is for an event; its limit is only a safety net for a busy machine.
SAFETY=60
wait_for() { # file pattern
    local end=$((SECONDS + SAFETY))
    until grep -q "$2" "$1" 2>/dev/null; do
        [ $SECONDS -lt $end ] || return 1
        sleep 0.1
    done
}
start_host() {
    "$HOST" "$@" &
    HOST_PID=$!
    wait_for "$TERVANIX_HOST_EVENTS" Serving || fail "host did not start serving"
}
stop_host() {
    kill -TERM "$HOST_PID"
    wait "$HOST_PID"
}
# The program's idle period and splash time, as it has them (milliseconds).
read -r IDLE_MS SPLASH_MS < <("$HOST" --periods)
# A check that a program stays waits out the idle period since the last call ($SECONDS then), and
# a margin: a program that wrongly ended would be gone by then.
outlast_idle_period() { # since
    local left=$(($1 + (IDLE_MS + 999) / 1000 + 2 - SECONDS))
    [ $left -le 0 ] || sleep $left
}
name_owned() { # true|false
    gdbus call --session --dest org.freedesktop.DBus --object-path /org/freedesktop/DBus \
        --method org.freedesktop.DBus.NameHasOwner Tervanix.QCserver | grep -q "$1"
}
running() { # pid: not ended, nor ended and not yet reaped
    local state
    state=$(sed -E 's/.*\) (.).*/\1/' "/proc/$1/stat" 2>/dev/null) && [ -n "$state" ] && [ "$state" != Z ]
}
# Waits until the program that served has ended: its name goes at the start of its exit, the
# process after its exit save. The bus started it, so it is no child of this shell. A program
# started by a client stays for its idle period after the last call.
wait_for_end() { # pid
    local end=$((SECONDS + (IDLE_MS + 999) / 1000 + SAFETY))
    while { [ -n "$1" ] && running "$1"; } || name_owned true; do
        [ $SECONDS -lt $end ] || { fail "the server did not end"; return 1; }
        sleep 0.1
    done
}
queue() { "$HOST" --dump "$TERVANIX_HOST_QUEUE"; }
owner_pid() {
    gdbus call --session --dest org.freedesktop.DBus --object-path /org/freedesktop/DBus \
        --method org.freedesktop.DBus.GetConnectionUnixProcessID Tervanix.QCserver 2>/dev/null |
        sed -E 's/^\(uint32 ([0-9]+),\)$/\1/'
}
# Ends the program that serves, as the end of the session does.
stop_owner() {
    local pid
    pid=$(owner_pid)
    [ -n "$pid" ] && kill -TERM "$pid"
    wait_for_end "$pid"
}
register() {
    "$1" /REGSERVER
    # The bus notices new files on its own, a moment later; the tests do not wait for that.
    gdbus call --session --dest org.freedesktop.DBus --object-path /org/freedesktop/DBus \
        --method org.freedesktop.DBus.ReloadConfig >/dev/null
}

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
    local lastCall=$SECONDS
    # A second instance, on data of its own, cannot take the name and runs on without the server.
    mkdir -p "$W/other"
    TERVANIX_HOST_EVENTS=$W/events2 TERVANIX_HOST_QUEUE=$W/other/Tervanix.fif "$HOST" & local second=$!
    wait_for "$W/events2" "Not serving" || fail "second instance did not report running without the server"
    check_eq "second instance still running" 0 "$(kill -0 $second; echo $?)"
    kill -TERM $second; wait $second
    outlast_idle_period $lastCall
    check_eq "user-started program outlives its clients and the idle period" 0 "$(kill -0 "$HOST_PID"; echo $?)"
    stop_host
    check_eq "queue after exit" "$(printf '%s\n' \
        $'ABCDEFGHIJKLMNO\t46000.500000\t1\t1/0\t0/6\t0/6\tOP\t' \
        $'CA\t46001.250000\t0\t4.5/0\t0/6\t7.25/0\tOPER\ta comment longer tha')" "$(queue)"
}

case_showhide() {
    start_host
    # Each call is answered after the host has written its event.
    call Show; call Hide; call Show
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
    # Every run answered is on disk already.
    kill -KILL "$HOST_PID"; wait "$HOST_PID" 2>/dev/null
    check_eq "no accepted run lost by a crash" "$(expected_burst 10000 K | md5sum)" "$(queue | cut -f1 | md5sum)"
}

# A loop of one-shot clients, as scripts and many analyser drivers call: one program serves them
# all, every call is accepted and kept.
case_activation() {
    local service=$XDG_DATA_HOME/dbus-1/services/Tervanix.QCserver.service
    register "$HOST"
    check_eq "registration writes the activation file" "$(printf '[D-BUS Service]\nName=Tervanix.QCserver\nExec=%s -Embedding' "$HOST")" "$(cat "$service")"
    check_eq "registration does not start the program" "" "$(cat "$TERVANIX_HOST_EVENTS" 2>/dev/null)"
    check_eq "a call starts the program" -1 "$(add 46002 GLU 5,5 '' '' OP '' false)"
    check_eq "started embedded" "Start embedded" "$(head -1 "$TERVANIX_HOST_EVENTS")"
    check_eq "the run is on disk when it is answered" "GLU 5.5/0" "$(queue | cut -f1,4 | xargs)"
    local accepted=0 i
    for ((i = 1; i <= 200; i++)); do
        [ "$(add 46003 "R$i" 1 '' '' OP '' false)" == "-1" ] && accepted=$((accepted + 1))
    done
    check_eq "200 one-shot calls accepted" 200 "$accepted"
    check_eq "one program served them" 1 "$(grep -c '^Start' "$TERVANIX_HOST_EVENTS")"
    wait_for_end "$(owner_pid)"
    check_eq "the program ended after its idle period" "Exit 201" "$(tail -1 "$TERVANIX_HOST_EVENTS")"
    check_eq "all runs in the queue file" 201 "$(queue | wc -l)"
    "$HOST" -unregserver
    check_eq "unregistration removes the activation file" no "$([ -e "$service" ] && echo yes || echo no)"
}

# The operator starts the program while it runs on the same data: the running one shows itself,
# the second ends. A program started by a client becomes the operator's and stays.
case_second_start() {
    start_host
    # Ends without waiting for the folder: said by its events, not by the time it took.
    TERVANIX_HOST_EVENTS=$W/events2 timeout $SAFETY "$HOST"
    check_eq "second start ends at once" 0 $?
    check_eq "second start showed the first" "Start Shown other" "$(xargs < "$W/events2")"
    check_eq "the first shows itself" Show "$(grep -E '^(Show|Hide)$' "$TERVANIX_HOST_EVENTS" | xargs)"
    check_eq "the first one still runs" 0 "$(kill -0 "$HOST_PID"; echo $?)"
    stop_host
    rm -f "$TERVANIX_HOST_EVENTS" "$W/events2"
    register "$HOST"
    check_eq "a call starts the program" -1 "$(add 46002 GLU 1 '' '' OP '' false)"
    local pid
    pid=$(owner_pid)
    TERVANIX_HOST_EVENTS=$W/events2 timeout $SAFETY "$HOST"
    local lastCall=$SECONDS
    check_eq "the operator's start ends at once" "Start Shown other" "$(xargs < "$W/events2")"
    check_eq "the program started by the client is the operator's" 1 "$(grep -c '^Owned by user$' "$TERVANIX_HOST_EVENTS")"
    outlast_idle_period $lastCall
    check_eq "it stays after its clients and the idle period" "$pid" "$(owner_pid)"
    stop_owner
    check_eq "the run is kept" "GLU 1/0" "$(queue | cut -f1,4 | xargs)"
}

# Instances ended (and killed during their exit) while one-shot clients keep calling: the next
# instance is started at once by the bus and waits for the folder. No call gets an error from an
# ending program, and every run answered -1 is in the queue file.
client_loop() { # prefix count
    local i
    for ((i = 1; i <= $2; i++)); do
        echo "$1$i $(add 46004 "$1$i" 1 '' '' OP '' false)"
    done > "$W/client_$1"
}
case_exit_race() {
    register "$HOST"
    check_eq "a call starts the program" -1 "$(add 46002 FIRST 1 '' '' OP '' false)"
    client_loop A 150 & local a=$!
    client_loop B 150 & local b=$!
    local round pid
    # Not a wait for an event: the ends fall at some moment among the calls, wherever that is.
    for round in term term kill term kill; do
        sleep 0.7
        pid=$(owner_pid)
        [ -z "$pid" ] && continue
        kill -TERM "$pid"
        # Killed in the middle of its exit sequence.
        [ "$round" == kill ] && sleep 0.01 && kill -KILL "$pid"
    done
    wait $a $b
    stop_owner
    local answers accepted
    answers=$(cat "$W/client_A" "$W/client_B")
    echo "$(grep -c ' -1$' <<< "$answers") of 300 calls accepted, $(grep -c '^Start' "$TERVANIX_HOST_EVENTS") program starts," \
        "$(($(grep -c '^Ending' "$TERVANIX_HOST_EVENTS") - $(grep -c '^Exit' "$TERVANIX_HOST_EVENTS"))) killed during their exit"
    check_eq "no call answered by a missing object" 0 "$(grep -c UnknownObject <<< "$answers")"
    accepted=$(grep ' -1$' <<< "$answers" | cut -d' ' -f1 | sort)
    check_eq "every accepted run is in the queue file" "" "$(comm -23 <(echo "$accepted") <(queue | cut -f1 | sort))"
    # Only a call under way in a killed program may fail (at most one per client and kill).
    check_eq "every other call accepted" yes "$([ "$(wc -l <<< "$accepted")" -ge 296 ] && echo yes || echo no)"
}

case_cli() {
    register "$HOST"
    local out
    out=$("$CLI" add --analyte GLU --date-time 2026-12-08T14:30 --level1 4,5 --level3 6 --operator AB --comment first)
    check_eq "cli add starts the program and queues the run" "-1 0" "$out $?"
    out=$("$CLI" add --analyte CA --level2 7 --parallelise)
    check_eq "cli add, level by level" "-1 0" "$out $?"
    out=$("$CLI" add --analyte '  ' --level1 1)
    check_eq "cli add prints a refusal and fails" "1 1" "$out $?"
    "$CLI" add --level1 1 2>/dev/null
    check_eq "cli add without an analyte is a usage error" 2 $?
    check_eq "one program served them" 1 "$(grep -c '^Start' "$TERVANIX_HOST_EVENTS")"
    stop_owner
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
    local end=$((SECONDS + SAFETY))
    until name_owned true; do
        [ $SECONDS -lt $end ] || { fail "the program did not start serving"; return 1; }
        sleep 0.1
    done
}

case_program_values() {
    install_program
    # A first start by the operator, ended by the session: through its normal exit whether the
    # splash is still up or the setup dialog that follows it. Nothing outside says which; the
    # splash time and a margin aim the end at the dialog.
    "$PROGRAM" & HOST_PID=$!
    wait_for_name_owned
    sleep $(((SPLASH_MS + 999) / 1000 + 1))
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
    # Started again on the same data: the running program shows itself, the second one ends at
    # once and writes nothing.
    local settings_before
    settings_before=$(stat -c %Y.%s "$PROGRAM_DIR/Tervanix.cfr")
    timeout $SAFETY "$PROGRAM"
    check_eq "second start ends at once" 0 $?
    check_eq "second start left the settings alone" "$settings_before" "$(stat -c %Y.%s "$PROGRAM_DIR/Tervanix.cfr")"
    check_eq "one program runs" "$HOST_PID" "$(owner_pid)"
    local expected
    expected="$(printf '%s\n' \
        $'ABCDEFGHIJKLMNO\t46000.500000\t1\t1/0\t0/6\t0/6\tOP\t' \
        $'CA\t46001.250000\t0\t4.5/0\t0/6\t7.25/0\tOPER\ta comment longer tha')"
    check_eq "accepted runs are on disk when answered" "$expected" "$(program_queue | tail -2)"
    check_eq "accepted runs are in the audit trail as a client's" 2 \
        "$(grep -c '"source":"automation","action":"run.queued"' "$PROGRAM_DIR/Tervanix.adt")"
    check_eq "user-started program outlives its clients" 0 "$(kill -0 "$HOST_PID"; echo $?)"
    kill -TERM "$HOST_PID"; wait "$HOST_PID"
    check_eq "program ended normally" 0 $?
    check_eq "queue after exit" "$((before + 2))" "$(program_queue | wc -l)"
    check_eq "queue after exit ends with the runs" "$expected" "$(program_queue | tail -2)"
}

# Started by a client where the bus has no display: it serves without windows, and Show says why.
case_program_headless() {
    install_program
    env -u QT_QPA_PLATFORM -u DISPLAY -u WAYLAND_DISPLAY "$PROGRAM" -Embedding & HOST_PID=$!
    wait_for_name_owned || return
    check_eq "a run is queued without a display" -1 "$(add 46002 GLU 5,5 '' '' OP '' false)"
    local show
    show=$(gdbus call --session --dest Tervanix.QCserver --object-path /QCserver --method Tervanix.IQCserver.Show 2>&1)
    check_eq "Show answers that there is no display" yes "$(echo "$show" | grep -q 'There is no display' && echo yes || echo no)"
    kill -TERM "$HOST_PID"; wait "$HOST_PID"
    check_eq "ended through its normal exit" 0 $?
    check_eq "the run is in the queue file" "GLU 5.5/0" "$(program_queue | tail -1 | cut -f1,4 | xargs)"
}

case_program_activation() {
    install_program
    local service=$XDG_DATA_HOME/dbus-1/services/Tervanix.QCserver.service
    register "$PROGRAM"
    check_eq "registration writes the activation file" "$(printf '[D-BUS Service]\nName=Tervanix.QCserver\nExec=%s -Embedding' "$PROGRAM")" "$(cat "$service")"
    check_eq "registration does not start the program" no "$([ -e "$PROGRAM_DIR/Tervanix.cfr" ] && echo yes || echo no)"
    check_eq "a call starts the program" -1 "$(add 46002 GLU 5,5 '' '' OP '' false)"
    check_eq "the run is on disk when it is answered" "GLU 5.5/0" "$(program_queue | tail -1 | cut -f1,4 | xargs)"
    # A loop of one-shot clients is served by the program it started.
    local accepted=0 i pids=""
    for ((i = 1; i <= 100; i++)); do
        [ "$(add 46003 "R$i" 1 '' '' OP '' false)" == "-1" ] && accepted=$((accepted + 1))
        pids="$pids $(owner_pid)"
    done
    check_eq "100 one-shot calls accepted" 100 "$accepted"
    check_eq "one program served them" 1 "$(echo $pids | tr ' ' '\n' | sort -u | wc -l)"
    wait_for_end "${pids##* }"
    check_eq "the program ended after its idle period and kept every run" "GLU R100" "$(program_queue | tail -101 | sed -n '1p;$p' | cut -f1 | xargs)"
    check_eq "embedded start wrote its settings at exit" yes "$([ -e "$PROGRAM_DIR/Tervanix.cfr" ] && echo yes || echo no)"
    "$PROGRAM" -unregserver
    check_eq "unregistration removes the activation file" no "$([ -e "$service" ] && echo yes || echo no)"
}

# Started by a client, then by the operator: one program, the operator's from then on.
case_program_takeover() {
    install_program
    register "$PROGRAM"
    check_eq "a call starts the program" -1 "$(add 46002 GLU 1 '' '' OP '' false)"
    local pid
    pid=$(owner_pid)
    timeout $SAFETY "$PROGRAM"
    check_eq "the operator's start ends at once" 0 $?
    outlast_idle_period $SECONDS
    check_eq "the program stays after its clients and the idle period" "$pid" "$(owner_pid)"
    kill -TERM "$pid"
    wait_for_end "$pid"
    check_eq "the run is kept" "GLU 1/0" "$(program_queue | tail -1 | cut -f1,4 | xargs)"
}

# A full disk (a small tmpfs holding the program's folder): a run that cannot be written is not
# answered -1 and not kept half-accepted; a kill then loses nothing that was answered -1.
# A copy on a read-only folder beside the laboratory's data, started by a client without a display:
# no one can answer the question, so it ends and says why; it never starts over elsewhere.
case_program_readonly_folder() {
    install_program
    "$PROGRAM" & HOST_PID=$!
    wait_for_name_owned
    kill -TERM "$HOST_PID"; wait "$HOST_PID" # the first start writes the laboratory's files
    if [ "$(id -u)" -ne 0 ] || ! mount --bind -o ro "$PROGRAM_DIR" "$PROGRAM_DIR" 2>/dev/null; then
        echo "skipped: cannot make the program's folder read-only (needs root)"
        exit 77
    fi
    trap 'umount -l "$PROGRAM_DIR" 2>/dev/null' EXIT
    local err
    err=$(env -u QT_QPA_PLATFORM -u DISPLAY -u WAYLAND_DISPLAY "$PROGRAM" -Embedding 2>&1 >/dev/null)
    check_eq "it ends instead of starting over" 1 $?
    check_eq "it says the folder cannot be written" yes "$(echo "$err" | grep -q 'cannot be written' && echo yes || echo no)"
    check_eq "no new data in the user's folder" no "$([ -e "$XDG_DATA_HOME/Tervanix/Tervanix.qcf" ] && echo yes || echo no)"
}

case_program_full_disk() {
    mkdir -p "$W/program"
    if [ "$(id -u)" -ne 0 ] || ! mount -t tmpfs -o size=64m tmpfs "$W/program" 2>/dev/null; then
        echo "skipped: cannot mount a small tmpfs for the program's folder (needs root)"
        exit 77
    fi
    trap 'umount -l "$W/program" 2>/dev/null' EXIT
    install_program
    "$PROGRAM" & HOST_PID=$!
    wait_for_name_owned
    kill -TERM "$HOST_PID"; wait "$HOST_PID" # the first start and its demonstration data
    local before
    before=$(program_queue | wc -l)
    "$PROGRAM" & HOST_PID=$!
    wait_for_name_owned
    check_eq "a run with room on the disk" -1 "$(add 46000.5 GLU 1 '' '' OP '' false)"
    dd if=/dev/zero of="$PROGRAM_DIR/filler" bs=4k 2>/dev/null
    check_eq "a run on a full disk is not accepted" 5 "$(add 46000.5 FULL1 1 '' '' OP '' false)"
    check_eq "nor the next one" 5 "$(add 46000.5 FULL2 2 '' '' OP '' false)"
    check_eq "the queue file holds the accepted run only" "$((before + 1))" "$(program_queue | wc -l)"
    kill -KILL "$HOST_PID"; wait "$HOST_PID" 2>/dev/null
    check_eq "after a kill: every run answered -1, none of the others" "GLU" "$(program_queue | tail -1 | cut -f1)"
    check_eq "after a kill: the queue as answered" "$((before + 1))" "$(program_queue | wc -l)"
    rm -f "$PROGRAM_DIR/filler"
    "$PROGRAM" & HOST_PID=$!
    wait_for_name_owned
    check_eq "with room again" -1 "$(add 46000.5 ROOM 3 '' '' OP '' false)"
    check_eq "the temporary files of the killed program are gone" 0 "$(ls "$PROGRAM_DIR" | grep -c '\.tmp')"
    kill -TERM "$HOST_PID"; wait "$HOST_PID"
    check_eq "queue after exit" "$((before + 2))" "$(program_queue | wc -l)"
}

"case_$CASE"
[ $FAILURES -eq 0 ] && echo "all passed" || echo "$FAILURES failed"
exit $FAILURES
