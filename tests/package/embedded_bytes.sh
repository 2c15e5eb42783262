#!/bin/bash
# Whether a Setup.exe carries a data.bin as its embedded image: the bytes at
# gDatfile (found through the link map) are data.bin's followed by 1 to 4
# zero bytes to a word boundary, and gSizeDatfile holds its length.
#   tests/package/embedded_bytes.sh Setup.exe Setup.map data.bin
# Exit status 0 when they match; otherwise a line says what differs.
set -uo pipefail
exe=$1 map=$2 bin=$3

# stored SYMBOL COUNT: COUNT bytes of the file where the map puts SYMBOL,
# through the section header that holds its address.
stored() {
    local at index name size vma lma offset rest
    at=$(awk -v symbol="$1" 'NF == 2 && $1 ~ /^0x/ && ($2 == symbol || $2 == "_" symbol) \
        { print $1; exit }' "$map")
    [ -n "$at" ] || { echo "$map: no $1 in the map" >&2; return 1; }
    while read -r index name size vma lma offset rest; do
        [[ "$index" =~ ^[0-9]+$ ]] || continue
        if ((at >= 0x$vma && at < 0x$vma + 0x$size)); then
            tail -c +$((0x$offset + at - 0x$vma + 1)) "$exe" | head -c "$2"
            return 0
        fi
    done < <(x86_64-w64-mingw32-objdump -h "$exe")
    echo "$exe: $1 lies in no section" >&2
    return 1
}

length=$(stat -c %s "$bin")
padded=$(((length | 3) + 1))
size=$(stored gSizeDatfile 4 | od -An -tu4 | tr -d ' ')
if [ "$size" != "$length" ]; then
    echo "$exe: gSizeDatfile is ${size:-missing}, not the $length bytes of $bin"
    exit 1
fi
if ! cmp -s <(stored gDatfile "$padded") <(cat "$bin" && head -c $((padded - length)) /dev/zero); then
    echo "$exe: the embedded image differs from $bin"
    exit 1
fi
