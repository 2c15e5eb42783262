#!/bin/bash
# End-to-end tests: the tool modes of the native tool and of a Setup.exe,
# the help box, and installs through the wizard, all under Wine in a fresh
# prefix on a private Xvfb display. E2E_ARCH picks the Setup.exe: the 64-bit
# twin (x64, the default), which runs every script, or the shipped 32-bit
# one (i686), which runs with its own 32-bit driver under qemu, ten
# times slower, and so runs each of its modes once (E2E_ONCE): what only
# the real program shows, the rest being the same source as the twin's.
# Prints "N passed, M failed" last and exits non-zero on any failure.
#
#   scripts/e2e-tests.sh [SCRIPT...]   SCRIPT: tool_modes, install, write_failure, planted_dll,
#                                      windows_family, japanese_folder
#   E2E_GAME=DIR scripts/e2e-tests.sh packaged_install   a program that
#                     package.sh built for DIR (not run by default)
#
#   E2E_ARCH          x64 or i686 (default x64)
#   E2E_WIN_BUILD     Windows build folder (default build/e2e-x64 or
#                     build/e2e-i686; E2E_X64_BUILD is read too)
#   E2E_NATIVE_BUILD  native build folder (default build/e2e-native)
#   E2E_SKIP_BUILD=1  use the programs already built there
#   E2E_TIMEOUT       seconds for the whole session (default 900, i686 3600)
# Screenshots go to build/screenshots/, with "-i686" in the names of the
# 32-bit run's.
set -uo pipefail
cd "$(dirname "$0")/.." || exit 1
repo=$(pwd)

arch=${E2E_ARCH:-x64}
case $arch in
x64)
    toolchain=cmake/mingw-x86_64.cmake
    win=$repo/${E2E_WIN_BUILD:-${E2E_X64_BUILD:-build/e2e-x64}}
    export E2E_SUFFIX="" E2E_SLOW=1 E2E_ONCE=0
    session_timeout=${E2E_TIMEOUT:-900}
    all=(tool_modes install write_failure planted_dll windows_family japanese_folder)
    ;;
i686)
    toolchain=cmake/mingw-i686.cmake
    win=$repo/${E2E_WIN_BUILD:-build/e2e-i686}
    # No full disk (write_failure): qemu kills the 32-bit Wine at a
    # file-size limit. Its folder browser ignores the folder it is given,
    # so install, which browses, is the twin's; planted_dll holds its one
    # install.
    export E2E_SUFFIX="-i686" E2E_SLOW=${E2E_SLOW:-12} E2E_ONCE=1
    export WINE_TIMEOUT=${WINE_TIMEOUT:-600}
    session_timeout=${E2E_TIMEOUT:-1800}
    all=(tool_modes planted_dll)
    ;;
*)
    echo "E2E_ARCH must be x64 or i686, not $arch"
    echo "0 passed, 1 failed"
    exit 1
    ;;
esac
native=$repo/${E2E_NATIVE_BUILD:-build/e2e-native}
scripts=("$@")
if [ ${#scripts[@]} -eq 0 ]; then
    scripts=("${all[@]}")
fi

if [ "${E2E_SKIP_BUILD:-0}" != 1 ]; then
    echo "=== building"
    if ! { cmake -S . -B "$win" -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
        -DCMAKE_BUILD_TYPE=MinSizeRel >/dev/null &&
        cmake --build "$win" -j2 --target Setup e2e_driver planted_dll &&
        cmake -S . -B "$native" -DCMAKE_BUILD_TYPE=Release -DTREMLOK_TESTS=OFF >/dev/null &&
        cmake --build "$native" -j2 --target setup; }; then
        echo "the programs under test did not build"
        echo "0 passed, 1 failed"
        exit 1
    fi
fi

export REPO=$repo
export E2E_SETUP_EXE=$win/Setup.exe
export E2E_DRIVER_EXE=$win/tests/e2e/e2e_driver.exe
export E2E_PLANTED_DLL=$win/tests/e2e/comctl32.dll
export E2E_NATIVE=$native/setup
export E2E_WORK=$win/e2e-work
export E2E_RESULTS=$E2E_WORK/results
export E2E_SHOTS=$repo/build/screenshots
export WINEPREFIX=$win/wineprefix-e2e
# uninst.bat is the program's, the cmd that runs it Wine's own in either
# build; the 32-bit one ($WINEPREFIX/drive_c/windows/syswow64/cmd.exe)
# takes minutes over it under qemu.
export E2E_CMD=${E2E_CMD:-cmd}

for program in "$E2E_SETUP_EXE" "$E2E_DRIVER_EXE" "$E2E_PLANTED_DLL" "$E2E_NATIVE"; do
    if [ ! -x "$program" ]; then
        echo "missing $program"
        echo "0 passed, 1 failed"
        exit 1
    fi
done

# A fresh prefix (a copy of wine-run's template) and scratch folder for
# every run.
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
timeout "$session_timeout" scripts/with-xvfb bash -c '
    echo "=== preparing the Wine prefix"
    began=$(date +%s)
    scripts/wine-run cmd /c exit 0 || echo "fail wine prefix$E2E_SUFFIX" >>"$E2E_RESULTS"
    echo "=== prefix: $(($(date +%s) - began)) s"
    # Without a window manager Wine leaves windows bare; unmanaged, it draws
    # their captions itself, close button included.
    scripts/wine-run reg add "HKCU\\Software\\Wine\\X11 Driver" /v Managed /d N /f >/dev/null
    ln -sfn "$E2E_WORK" "$WINEPREFIX/dosdevices/t:"
    for name in "$@"; do
        # What a script left running (the loop of an uninstall) ends
        # before the next starts.
        [ "$name" == "$1" ] || timeout 900 wineserver -w
        echo "=== $name$E2E_SUFFIX"
        began=$(date +%s)
        bash "tests/e2e/$name.sh"
        status=$?
        if [ $status -ne 0 ]; then
            echo "FAIL - $name ended early with status $status"
            echo "fail $name$E2E_SUFFIX ran to its end" >>"$E2E_RESULTS"
        fi
        echo "=== $name$E2E_SUFFIX: $(($(date +%s) - began)) s"
    done
    timeout 30 wineserver -k
' e2e "${scripts[@]}"
session=$?
if [ $session -ne 0 ]; then
    echo "FAIL - the test session ended with status $session"
    echo "fail session$E2E_SUFFIX" >>"$E2E_RESULTS"
fi

passed=$(grep -c '^pass ' "$E2E_RESULTS")
failed=$(grep -c '^fail ' "$E2E_RESULTS")
echo
echo "e2e $arch: $(($(date +%s) - started)) s, screenshots in build/screenshots/"
if [ "$failed" -ne 0 ]; then
    echo "Failed:"
    grep '^fail ' "$E2E_RESULTS" | sed 's/^fail /  /'
fi
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ] && [ "$passed" -gt 0 ]
