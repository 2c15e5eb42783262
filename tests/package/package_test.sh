#!/bin/bash
# scripts/package.sh as a packager meets it: a game folder without the two
# files the completion page starts is refused before anything is built; a
# foreign game (its names in other letter cases) is packaged on both routes
# without touching the repository, and each Setup.exe carries the game's
# data.bin byte for byte. Builds both Windows programs twice.
#   tests/package/package_test.sh        prints "N passed, M failed" last
set -uo pipefail
cd "$(dirname "$0")/../.." || exit 1
work=build/package-test
passed=0
failed=0

check() {
    local what=$1
    shift
    if "$@"; then
        passed=$((passed + 1))
    else
        failed=$((failed + 1))
        echo "FAIL: $what"
    fi
}

# refused NAME EXPECTED-MESSAGE FILE...: a game holding only FILE... is refused
# with a message naming what is missing, and no build starts.
refused() {
    local name=$1 expected=$2
    shift 2
    local game=$work/$name
    rm -rf "$game" && mkdir -p "$game/sub"
    for file in "$@"; do echo x >"$game/$file"; done
    local output status
    output=$(scripts/package.sh "$game" 2>&1)
    status=$?
    check "$name: refused" test "$status" -ne 0
    check "$name: message '$expected' (got: $output)" grep -qF "$expected" <<<"$output"
    check "$name: nothing built" bash -c "! grep -q 'Built target' <<<\"\$1\"" _ "$output"
}

rm -rf "$work"
mkdir -p "$work"
refused no-game "has no tremlok.exe at its top level" Readme.txt sub/tremlok.exe
refused no-readme "has no Readme.txt at its top level" tremlok.exe sub/Readme.txt
refused neither "has no tremlok.exe Readme.txt at its top level"
check "a missing folder is refused" bash -c "! scripts/package.sh $work/absent 2>&1 | grep -q 'Built target'"

# A foreign game: Windows finds TREMLOK.EXE and readme.TXT by either case.
game=$work/foreign
mkdir -p "$game/Maps"
head -c 70000 /dev/urandom >"$game/TREMLOK.EXE"
echo "Read me first." >"$game/readme.TXT"
seq 1 20000 >"$game/Maps/one.txt"
before=$(git status --porcelain)
for route in "" --incbin; do
    label=${route:-data.cpp}
    if ! scripts/package.sh $route "$game" >"$work/package$route.log" 2>&1; then
        check "$label: packaged (see $work/package$route.log)" false
        continue
    fi
    check "$label: repository untouched" test "$(git status --porcelain)" = "$before"
    for arch in i686 x64; do
        check "$label: $arch Setup.exe carries the game's data.bin" tests/package/embedded_bytes.sh \
            "build/mingw-$arch/Setup.exe" "build/mingw-$arch/Setup.map" build/pack/data.bin
    done
done
check "data/data.cpp is still the sample's" git diff --quiet -- data/data.cpp

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
