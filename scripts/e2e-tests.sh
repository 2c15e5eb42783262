#!/bin/bash
# End-to-end tests: the tool modes of the native tool and of the 64-bit
# Setup.exe, the help box, and installs through the wizard, all under Wine
# in a fresh prefix on a private Xvfb display. Prints "N passed, M failed"
# last and exits non-zero on any failure. Needs strace, which shows the
# order in which the native tool extracts.
#
#   scripts/e2e-tests.sh [SCRIPT...]   SCRIPT: tool_modes, install
#
#   E2E_X64_BUILD     Windows build folder (default build/e2e-x64)
#   E2E_NATIVE_BUILD  native build folder (default build/e2e-native)
#   E2E_SKIP_BUILD=1  use the programs already built there
# Screenshots go to build/screenshots/.
set -uo pipefail
cd "$(dirname "$0")/.." || exit 1
repo=$(pwd)

x64=$repo/${E2E_X64_BUILD:-build/e2e-x64}
native=$repo/${E2E_NATIVE_BUILD:-build/e2e-native}
scripts=("$@")
if [ ${#scripts[@]} -eq 0 ]; then
    scripts=(tool_modes install)
fi

if [ "${E2E_SKIP_BUILD:-0}" != 1 ]; then
    echo "=== building"
    if ! { cmake -S . -B "$x64" -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-x86_64.cmake \
        -DCMAKE_BUILD_TYPE=MinSizeRel >/dev/null &&
        cmake --build "$x64" -j2 --target Setup e2e_driver &&
        cmake -S . -B "$native" -DCMAKE_BUILD_TYPE=Release -DTREMLOK_TESTS=OFF >/dev/null &&
        cmake --build "$native" -j2 --target setup; }; then
        echo "the programs under test did not build"
        echo "0 passed, 1 failed"
        exit 1
    fi
fi

export REPO=$repo
export E2E_SETUP_EXE=$x64/Setup.exe
export E2E_DRIVER_EXE=$x64/tests/e2e/e2e_driver.exe
export E2E_NATIVE=$native/setup
export E2E_WORK=$x64/e2e-work
export E2E_RESULTS=$E2E_WORK/results
export E2E_SHOTS=$repo/build/screenshots
export WINEPREFIX=$x64/wineprefix-e2e

for program in "$E2E_SETUP_EXE" "$E2E_DRIVER_EXE" "$E2E_NATIVE" "$(command -v strace || echo strace)"; do
    if [ ! -x "$program" ]; then
        echo "missing $program"
        echo "0 passed, 1 failed"
        exit 1
    fi
done

# A fresh prefix and scratch folder for every run.
if [ -d "$WINEPREFIX" ]; then
    WINEPREFIX=$WINEPREFIX timeout 30 wineserver -k 2>/dev/null
fi
rm -rf "$WINEPREFIX" "$WINEPREFIX.lock" "$E2E_WORK"
mkdir -p "$E2E_WORK" "$E2E_SHOTS"
: >"$E2E_RESULTS"

started=$(date +%s)
# The whole session is bounded; each Wine program also has its own limit.
# The inner shell expands the variables, which are exported.
# shellcheck disable=SC2016
timeout 900 scripts/with-xvfb bash -c '
    echo "=== preparing the Wine prefix"
    scripts/wine-run cmd /c exit 0 || echo "fail wine prefix" >>"$E2E_RESULTS"
    # Without a window manager Wine leaves windows bare; unmanaged, it draws
    # their captions itself, close button included.
    scripts/wine-run reg add "HKCU\\Software\\Wine\\X11 Driver" /v Managed /d N /f >/dev/null
    ln -sfn "$E2E_WORK" "$WINEPREFIX/dosdevices/t:"
    for name in "$@"; do
        echo "=== $name"
        bash "tests/e2e/$name.sh"
        status=$?
        if [ $status -ne 0 ]; then
            echo "FAIL - $name ended early with status $status"
            echo "fail $name ran to its end" >>"$E2E_RESULTS"
        fi
    done
    timeout 30 wineserver -k
' e2e "${scripts[@]}"
session=$?
if [ $session -ne 0 ]; then
    echo "FAIL - the test session ended with status $session"
    echo "fail session" >>"$E2E_RESULTS"
fi

passed=$(grep -c '^pass ' "$E2E_RESULTS")
failed=$(grep -c '^fail ' "$E2E_RESULTS")
echo
echo "e2e: $(($(date +%s) - started)) s, screenshots in build/screenshots/"
if [ "$failed" -ne 0 ]; then
    echo "Failed:"
    grep '^fail ' "$E2E_RESULTS" | sed 's/^fail /  /'
fi
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ] && [ "$passed" -gt 0 ]
