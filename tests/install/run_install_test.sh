#!/usr/bin/env bash
# Installs the build into a staging folder as a package would, checks that a desktop finds the
# program, its menu folder, icon, documents and activation file there, and starts the installed
# program once: it must keep its files in the user's data folder, not beside itself.
#   run_install_test.sh BUILD_DIR PREFIX SYSCONFDIR
set -euo pipefail
build=$1 prefix=$2 sysconf=$3
stage=$(mktemp -d)
trap 'kill "${pid:-}" 2>/dev/null || true; rm -rf "$stage"' EXIT
DESTDIR=$stage cmake --install "$build" >/dev/null

root=$stage$prefix
for f in bin/Tervanix bin/tervanix-cli share/tervanix/UserManual.htm share/tervanix/ReadMe.Txt \
         share/tervanix/pictures/main.png share/tervanix/pictures/print-charts.png \
         share/applications/tervanix.desktop share/desktop-directories/tervanix-laboratory-qc.directory \
         share/icons/hicolor/48x48/apps/tervanix.png share/icons/hicolor/128x128/apps/tervanix.png \
         share/dbus-1/services/Tervanix.QCserver.service; do
    [ -e "$root/$f" ] || { echo "not installed: $prefix/$f"; exit 1; }
done
for f in share/man/man1/Tervanix.1.gz share/man/man1/tervanix.1.gz share/man/man1/tervanix-cli.1.gz \
         share/bash-completion/completions/tervanix-cli share/doc/tervanix/copyright share/doc/tervanix/changelog.gz \
         share/icons/hicolor/{16x16,24x24,32x32,64x64,256x256}/apps/tervanix.png; do
    [ -e "$root/$f" ] || { echo "not installed: $prefix/$f"; exit 1; }
done
[ "$(readlink "$root/bin/tervanix")" == Tervanix ] || { echo "bin/tervanix is not the program"; exit 1; }
"$root/bin/tervanix" --version | grep -q '^Tervanix ' || { echo "tervanix --version does not answer"; exit 1; }
for page in Tervanix tervanix-cli; do
    warnings=$(MANWIDTH=80 man --warnings -l "$root/share/man/man1/$page.1.gz" 2>&1 >/dev/null)
    [ -z "$warnings" ] || { echo "man page $page: $warnings"; exit 1; }
done

# The completion offers the commands, a command's options and the analytes of the data file given
# (the few helpers of the bash-completion package it relies on stand in here).
"$root/bin/tervanix-cli" demo --seed 1 "$stage/lab" >/dev/null
completes() { # WORDS... -> the candidates for the last word, one a line
    (
        _init_completion() { words=("${COMP_WORDS[@]}"); cword=$COMP_CWORD; cur=${words[cword]}; prev=${words[cword-1]}; }
        _filedir() { :; }
        PATH=$root/bin:$PATH
        source "$root/share/bash-completion/completions/tervanix-cli"
        COMP_WORDS=("$@"); COMP_CWORD=$(($# - 1))
        _tervanix_cli
        printf '%s\n' "${COMPREPLY[@]}"
    )
}
[ "$(completes tervanix-cli wes)" == westgard ] || { echo "completion: commands"; exit 1; }
[ "$(completes tervanix-cli print charts --le)" == --levels ] || { echo "completion: options"; exit 1; }
[ "$(completes tervanix-cli export "$stage/lab/Tervanix.qcf" "")" == $'Glucose\nCalcium\nAlbumin' ] ||
    { echo "completion: analytes: $(completes tervanix-cli export "$stage/lab/Tervanix.qcf" "")"; exit 1; }
[ "$(completes tervanix-cli print limits "$stage/lab/Tervanix.qcf" Ca)" == Calcium ] || { echo "completion: print analytes"; exit 1; }

[ -e "$stage$sysconf/xdg/menus/applications-merged/tervanix.menu" ] || { echo "no menu merge file"; exit 1; }
grep -qx "Exec=$prefix/bin/Tervanix -Embedding" "$root/share/dbus-1/services/Tervanix.QCserver.service"
grep -qx 'Icon=tervanix' "$root/share/applications/tervanix.desktop"
if command -v desktop-file-validate >/dev/null; then
    desktop-file-validate "$root/share/applications/tervanix.desktop"
    desktop-file-validate "$root/share/desktop-directories/tervanix-laboratory-qc.directory"
fi

# The installed program, started by a user, writes its data file into $XDG_DATA_HOME/Tervanix at exit.
export XDG_DATA_HOME=$stage/home/data XDG_CONFIG_HOME=$stage/home/config XDG_RUNTIME_DIR=$stage/run
export HOME=$stage/home QT_QPA_PLATFORM=offscreen
mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
"$root/bin/Tervanix" >/dev/null 2>&1 & pid=$!
# The session ends it once it has taken over the termination signal (its handler shows among the
# caught signals of the process), so that it ends through its normal exit. Until the program is
# loaded the process is still this shell's fork, which catches the signal for its exit trap. The
# limit is only a safety net for a busy machine.
program=$(readlink -f "$root/bin/Tervanix")
catches_term() {
    local caught
    [ "$(readlink "/proc/$pid/exe" 2>/dev/null)" == "$program" ] &&
        caught=$(awk '/^SigCgt:/ { print $2 }' "/proc/$pid/status" 2>/dev/null) && [ -n "$caught" ] &&
        (( (16#$caught >> 14) & 1 )) # SIGTERM is signal 15
}
end=$((SECONDS + 60))
until catches_term; do
    kill -0 "$pid" 2>/dev/null || { echo "the program ended at its start"; exit 1; }
    [ $SECONDS -lt $end ] || { echo "the program did not take over the termination signal"; exit 1; }
    sleep 0.1
done
kill -TERM "$pid"
status=0
wait "$pid" || status=$?
[ $status -eq 0 ] || { echo "the program did not end normally (status $status)"; exit 1; }
[ -s "$XDG_DATA_HOME/Tervanix/Tervanix.qcf" ] || { echo "no data file in the user's data folder"; exit 1; }
if ls "$root/bin" | grep -qv -e '^Tervanix$' -e '^tervanix$' -e '^tervanix-cli$'; then echo "files written beside the installed program"; exit 1; fi
echo "install: ok"
