#!/bin/bash
# Checks the shipped 32-bit Setup.exe, which this machine cannot run: a PE32
# GUI program that imports only system DLLs and carries every resource the
# wizard loads, and the same program around an empty archive (SetupEmpty.exe,
# built beside it) fits in 64 KB.
#   scripts/check-pe.sh build/mingw-i686/Setup.exe
set -uo pipefail
exe=${1:-build/mingw-i686/Setup.exe}
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

headers=$(i686-w64-mingw32-objdump -p "$exe" 2>/dev/null)
resources=$(wrestool -l "$exe" 2>/dev/null)

check "PE32 for i386" grep -q 'file format pei-i386' <<<"$headers"
check "GUI subsystem" grep -qE '^Subsystem[[:space:]]+00000002' <<<"$headers"

# Only DLLs that every Windows since 95 and NT 4 carries.
allowed='^(KERNEL32|USER32|GDI32|SHELL32|OLE32|COMCTL32|ADVAPI32|MSVCRT)\.dll$'
imports=$(sed -n 's/^[[:space:]]*DLL Name: //p' <<<"$headers")
check "imports only system DLLs (got: $(echo $imports))" \
    bash -c "! grep -viE '$allowed' <<<\"$imports\""

has_resource() {
    grep -qE -- "--type=$1 --name=$2 " <<<"$resources"
}
for dialog in 142 151 179; do
    check "dialog $dialog" has_resource 5 "$dialog"
done
check "bitmap 181" has_resource 2 181
for group in 170 180; do
    check "icon group $group" has_resource 14 "$group"
done
check "version block" has_resource 16 1
check "dialogs in English (United Kingdom)" \
    bash -c "[ \$(grep -cE -- '--type=5 .*--language=2057' <<<\"$resources\") -eq 3 ]"

# The program's own share, leaving room for the game: resources included,
# around the 5-byte archive of a folder with no files.
empty=$(dirname "$exe")/SetupEmpty.exe
empty_size=$(stat -c %s "$empty" 2>/dev/null || echo missing)
check "program around an empty archive within 65536 bytes (got: $empty_size)" \
    bash -c "[ '$empty_size' != missing ] && [ '$empty_size' -le 65536 ]"
check "no base relocations" grep -q 'relocations stripped' <<<"$headers"
# The tests need the posix thread model's C++ library; the program must not
# pull its thread library in.
map=${exe%.exe}.map
check "no thread library linked in" bash -c "[ -f '$map' ] && ! grep -q winpthread '$map'"

size=$(stat -c %s "$exe")
echo "Setup.exe: $size bytes; around an empty archive: $empty_size bytes"
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
