# shellcheck shell=bash
# The counters of scripts/test.sh, sourced: each adds a stage's counts from
# its log to $passed and $failed, or returns 1 when the log holds none.

# Adds a ctest run's counts from its log.
count_ctest() {
    local log=$1 line total bad
    line=$(grep -E '[0-9]+ tests? failed out of [0-9]+' "$log" | tail -1)
    if [ -z "$line" ]; then
        return 1
    fi
    bad=$(sed -E 's/.* ([0-9]+) tests? failed out of ([0-9]+).*/\1/' <<<"$line")
    total=$(sed -E 's/.* ([0-9]+) tests? failed out of ([0-9]+).*/\2/' <<<"$line")
    passed=$((passed + total - bad))
    failed=$((failed + bad))
}

# Adds the counts of GoogleTest programs run whole (the Windows unit tests
# run as one ctest test under Wine), falling back to ctest's own counts.
count_gtest() {
    local log=$1 counts
    # ctest -V puts "N: " before each line of the program's output.
    counts=$(awk 'match($0, /\[==========\] [0-9]+ tests? from .* ran\./) {
                      ran += substr($0, RSTART + 13) + 0; seen = 1 }
                  match($0, /\[  FAILED  \] [0-9]+ tests?, listed below/) {
                      bad += substr($0, RSTART + 13) + 0 }
                  END { if (seen) print ran - bad, bad + 0 }' "$log")
    if [ -z "$counts" ]; then
        count_ctest "$log"
        return
    fi
    passed=$((passed + ${counts% *}))
    failed=$((failed + ${counts#* }))
}

# Adds the counts of a script that ends with "N passed, M failed".
count_summary() {
    local log=$1 line
    line=$(grep -E '^([A-Za-z]+: )?[0-9]+ passed, [0-9]+ failed' "$log" | tail -1)
    if [ -z "$line" ]; then
        return 1
    fi
    passed=$((passed + $(sed -E 's/^([A-Za-z]+: )?([0-9]+) passed.*/\2/' <<<"$line")))
    failed=$((failed + $(sed -E 's/.* ([0-9]+) failed.*/\1/' <<<"$line")))
}
