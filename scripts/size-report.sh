#!/bin/bash
# Where the bytes of a Setup.exe go: file size, section sizes, the embedded
# archive's share, and the largest contributors by library and by object,
# read from the link map that the Windows builds write beside the program.
#   scripts/size-report.sh [Setup.exe [Setup.map]] [-n TOP]
# Defaults: build/mingw-i686/Setup.exe and the map of the same name beside
# it (SetupEmpty.exe is the program around an empty archive).
set -euo pipefail

top=25
args=()
while [ $# -gt 0 ]; do
    case $1 in
    -n)
        top=$2
        shift 2
        ;;
    *)
        args+=("$1")
        shift
        ;;
    esac
done
exe=${args[0]:-build/mingw-i686/Setup.exe}
map=${args[1]:-${exe%.exe}.map}
for file in "$exe" "$map"; do
    if [ ! -f "$file" ]; then
        echo "size-report: $file not found" >&2
        exit 1
    fi
done

# Any objdump that reads PE files will do; the cross ones always can.
objdump=
for candidate in ${OBJDUMP:-} i686-w64-mingw32-objdump x86_64-w64-mingw32-objdump objdump; do
    if command -v "$candidate" >/dev/null && "$candidate" -h "$exe" >/dev/null 2>&1; then
        objdump=$candidate
        break
    fi
done
if [ -z "$objdump" ]; then
    echo "size-report: no objdump reads $exe" >&2
    exit 1
fi

file_size=$(stat -c %s "$exe")

# awk without gawk has no strtonum: hexadecimal by hand, "0x" or not.
hex='function hex(text,   i, n) {
    sub(/^0x/, "", text)
    n = 0
    for (i = 1; i <= length(text); i++)
        n = n * 16 + index("0123456789abcdef", tolower(substr(text, i, 1))) - 1
    return n
}'


# Section name and size (the size in memory; the file rounds each up to 512).
sections=$("$objdump" -h "$exe" | awk "$hex"' $1 ~ /^[0-9]+$/ { printf "%s %d\n", $2, hex($3) }')

# One line per input section of the map: output section, size, contributor.
# An input section whose name is too long for its column puts its address,
# size and file on the next line. The link-time optimised code comes as one
# object holding a section per function: each function is a contributor.
contributions=$(awk "$hex"'
    /^Linker script and memory map/ { inmap = 1; next }
    !inmap { next }
    /^[^ ]/ {
        output = $1
        if (output == ".eh_fram") output = ".eh_frame"
        pending = 0
        next
    }
    /^ [^ ]/ {
        section = $1
        if (NF >= 4 && $2 ~ /^0x/ && $3 ~ /^0x/) { emit($3, $4); pending = 0 }
        else if (NF == 1) pending = 1
        else pending = 0
        next
    }
    pending && /^  +0x/ {
        if (NF >= 3 && $2 ~ /^0x/) emit($2, $3)
        pending = 0
        next
    }
    { pending = 0 }
    function emit(size, file) {
        n = hex(size)
        if (n == 0 || output ~ /^(\/DISCARD\/|\.debug)/ || output == ".bss") return
        # The linker makes the base relocations itself ("dll stuff").
        if (output == ".reloc") file = "base-relocations"
        if (file ~ /\.ltrans[0-9]*\.ltrans\.o$/) {
            name = section
            sub(/^\.[a-z]+[$.]?/, "", name)
            file = "lto:" (name == "" ? output : name)
        }
        print output, n, file
    }
' "$map" | { c++filt 2>/dev/null || cat; } | awk '{ file = $3; for (i = 4; i <= NF; i++) file = file "_" $i; print $1, $2, file }')

# The archive is the embedded data file, compiled in from data.cpp or
# copied in from data.bin.
archive_object='(^|[/(])(data|embed_bin)\.cpp\.obj\)?$'
archive=$(awk -v object="$archive_object" '$3 ~ object { sum += $2 } END { print sum + 0 }' \
    <<<"$contributions")
data_size=$(awk '$1 == ".data" { print $2 }' <<<"$sections")
text_size=$(awk '$1 == ".text" { print $2 }' <<<"$sections")

echo "Program:  $exe"
echo "File:     $file_size bytes"
echo "Archive:  $archive bytes (gDatfile and gSizeDatfile, in .data)"
limit=$(sed -n 's/^empty_limit=//p' "$(dirname "$0")/check-pe.sh")
echo "Limit:    $limit bytes for the program around an empty archive (scripts/check-pe.sh)"
echo "Without the archive: $((file_size - archive)) bytes"
echo "Code (.text): ${text_size:-0} bytes; .data besides the archive: $((${data_size:-0} - archive)) bytes"
echo
echo "Sections (bytes in memory):"
awk '{ printf "  %-10s %8d\n", $1, $2 }' <<<"$sections"

# Contributors: our own objects by name; the toolchain's by library, then
# its largest objects. The archive itself is left out of both tables.
report() {
    local heading=$1 keyer=$2
    echo
    echo "$heading"
    printf "  %8s %8s %8s %8s %8s  %s\n" total .text rdata data eh/pdata name
    awk -v keyer="$keyer" -v object="$archive_object" '
        $3 ~ object { next }
        {
            file = $3
            key = file
            member = ""
            if (match(file, /\(([^()]*)\)$/)) {
                member = substr(file, RSTART + 1, RLENGTH - 2)
                library = substr(file, 1, RSTART - 1)
            } else {
                library = file
            }
            sub(/.*\//, "", library)
            own = file !~ /^\//
            if (keyer == "library") {
                key = own && member != "" ? library "(" member ")" : library
                if (!own && member == "") key = library
            } else {
                key = member != "" ? library "(" member ")" : library
            }
            total[key] += $2
            if ($1 == ".text") text[key] += $2
            else if ($1 == ".rdata") rdata[key] += $2
            else if ($1 == ".data") data[key] += $2
            else if ($1 ~ /^\.(eh_frame|pdata|xdata)$/) eh[key] += $2
        }
        END {
            for (k in total)
                printf "  %8d %8d %8d %8d %8d  %s\n", total[k], text[k], rdata[k], data[k], eh[k], k
        }
    ' <<<"$contributions" | sort -k1,1nr | head -n "$top"
}

report "Top contributors by library (our objects one by one):" library
report "Top contributors by object:" object
