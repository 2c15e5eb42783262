#!/bin/bash
# Runs the libFuzzer targets of fuzz/ (built with the `fuzz` preset, under
# AddressSanitizer and UndefinedBehaviorSanitizer).
#
#   scripts/fuzz.sh --bounded
#       every target for FUZZ_SECONDS seconds (default 60); scripts/test.sh
#       runs this.
#   scripts/fuzz.sh --long SECONDS [TARGET...]
#       a long session: each named target (default: all) for SECONDS
#       seconds, e.g. scripts/fuzz.sh --long 3600 lzw_decode delta_decode
#
# Each target starts from a fresh copy of fuzz/corpus/<target>, so the
# committed seeds never change; the grown corpus stays in
# <build>/fuzz-work/<target> and crashing inputs go to <build>/fuzz-crashes.
# Replay one with: <build>/fuzz/<target> <crash file>
# Prints each target's executions and seconds, then "N passed, M failed"
# (one test per target), and exits non-zero when any target crashed.
# FUZZ_BUILD_DIR overrides the build folder (default build/fuzz).
set -uo pipefail
cd "$(dirname "$0")/.."

TARGETS=(lzw_decode delta_decode archive_reader coder_round_trip command_line)

usage() {
    sed -n '2,21p' "$0" | sed 's/^# \{0,1\}//' >&2
    exit 2
}

seconds=${FUZZ_SECONDS:-60}
case "${1:-}" in
--bounded)
    [ $# -eq 1 ] || usage
    ;;
--long)
    [ $# -ge 2 ] && [[ $2 =~ ^[0-9]+$ ]] || usage
    seconds=$2
    shift 2
    if [ $# -gt 0 ]; then
        TARGETS=("$@")
    fi
    ;;
*)
    usage
    ;;
esac

build=${FUZZ_BUILD_DIR:-build/fuzz}
build_targets=()
for target in "${TARGETS[@]}"; do
    if [ ! -d "fuzz/corpus/$target" ]; then
        echo "fuzz.sh: no target $target" >&2
        exit 2
    fi
    build_targets+=("fuzz_$target")
done

echo "Building the fuzz targets in $build"
if ! cmake --preset fuzz -B "$build" >/dev/null ||
    ! cmake --build "$build" -j2 --target "${build_targets[@]}"; then
    echo "fuzz.sh: build failed"
    echo "0 passed, ${#TARGETS[@]} failed"
    exit 1
fi

# Absolute: the archive reader target changes its current directory.
build=$(cd "$build" && pwd)
work=$build/fuzz-work
crashes=$build/fuzz-crashes
logs=$build/fuzz-logs
mkdir -p "$work" "$crashes" "$logs"
# The archive reader writes a folder per input; keep them in memory when we can.
scratch=$(mktemp -d "${FUZZ_TMP:-/dev/shm}/tremlok-fuzz.XXXXXX" 2>/dev/null || mktemp -d)
trap 'rm -rf "$scratch"' EXIT
export TREMLOK_FUZZ_TMP=$scratch
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1}

passed=0
failed=0
for target in "${TARGETS[@]}"; do
    rm -rf "${work:?}/$target"
    cp -r "fuzz/corpus/$target" "$work/$target"
    log=$logs/$target.log
    start=$(date +%s.%N)
    "$build/fuzz/$target" -max_total_time="$seconds" -timeout=30 -rss_limit_mb=2048 \
        -print_final_stats=1 -artifact_prefix="$crashes/$target-" "$work/$target" >"$log" 2>&1
    status=$?
    elapsed=$(awk -v a="$start" -v b="$(date +%s.%N)" 'BEGIN { print b - a }')
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
    printf '%-18s %10s executions in %6.1f s' "$target" "${runs:-?}" "$elapsed"
    if [ "$status" -eq 0 ]; then
        echo "  ok"
        passed=$((passed + 1))
    else
        echo "  FAILED (exit $status, log $log)"
        grep -E -m 12 'fuzz check failed|ERROR:|SUMMARY:|^    #[0-9] |Test unit written' "$log" | sed 's/^/    /'
        failed=$((failed + 1))
    fi
done

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
