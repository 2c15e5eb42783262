# shellcheck shell=bash
# Helpers shared by the end-to-end test scripts; sourced, not run. The
# runner (scripts/e2e-tests.sh) exports:
#   REPO            the source tree
#   E2E_SETUP_EXE   the Setup.exe under test, with the sample game embedded
#   E2E_DRIVER_EXE  the window driver (tests/e2e/driver.cpp) of the same build
#   E2E_CMD         the cmd that runs uninst.bat: the 32-bit one for i686
#   E2E_SUFFIX      "" for x86_64, "-i686" for the 32-bit run: added to every
#                   screenshot name, and as " (i686)" to every result
#   E2E_SLOW        factor on the scripts' window waits: qemu runs the
#                   32-bit programs about ten times slower
#   E2E_NATIVE      the native tool
#   E2E_WORK        a scratch folder for this run, drive T: in Wine
#   E2E_RESULTS     file that collects one "pass NAME" or "fail NAME" a line
#   E2E_SHOTS       folder for screenshots
#   WINEPREFIX      the prefix made for this run
# and runs every script under one Xvfb display.

# Seconds any one Wine program may run before it is killed.
export WINE_TIMEOUT=${WINE_TIMEOUT:-90}
slow=${E2E_SLOW:-1}
# " (i686)" after the results of the 32-bit run.
tag=${E2E_SUFFIX:+ (${E2E_SUFFIX#-})}

pass()
{
    echo "ok   - $1$tag"
    echo "pass $1$tag" >>"$E2E_RESULTS"
}

# fail NAME [WHY...]
fail()
{
    echo "FAIL - $1$tag${2:+: ${*:2}}"
    echo "fail $1$tag" >>"$E2E_RESULTS"
}

# check NAME COMMAND...: passes when the command succeeds.
check()
{
    if "${@:2}"; then
        pass "$1"
    else
        fail "$1" "command failed: ${*:2}"
    fi
}

# expect_eq NAME EXPECTED ACTUAL
expect_eq()
{
    if [ "$2" == "$3" ]; then
        pass "$1"
    else
        fail "$1" "expected [$2], got [$3]"
    fi
}

# expect_status NAME EXPECTED ACTUAL: exit codes; "nonzero" matches any
# failure but a kill or crash (124 and above), which no test expects.
expect_status()
{
    if [ "$3" -ge 124 ]; then
        fail "$1" "killed or crashed (status $3)"
    elif [ "$2" == "$3" ] || { [ "$2" == nonzero ] && [ "$3" -ne 0 ]; }; then
        pass "$1"
    else
        fail "$1" "exit status $3, expected $2"
    fi
}

wine_run()
{
    "$REPO/scripts/wine-run" "$@"
}

# drive SUBCOMMAND ARGS... [-- SUBCOMMAND ARGS...]: the window driver.
drive()
{
    "$REPO/scripts/wine-run" "$E2E_DRIVER_EXE" "$@"
}

# The Windows path of a Unix path: through drive T: under the scratch
# folder, which keeps command-line folders short, elsewhere through Z:.
to_win()
{
    local path=$1
    if [[ "$path" == "$E2E_WORK"* ]]; then
        path="T:${path#"$E2E_WORK"}"
    else
        path="Z:$path"
    fi
    echo "${path//\//\\}"
}

# The Unix path of a path on the prefix's drive C:.
from_win()
{
    local path=${1#[Cc]:}
    echo "$WINEPREFIX/drive_c${path//\\//}"
}

# screenshot NAME: the whole screen as $E2E_SHOTS/NAME.png.
screenshot()
{
    local name=$1${E2E_SUFFIX:-}
    import -window root "$E2E_SHOTS/$name.png" 2>/dev/null || echo "note: screenshot $name failed"
}
