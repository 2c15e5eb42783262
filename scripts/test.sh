#!/bin/bash
# Runs every test: the native unit tests, the same under AddressSanitizer and
# UndefinedBehaviorSanitizer, a bounded fuzzing run, both Windows builds with
# their unit tests under Wine (the 32-bit ones through qemu), the end-to-end
# tests under Wine of the 64-bit and of the shipped 32-bit Setup.exe, and the
# packaging. Three lanes run side by side: the 32-bit program's build and
# unit tests; its check-pe and end-to-end run, once it is built; and every
# other stage. The first two, under qemu, take the longest. Each stage's
# output goes to build/test-logs/<stage>.log and is shown whole when the
# stage ends, with its time. Prints one closing line "N passed, M failed"
# and exits non-zero on any failure.
#   FUZZ_SECONDS   seconds for each fuzz target (default here 20)
set -uo pipefail
cd "$(dirname "$0")/.." || exit 1

scripts/install-deps.sh || exit 1

log_dir=build/test-logs
rm -rf "$log_dir"
mkdir -p "$log_dir"
started=$SECONDS

# stage NAME COMMAND...: runs a stage into its log; leaves its exit status
# and seconds in NAME.done, and shows the log whole once it ends.
stage() {
    local name=$1 log=$log_dir/$1.log began=$SECONDS status
    shift
    echo "=== $name: started at $((SECONDS - started)) s"
    "$@" >"$log" 2>&1
    status=$?
    echo "$status $((SECONDS - began))" >"$log_dir/$name.done"
    {
        flock 9
        echo "=== $name"
        cat "$log"
        echo "=== $name: $((SECONDS - began)) s$([ "$status" == 0 ] || echo ", exit status $status")"
    } 9>"$log_dir/.print"
}

# after NAME: waits for stage NAME of the other lane to end.
after() {
    while [ ! -e "$log_dir/$1.done" ]; do sleep 2; done
}

# The two Windows presets' unit tests run side by side, each in a prefix
# of its own. PRESET-built.done marks the end of the build.
build_and_ctest() {
    local preset=$1 built
    shift
    local -x WINEPREFIX
    WINEPREFIX=$(pwd)/build/$preset/wineprefix
    cmake --preset "$preset" >/dev/null && cmake --build "build/$preset" -j2
    built=$?
    touch "$log_dir/$preset-built.done"
    [ $built -eq 0 ] && ctest --test-dir "build/$preset" --output-on-failure -j2 --timeout 900 "$@"
}

i686_e2e_lane() {
    after mingw-i686-built
    stage check-pe scripts/check-pe.sh build/mingw-i686/Setup.exe
    # The end-to-end run works on copies of the programs, as packaging
    # rebuilds build/mingw-i686 meanwhile.
    rm -rf build/e2e-i686 && mkdir -p build/e2e-i686/tests/e2e
    cp build/mingw-i686/Setup.exe build/e2e-i686/
    cp build/mingw-i686/tests/e2e/{e2e_driver.exe,comctl32.dll} build/e2e-i686/tests/e2e/
    touch "$log_dir/i686-copied.done"
    # And on a copy of the tool, which the deb stage rebuilds around the
    # Windows stubs once they are built.
    after native
    mkdir -p build/e2e-i686/native && cp build/native/setup build/e2e-i686/native/
    stage e2e-i686 env E2E_ARCH=i686 E2E_WIN_BUILD=build/e2e-i686 E2E_NATIVE_BUILD=build/e2e-i686/native \
        E2E_SKIP_BUILD=1 scripts/e2e-tests.sh
}

other_lane() {
    stage native build_and_ctest native
    stage mingw-x64 build_and_ctest mingw-x64 -V
    # The programs the earlier stages built are the ones under test.
    stage e2e env E2E_ARCH=x64 E2E_WIN_BUILD=build/mingw-x64 E2E_NATIVE_BUILD=build/native \
        E2E_SKIP_BUILD=1 scripts/e2e-tests.sh
    stage sanitize build_and_ctest sanitize
    stage fuzz env FUZZ_SECONDS="${FUZZ_SECONDS:-20}" scripts/fuzz.sh --bounded
    # It builds the stubs in the Windows builds' folders.
    after mingw-i686-built
    stage deb tests/package/deb_test.sh
    # Packaging rebuilds both Windows programs around its own test game.
    after i686-copied
    after mingw-i686
    stage package tests/package/package_test.sh
}

trap 'kill 0' INT TERM
stage mingw-i686 build_and_ctest mingw-i686 -V &
i686_e2e_lane &
other_lane
wait

# shellcheck source=scripts/test-counts.sh
source scripts/test-counts.sh
passed=0
failed=0
failures=()
stage_seconds=0
for name_counter in native:count_ctest sanitize:count_ctest fuzz:count_summary \
    mingw-x64:count_gtest mingw-i686:count_gtest check-pe:count_summary e2e:count_summary \
    e2e-i686:count_summary deb:count_summary package:count_summary; do
    name=${name_counter%:*}
    read -r status seconds 2>/dev/null <"$log_dir/$name.done" || status="did not run" seconds=0
    stage_seconds=$((stage_seconds + seconds))
    # A stage that failed counts as one failure at least, though its log
    # counted none (a run killed before it reported).
    failed_before=$failed
    ${name_counter#*:} "$log_dir/$name.log" 2>/dev/null
    if [ "$status" != 0 ] && [ "$failed" -eq "$failed_before" ]; then
        failed=$((failed + 1))
    fi
    [ "$status" == 0 ] || failures+=("$name")
    printf '%-11s %5d s  %s\n' "$name" "$seconds" "$([ "$status" == 0 ] || echo "failed: $status")"
done
echo "whole run: $((SECONDS - started)) s; the stages' times add up to $stage_seconds s"
if [ ${#failures[@]} -gt 0 ]; then
    echo "Failed stages: ${failures[*]}"
fi
echo "$passed passed, $failed failed"
[ ${#failures[@]} -eq 0 ] && [ "$failed" -eq 0 ]
