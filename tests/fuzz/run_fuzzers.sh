#!/bin/sh
# Builds the fuzz targets with clang 14 in build-fuzz and runs each for a bounded time.
#   tests/fuzz/run_fuzzers.sh [SECONDS_PER_TARGET] [TARGET...]     (default 60 s, all targets)
# Seeds come from the program's own writers (fuzz_seeds); the corpus grows in build-fuzz/corpus and
# is kept from one run to the next. Inputs that crash land in build-fuzz/findings/<target>/.
# Exit status 1 when a target found something.
set -eu

SECONDS_PER_TARGET=${1:-60}
[ $# -gt 0 ] && shift
TARGETS=${*:-datafile settings queue version2 archive importtext goals audit}

ROOT=$(cd "$(dirname "$0")/../.." && pwd)
BUILD="$ROOT/build-fuzz"

CXX=${CXX_FUZZ:-clang++-14}
cmake -S "$ROOT/tests/fuzz" -B "$BUILD" -G Ninja -DCMAKE_CXX_COMPILER="$CXX" >/dev/null
cmake --build "$BUILD" -j2

"$BUILD/fuzz_seeds" "$BUILD/seeds"

status=0
for target in $TARGETS; do
    corpus="$BUILD/corpus/$target"
    findings="$BUILD/findings/$target"
    log="$BUILD/logs/$target.log"
    mkdir -p "$corpus" "$findings" "$(dirname "$log")"
    echo "== $target: $SECONDS_PER_TARGET s"
    if ! ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1 \
        "$BUILD/fuzz_$target" "$corpus" "$BUILD/seeds/$target" \
        -max_total_time="$SECONDS_PER_TARGET" -timeout=10 -rss_limit_mb=2048 -max_len=65536 \
        -print_final_stats=1 -artifact_prefix="$findings/" >"$log" 2>&1; then
        status=1
        echo "   FINDING, see $log and $findings"
    fi
    grep -E "^stat::number_of_executed_units|^stat::peak_rss_mb" "$log" | sed 's/^/   /' || true
    grep -E "Done [0-9]+ runs" "$log" | sed 's/^/   /' || true
done
exit $status
