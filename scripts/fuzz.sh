#!/bin/bash
# Runs the libFuzzer targets of fuzz/ (the `fuzz` preset, under the address
# and undefined-behaviour sanitizers), each from a fresh copy of its seeds
# in fuzz/corpus/<target> and in a scratch folder in memory.
#   scripts/fuzz.sh --bounded                    each target for FUZZ_SECONDS (60)
#   scripts/fuzz.sh --long SECONDS [TARGET...]   a long session, all by default
# FUZZ_BUILD_DIR: build folder (build/fuzz). Grown corpora go to <build>/fuzz-work,
# crashing inputs to <build>/fuzz-crashes: replay with <build>/fuzz/<target> <file>.
# Ends with "N passed, M failed", one per target; exits non-zero on a failure.
set -uo pipefail
cd "$(dirname "$0")/.."
targets=(archive_reader program_locate)
seconds=${FUZZ_SECONDS:-60}
if [ "${1:-}" = --long ] && [[ ${2:-} =~ ^[0-9]+$ ]]; then
    seconds=$2
    [ $# -gt 2 ] && targets=("${@:3}")
elif [ "${1:-}" != --bounded ] || [ $# -ne 1 ]; then
    sed -n '2,9s/^# \{0,1\}//p' "$0" >&2
    exit 2
fi

build=${FUZZ_BUILD_DIR:-build/fuzz}
cmake --preset fuzz -B "$build" >/dev/null &&
    cmake --build "$build" -j2 --target "${targets[@]/#/fuzz_}" >/dev/null ||
    { echo "fuzz.sh: build failed"; echo "0 passed, ${#targets[@]} failed"; exit 1; }
build=$(cd "$build" && pwd)
mkdir -p "$build/fuzz-work" "$build/fuzz-crashes" "$build/fuzz-logs"
scratch=$(mktemp -d /dev/shm/tremlok-fuzz.XXXXXX 2>/dev/null || mktemp -d)
trap 'rm -rf "$scratch"' EXIT
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1}
flags=(-max_total_time="$seconds" -timeout=30 -rss_limit_mb=2048 -print_final_stats=1)

passed=0 failed=0
for target in "${targets[@]}"; do
    work=$build/fuzz-work/$target log=$build/fuzz-logs/$target.log
    rm -rf "$work" && cp -r "fuzz/corpus/$target" "$work" || exit 2
    start=$SECONDS
    (cd "$scratch" && "$build/fuzz/$target" "${flags[@]}" -close_fd_mask=2 \
        -artifact_prefix="$build/fuzz-crashes/$target-" "$work") >"$log" 2>&1
    status=$?
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
    if [ $status -eq 0 ]; then
        echo "$target: ${runs:-?} runs in $((SECONDS - start)) s, ok"
        passed=$((passed + 1))
    else
        echo "$target: FAILED (exit $status, log $log)"
        grep -E -m 12 'fuzz check failed|ERROR:|SUMMARY:|^    #[0-9] |Test unit written' "$log" |
            sed 's/^/    /'
        failed=$((failed + 1))
    fi
done
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
