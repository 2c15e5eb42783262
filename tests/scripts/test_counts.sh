#!/bin/bash
# The totals scripts/test.sh adds up from its stages' logs: one row a log,
# with the passed and failed counts it must give.
set -u
# shellcheck source=scripts/test-counts.sh
source "$(dirname "$0")/../../scripts/test-counts.sh"
log=$(mktemp)
trap 'rm -f "$log"' EXIT
status=0
# name|counter|what it says (nothing) and the totals after it, from 1 and 1|log
while IFS='|' read -r name counter expected text; do
    passed=1 failed=1
    printf '%b' "$text" >"$log"
    said=$("$counter" "$log" 2>&1 && echo "$passed $failed")
    if [ "$said" != "$expected" ]; then
        echo "FAIL - $name: expected [$expected], got [$said]"
        status=1
    fi
done <<'EOF'
gtest, no failure|count_gtest|6 1|1: [==========] 5 tests from 2 test suites ran. (3 ms total)\n1: [  PASSED  ] 5 tests.\n
gtest, two of six failed|count_gtest|5 3|1: [==========] 6 tests from 2 test suites ran.\n1: [  FAILED  ] 2 tests, listed below:\n
gtest, no program output: ctest's counts|count_gtest|4 2|75% tests passed, 1 tests failed out of 4\n
ctest|count_ctest|10 1|100% tests passed, 0 tests failed out of 9\n
summary|count_summary|8 4|fuzz: 7 passed, 3 failed\n
EOF
exit $status
