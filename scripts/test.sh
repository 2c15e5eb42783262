#!/bin/bash
# Runs every test: the native unit tests, the same under AddressSanitizer and
# UndefinedBehaviorSanitizer, a bounded fuzzing run, both Windows builds with
# their unit tests under Wine (the 32-bit ones through qemu), and the
# end-to-end tests under Wine of the 64-bit and then the shipped 32-bit
# Setup.exe. Each stage's time is printed after it.
# Prints one closing line "N passed, M failed" and exits non-zero on any
# failure.
set -uo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh || exit 1

passed=0
failed=0
failures=()
log_dir=build/test-logs
mkdir -p "$log_dir"

# shellcheck source=scripts/test-counts.sh
source scripts/test-counts.sh

# stage NAME COUNTER COMMAND...: runs a stage, shows its output, counts it.
stage() {
    local name=$1 counter=$2
    shift 2
    local log="$log_dir/$name.log"
    echo "=== $name"
    local began=$SECONDS
    "$@" 2>&1 | tee "$log"
    local status=${PIPESTATUS[0]}
    echo "=== $name: $((SECONDS - began)) s"
    if ! $counter "$log" && [ "$status" -ne 0 ]; then
        failed=$((failed + 1))
    fi
    if [ "$status" -ne 0 ]; then
        failures+=("$name")
    fi
}

build_and_ctest() {
    local preset=$1
    shift
    cmake --preset "$preset" >/dev/null &&
        cmake --build "build/$preset" -j2 &&
        ctest --test-dir "build/$preset" --output-on-failure -j2 --timeout 900 "$@"
}

build_only() {
    cmake --preset "$1" >/dev/null && cmake --build "build/$1" -j2
}

stage native count_ctest build_and_ctest native
stage sanitize count_ctest build_and_ctest sanitize
if [ -x scripts/fuzz.sh ]; then
    stage fuzz count_summary scripts/fuzz.sh --bounded
fi
stage mingw-x64 count_gtest build_and_ctest mingw-x64 -V
stage mingw-i686 count_gtest build_and_ctest mingw-i686 -V
stage check-pe count_summary scripts/check-pe.sh build/mingw-i686/Setup.exe
if [ -x scripts/e2e-tests.sh ]; then
    # The programs the earlier stages built are the ones under test.
    stage e2e count_summary env E2E_ARCH=x64 E2E_WIN_BUILD=build/mingw-x64 \
        E2E_NATIVE_BUILD=build/native E2E_SKIP_BUILD=1 scripts/e2e-tests.sh
    stage e2e-i686 count_summary env E2E_ARCH=i686 E2E_WIN_BUILD=build/mingw-i686 \
        E2E_NATIVE_BUILD=build/native E2E_SKIP_BUILD=1 scripts/e2e-tests.sh
fi
# Last: packaging rebuilds both Windows programs around its own test game.
stage package count_summary tests/package/package_test.sh

echo
if [ ${#failures[@]} -gt 0 ]; then
    echo "Failed stages: ${failures[*]}"
fi
echo "$passed passed, $failed failed"
[ ${#failures[@]} -eq 0 ] && [ "$failed" -eq 0 ]
