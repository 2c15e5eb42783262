# shellcheck shell=bash
# Helpers shared by the end-to-end test scripts; sourced, not run. The
# runner (scripts/e2e-tests.sh) exports:
#   REPO            the source tree
#   E2E_SETUP_EXE   the x86_64 Setup.exe, with the sample game embedded
#   E2E_DRIVER_EXE  the window driver
#   E2E_NATIVE      the native tool
#   E2E_WORK        a scratch folder for this run, mapped to drive T: in Wine
#   E2E_RESULTS     file that collects one "pass NAME" or "fail NAME" a line
#   E2E_SHOTS       folder for screenshots
#   WINEPREFIX      the prefix made for this run
# and runs every script under one Xvfb display.

# Seconds any one Wine program may run before it is killed.
export WINE_TIMEOUT=${WINE_TIMEOUT:-90}

pass()
{
    echo "ok   - $1"
    echo "pass $1" >>"$E2E_RESULTS"
}

# fail NAME [WHY...]
fail()
{
    local name=$1
    shift
    echo "FAIL - $name${1:+: $*}"
    echo "fail $name" >>"$E2E_RESULTS"
}

# check NAME COMMAND...: passes when the command succeeds.
check()
{
    local name=$1
    shift
    if "$@"; then
        pass "$name"
    else
        fail "$name" "command failed: $*"
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
# failure except a Wine or timeout kill (124 to 128 and above), which is
# never what a test expects.
expect_status()
{
    local name=$1 wanted=$2 got=$3
    if [ "$got" -ge 124 ]; then
        fail "$name" "killed or crashed (status $got)"
    elif [ "$wanted" == nonzero ] && [ "$got" -ne 0 ]; then
        pass "$name"
    elif [ "$wanted" == "$got" ]; then
        pass "$name"
    else
        fail "$name" "exit status $got, expected $wanted"
    fi
}

wine_run()
{
    "$REPO/scripts/wine-run" "$@"
}

# drive SUBCOMMAND ARGS...: the window driver (tests/e2e/driver.cpp).
drive()
{
    "$REPO/scripts/wine-run" "$E2E_DRIVER_EXE" "$@"
}

# The Windows path of a Unix path: under the scratch folder through drive
# T:, which keeps command-line folders short, elsewhere through Z:.
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
    local path=$1
    path=${path#[Cc]:}
    path=${path//\\//}
    echo "$WINEPREFIX/drive_c$path"
}

# screenshot NAME: the whole screen as $E2E_SHOTS/NAME.png.
screenshot()
{
    mkdir -p "$E2E_SHOTS"
    if ! import -window root "$E2E_SHOTS/$1.png" 2>/dev/null; then
        echo "note: screenshot $1 failed"
    fi
}

# Every file and folder under a folder, one relative path a line, sorted.
tree_listing()
{
    (cd "$1" && find . -mindepth 1 | LC_ALL=C sort)
}
