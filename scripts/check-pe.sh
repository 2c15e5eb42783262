#!/bin/bash
# Checks the shipped 32-bit Setup.exe for what Wine would not show: a PE32
# GUI program that runs on a 486, imports only DLLs that every Windows 95 and
# NT 4 has and the system always loads from its own folder, carries every
# resource the wizard loads, its manifest and an uncompressed bitmap, and
# around an empty archive (SetupEmpty.exe, built beside it) stays as small as
# it was made. With --written, a program that the tool wrote from its stub,
# alone: its archive's own section read-only, and nothing of the build.
#   scripts/check-pe.sh [--written] build/mingw-i686/Setup.exe
set -uo pipefail
written=0
if [ "${1:-}" = --written ]; then
    written=1
    shift
fi
exe=${1:-build/mingw-i686/Setup.exe}
# shellcheck source=scripts/checks.sh
source "$(dirname "$0")/checks.sh"

headers=$(i686-w64-mingw32-objdump -p "$exe" 2>/dev/null)
resources=$(wrestool -l "$exe" 2>/dev/null)

check "PE32 for i386" grep -q 'file format pei-i386' <<<"$headers"
check "GUI subsystem" grep -qE '^Subsystem[[:space:]]+00000002' <<<"$headers"
# Windows 95 and NT 4 refuse a program that asks for a later system.
versions=$(grep -cE '^(Major(OSystem|Subsystem)Version[[:space:]]+4|MinorSubsystemVersion[[:space:]]+0)$' \
    <<<"$headers")
check "subsystem and system version 4.0" test "$versions" -eq 3

# Only DLLs that every Windows since 95 and NT 4 carries, and that are known
# DLLs, never looked for beside the program: no C runtime, no comctl32.
allowed='^(KERNEL32|USER32|GDI32|SHELL32|OLE32|ADVAPI32)\.dll$'
imports=$(sed -n 's/^[[:space:]]*DLL Name: //p' <<<"$headers")
check "imports only known system DLLs (got: $(echo $imports))" \
    bash -c "[ -n \"$imports\" ] && ! grep -qviE '$allowed' <<<\"$imports\""

# Nothing the 486 lacks, in the program's code or the runtime linked in: no
# Pentium Pro conditional moves or compares, no MMX or SSE registers, no
# later system or string instructions.
above_i486='^(f?cmov|f?u?comip?$|cmpxchg8b|cpuid|rdtsc|rdpmc|rdmsr|wrmsr|sys(enter|exit|call|ret)|f?emms|fxsave|fxrstor|[lms]fence|clflush|prefetch|movnt|popcnt|lzcnt|tzcnt|movbe|crc32|[lv]?(ld|st)mxcsr)'
instructions=$(i686-w64-mingw32-objdump -d --no-show-raw-insn "$exe" 2>/dev/null |
    awk -F'\t' 'NF >= 2 && $1 ~ /^ *[0-9a-f]+:$/ { print $2 }')
above=$(awk -v above="$above_i486" '{ split($0, w, " ") } w[1] ~ above || /%[xy]?mm[0-9]/ { print w[1] }' \
    <<<"$instructions" | sort | uniq -c | sort -rn | awk '{ printf "%s%s x%s", sep, $2, $1; sep = ", " }')
check "code for the i486 ($(wc -l <<<"$instructions") instructions; above it: $(echo $above))" \
    bash -c "[ \$(wc -l <<<\"$instructions\") -gt 1000 ] && [ -z '$above' ]"

# A 486SX has no floating-point unit: no x87 instruction at all.
x87=$(awk '{ split($0, w, " ") } w[1] ~ /^f/ && w[1] != "fs" { print w[1] }' <<<"$instructions" |
    sort | uniq -c | sort -rn | awk '{ printf "%s%s x%s", sep, $2, $1; sep = ", " }')
check "no x87 instruction (got: $(echo $x87))" test -z "$x87"

has_resource() {
    grep -qE -- "--type=$1 --name=$2 " <<<"$resources"
}
for dialog in 142 151 179; do
    check "dialog $dialog" has_resource 5 "$dialog"
done
check "bitmap 181" has_resource 2 181
# 118 x 258 pixels, 1 plane, 8 bits, BI_RGB (uncompressed), 64 colours.
# BITMAPINFOHEADER: size, width, height, planes and bits in one word,
# compression, image size, resolution twice, colours used.
bitmap=$(wrestool -x -R --type=2 --name=181 "$exe" 2>/dev/null | od -An -tu4 -N40 -w40 |
    awk '{ print $1, $2, $3, $4 % 65536, int($4 / 65536), $5, $9 }')
check "bitmap 181 uncompressed, 118 x 258 at 8 bits with 64 colours (got: $bitmap)" \
    test "$bitmap" == "40 118 258 1 8 0 64"
for group in 170 180; do
    check "icon group $group" has_resource 14 "$group"
done
check "version block" has_resource 16 1
# The manifest: elevation asked for in the trustInfo form XP SP2 reads,
# Vista to 10/11 named, and no DPI awareness.
manifest=$(wrestool -x -R --type=24 --name=1 "$exe" 2>/dev/null | tr -d '\r\n')
check "manifest asks for administrator rights" grep -qE \
    '<trustInfo xmlns="urn:schemas-microsoft-com:asm.v2"><security><requestedPrivileges><requestedExecutionLevel level="requireAdministrator" uiAccess="false"/>' \
    <<<"$manifest"
for os in e2011457-1546-43c5-a5fe-008deee3d3f0 35138b9a-5d96-4fbd-8e2d-a2440225f93a \
    4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38 1f676c76-80e1-4239-95bb-83d0f6d0da78 \
    8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a; do
    check "manifest names supportedOS {$os}" grep -q "<supportedOS Id=\"{$os}\"/>" <<<"$manifest"
done
check "manifest declares no DPI awareness" bash -c "! grep -qi dpiaware <<<'$manifest'"
check "dialogs in English (United Kingdom)" \
    bash -c "[ \$(grep -cE -- '--type=5 .*--language=2057' <<<\"$resources\") -eq 3 ]"

# sections FILE: each section as "NAME START SIZE FLAGS".
sections() {
    i686-w64-mingw32-objdump -h "$1" 2>/dev/null | awk '$1 ~ /^[0-9]+$/ { line = $2 " 0x" $4 " 0x" $3; next }
        line != "" { print line, $0; line = "" }'
}
if [ $written -eq 1 ]; then
    # The stub's image section, grown: still read-only data, still last.
    last=$(sections "$exe" | tail -1)
    check "the archive in a read-only data section of its own, last (got: $last)" \
        grep -q '^\.datfile .*READONLY, DATA$' <<<"$last"
else
    # The program's own share, leaving room for the game: resources included,
    # around the 5-byte archive of a folder with no files. The limit is the size
    # reached with the bitmap uncompressed; the file grows in 512-byte steps.
    empty_limit=65536
    empty=$(dirname "$exe")/SetupEmpty.exe
    empty_size=$(stat -c %s "$empty" 2>/dev/null || echo missing)
    check "program around an empty archive within $empty_limit bytes (got: $empty_size)" \
        bash -c "[ '$empty_size' != missing ] && [ '$empty_size' -le $empty_limit ]"
    # SetupEmpty.exe carries its archive the data.bin way: in a read-only
    # section, whose pages Windows NT reads from the file as they are touched,
    # where a writable one is charged to the page file whole at start-up.
    datfile=$(awk '$2 ~ /^_?gDatfile$/ { print $1; exit }' "${empty%.exe}.map" 2>/dev/null)
    section=$(sections "$empty" |
        while read -r name start size flags; do
            [ -n "$datfile" ] && [ $((datfile)) -ge $((start)) ] && [ $((datfile)) -lt $((start + size)) ] &&
                echo "$name $flags"
        done)
    check "the archive of data.bin in a read-only data section (got: $section)" \
        grep -q 'READONLY, DATA$' <<<"$section"
    # The tests need the posix thread model's C++ library; the program must not
    # pull its thread library in.
    map=${exe%.exe}.map
    check "no thread library linked in" bash -c "[ -f '$map' ] && ! grep -q winpthread '$map'"
fi
check "no base relocations" grep -q 'relocations stripped' <<<"$headers"

size=$(stat -c %s "$exe")
echo "$(basename "$exe"): $size bytes${empty_size:+; around an empty archive: $empty_size bytes}"
summary
