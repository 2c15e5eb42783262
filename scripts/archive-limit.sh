#!/bin/bash
# Whether the 32-bit Setup.exe still starts around an archive of N MB, for
# each N given: builds it around a data.bin of stored files of that size and
# starts it under the 32-bit Wine with /e beside the 5-byte data.bin of an
# empty folder: the program maps its whole image, extracts nothing and exits
# 0. Any other end (the loader refusing the image, a crash, the time limit)
# means the image does not fit. Figures only: this is how package.sh's
# archive limit was found.
#   scripts/archive-limit.sh MB...
set -uo pipefail
cd "$(dirname "$0")/.." || exit 1
root=$(pwd)
work=$root/build/archive-limit
build=$work/build
mkdir -p "$work/run"
printf '\0\0\0\0\0' >"$work/run/data.bin"

# stored_archive MB FILE: a data.bin of 8 MB stored files of zeros, MB in all.
stored_archive() {
    python3 - "$1" "$2" <<'EOF'
import struct, sys
rest, chunk = int(sys.argv[1]) << 20, 8 << 20
with open(sys.argv[2], "wb") as out:
    out.write(struct.pack("<I", rest & 0xFFFFFFFF))
    index = 0
    while rest > 0:
        size = min(rest, chunk)
        out.write(b"\\Data\\pack%04d.dat\0" % index + struct.pack("<IB", size, 0) + bytes(size))
        rest -= size
        index += 1
    out.write(b"\0")
EOF
}

for mb in "$@"; do
    bin=$work/data-$mb.bin
    [ -f "$bin" ] || stored_archive "$mb" "$bin"
    cmake --no-warn-unused-cli -S . -B "$build" -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake \
        -DCMAKE_BUILD_TYPE=MinSizeRel -DTREMLOK_TESTS=OFF -DTREMLOK_DATA_BIN="$bin" >/dev/null
    rm -f "$build/Setup.exe"
    if ! cmake --build "$build" -j2 --target Setup >"$work/build-$mb.log" 2>&1; then
        echo "$mb MB: the program did not build (build/archive-limit/build-$mb.log)"
        rm -f "$bin"
        continue
    fi
    rm -f "$bin"
    began=$(date +%s)
    output=$(cd "$work/run" && WINE_TIMEOUT=${WINE_TIMEOUT:-300} "$root/scripts/wine-run" \
        "$build/Setup.exe" '/eC:\archive-limit' 2>&1)
    status=$?
    echo "$mb MB: image $(stat -c %s "$build/Setup.exe") bytes, exit status $status" \
        "after $(($(date +%s) - began)) s${output:+: $(head -c 300 <<<"$output" | tr '\n' ' ')}"
done
