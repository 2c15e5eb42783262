# shellcheck shell=bash
# The checks that the test scripts share; sourced, not run. Each result is
# counted in $passed and $failed and, where CHECK_RESULTS names a file,
# added to it as a line "pass NAME" or "fail NAME": the end-to-end scripts
# run one process each and their runner adds them up. CHECK_TAG follows
# every name (" (i686)" for the 32-bit end-to-end run).
passed=0
failed=0

pass() {
    echo "ok   - $1${CHECK_TAG:-}"
    passed=$((passed + 1))
    [ -z "${CHECK_RESULTS:-}" ] || echo "pass $1${CHECK_TAG:-}" >>"$CHECK_RESULTS"
}

# fail NAME [WHY...]
fail() {
    echo "FAIL - $1${CHECK_TAG:-}${2:+: ${*:2}}"
    failed=$((failed + 1))
    [ -z "${CHECK_RESULTS:-}" ] || echo "fail $1${CHECK_TAG:-}" >>"$CHECK_RESULTS"
}

# check NAME COMMAND...: passes when the command succeeds.
check() {
    if "${@:2}"; then
        pass "$1"
    else
        fail "$1" "command failed: ${*:2}"
    fi
}

# expect_eq NAME EXPECTED ACTUAL
expect_eq() {
    if [ "$2" == "$3" ]; then
        pass "$1"
    else
        fail "$1" "expected [$2], got [$3]"
    fi
}

# expect_status NAME EXPECTED ACTUAL: exit codes; "nonzero" matches any
# failure but a kill or crash (124 and above), which no test expects.
expect_status() {
    if [ "$3" -ge 124 ]; then
        fail "$1" "killed or crashed (status $3)"
    elif [ "$2" == "$3" ] || { [ "$2" == nonzero ] && [ "$3" -ne 0 ]; }; then
        pass "$1"
    else
        fail "$1" "exit status $3, expected $2"
    fi
}

# The closing line that scripts/test.sh counts; false after any failure.
summary() {
    echo "$passed passed, $failed failed"
    [ "$failed" -eq 0 ]
}
