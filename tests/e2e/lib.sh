# shellcheck shell=bash
# Helpers shared by the end-to-end test scripts; sourced, not run. The
# runner (scripts/e2e-tests.sh) exports:
#   REPO            the source tree
#   E2E_SETUP_EXE   the Setup.exe under test, with the sample game embedded
#   E2E_DRIVER_EXE  the window driver (tests/e2e/driver.cpp) of the same build
#   E2E_PLANTED_DLL a comctl32.dll that leaves a mark when it is loaded
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
    "$REPO/scripts/wine-run" "$@" 7>&- 8<&-
}

# drive SUBCOMMAND ARGS... [-- SUBCOMMAND ARGS...]: the window driver, one
# driver process for the whole script (start_driver), its output and status
# those of the chain.
drive()
{
    local line out=""
    (IFS=$'\t' && printf '%s\n' "$*") >&7 || return 125
    while IFS= read -r -t "$WINE_TIMEOUT" line <&8; do
        if [[ "$line" == *$'\x1e'* ]]; then
            printf '%s' "$out${line%%$'\x1e'*}"
            return "${line##*$'\x1e'}"
        fi
        out+=$line$'\n'
    done
    echo "e2e: the driver gave no answer to: $*" >&2
    return 124
}

# Starts the driver once for the script that sources this file and ends it
# with the script: fds 7 and 8 stay open in every subshell.
start_driver()
{
    local fifos
    fifos=$(mktemp -d "$E2E_WORK/driver.XXXXXX")
    mkfifo "$fifos/in" "$fifos/out"
    WINE_TIMEOUT=${E2E_TIMEOUT:-3600} "$REPO/scripts/wine-run" "$E2E_DRIVER_EXE" serve \
        <"$fifos/in" >"$fifos/out" &
    exec 7>"$fifos/in" 8<"$fifos/out"
    trap 'echo >&7; exec 7>&- 8<&-; wait' EXIT
}
start_driver

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
