#!/bin/bash
# Prints how long building Setup.exe around a big game takes, and the peak
# memory of the largest process of the build (the compiler), on both routes
# of embedding the archive: data.cpp compiled as text (the repository's
# default, package.sh --datacpp) and data.bin copied in by the assembler
# (TREMLOK_DATA_BIN, package.sh's default).
# The program itself is built first and not counted: the figures are what a
# packager waits for with each new game. Figures only, no pass or fail.
#   scripts/bench-build.sh [MB ...]     archive sizes, default 10 100
# Target: a 100 MB game in under 60 s and under 1 GB.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
sizes=("$@")
[ ${#sizes[@]} -gt 0 ] || sizes=(10 100)
work=$root/build/bench-build
mkdir -p "$work"

scripts/install-deps.sh >/dev/null
cmake --preset native >/dev/null
cmake --build build/native -j2 --target setup >/dev/null

# An archive of SIZE MB: a game tree of deterministic incompressible bytes,
# which /m stores, so data.bin and data.cpp are as big as a game that size.
make_archive() {
    local size=$1 dir=$work/archive-$1
    if [ -f "$dir/data.cpp" ]; then
        return
    fi
    rm -rf "$dir" && mkdir -p "$dir/tree/Data"
    python3 -c 'import random, sys
rest = int(sys.argv[1]) << 20
for i in range(0, 1 + rest // (8 << 20)):
    n = min(rest, 8 << 20)
    open("%s/Data/pack%02d.dat" % (sys.argv[2], i), "wb").write(random.Random(i).randbytes(n))
    rest -= n' "$size" "$dir/tree"
    echo "Tremlok" >"$dir/tree/Readme.txt"
    : >"$dir/tree/tremlok.exe"
    (cd "$dir" && "$root/build/native/setup" -m tree >/dev/null)
}

printf "%-6s %-8s %7s %10s %8s %8s  %s\n" arch route "MB" "seconds" "peak MB" "file MB" "ratio to 60 s / 1 GB"
for size in "${sizes[@]}"; do
    make_archive "$size"
    archive=$work/archive-$size
    for arch in i686 x86_64; do
        build=$work/$arch
        for route in data.cpp incbin; do
            if [ $route = data.cpp ]; then
                choice=(-DTREMLOK_DATA_CPP="$archive/data.cpp" -DTREMLOK_DATA_BIN=)
            else
                choice=(-DTREMLOK_DATA_BIN="$archive/data.bin")
            fi
            cmake --no-warn-unused-cli -S . -B "$build" -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-$arch.cmake \
                -DCMAKE_BUILD_TYPE=MinSizeRel -DTREMLOK_TESTS=OFF "${choice[@]}" >/dev/null
            cmake --build "$build" -j2 --target tremlok_core >/dev/null
            # Only what a new archive rebuilds is timed: its source and the link.
            rm -f "$build/Setup.exe" "$build"/CMakeFiles/Setup.dir/data/*.obj
            find "$build/CMakeFiles/Setup.dir" -name '*.obj' -path "*archive-*" -delete
            figures=$( { /usr/bin/time -f '%e %M' cmake --build "$build" -j2 --target Setup >/dev/null; } 2>&1 | tail -1)
            read -r seconds peak <<<"$figures"
            awk -v arch="$arch" -v route="$route" -v size="$size" -v s="$seconds" -v kb="$peak" \
                -v file="$(stat -c %s "$build/Setup.exe")" 'BEGIN {
                    mb = kb / 1024
                    printf "%-6s %-8s %7d %10.1f %8.0f %8.1f  %.2fx / %.2fx\n", arch, route, size, s, mb,
                        file / 1048576, s / 60, mb / 1024 }'
        done
    done
done
echo "(ratio: figure / target for a 100 MB game; below 1 meets it. Wall time on a shared machine.)"
