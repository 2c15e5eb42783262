#!/bin/bash
# Builds Setup.exe for a game: packs the game folder with the tool's /m
# mode into build/pack/ (data.bin and data.cpp), then builds the Windows
# programs around that archive. The repository itself is left as it was.
#   scripts/package.sh [--incbin] <game folder>
# --incbin embeds data.bin's bytes through the assembler instead of
# compiling data.cpp: the same program, built in a fraction of the time and
# memory for a big game.
# Leaves build/mingw-i686/Setup.exe (the shipped 32-bit program) and
# build/mingw-x64/Setup.exe (the same source, 64-bit).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

usage() {
    echo "usage: scripts/package.sh [--incbin] <game folder>" >&2
    exit 2
}
incbin=0
if [ "${1:-}" = --incbin ]; then
    incbin=1
    shift
fi
[ $# -eq 1 ] || usage
if [ ! -d "$1" ]; then
    echo "package: $1 is not a folder" >&2
    exit 1
fi
game=$(cd "$1" && pwd)

# The completion page starts the game and offers its readme by these names;
# Windows finds them whatever their letter case.
missing=()
for name in tremlok.exe Readme.txt; do
    if [ -z "$(find "$game" -maxdepth 1 -type f -iname "$name" -print -quit)" ]; then
        missing+=("$name")
    fi
done
if [ ${#missing[@]} -gt 0 ]; then
    echo "package: $game has no ${missing[*]} at its top level; the installed game would not start" >&2
    exit 1
fi

scripts/install-deps.sh
cmake --preset native >/dev/null
cmake --build build/native -j2 --target setup

# /m writes data.bin and data.cpp into the current directory.
pack=$root/build/pack
mkdir -p "$pack"
(cd "$pack" && "$root/build/native/setup" -m "$game")

archive=(-DTREMLOK_DATA_CPP="$pack/data.cpp" -DTREMLOK_DATA_BIN=)
if [ "$incbin" -eq 1 ]; then
    archive=(-DTREMLOK_DATA_BIN="$pack/data.bin")
fi
for preset in mingw-i686 mingw-x64; do
    cmake --preset "$preset" "${archive[@]}" >/dev/null
    cmake --build "build/$preset" -j2 --target Setup
done

echo
echo "Archive: build/pack/data.bin ($(stat -c %s "$pack/data.bin") bytes)"
for preset in mingw-i686 mingw-x64; do
    echo "Setup:   build/$preset/Setup.exe ($(stat -c %s "build/$preset/Setup.exe") bytes)"
done
