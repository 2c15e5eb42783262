#!/bin/bash
# Builds Setup.exe for a game: packs the game folder with the tool's /m
# mode into data/data.cpp, then builds the Windows programs around it.
#   scripts/package.sh <game folder>
# Leaves build/mingw-i686/Setup.exe (the shipped 32-bit program) and
# build/mingw-x64/Setup.exe (the same source, 64-bit).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

if [ $# -ne 1 ]; then
    echo "usage: scripts/package.sh <game folder>" >&2
    exit 2
fi
game=$(cd "$1" && pwd)

scripts/install-deps.sh
cmake --preset native >/dev/null
cmake --build build/native -j2 --target setup

# /m writes data.bin and data.cpp into the current directory.
mkdir -p build/pack
(cd build/pack && "$root/build/native/setup" -m "$game")
if ! cmp -s build/pack/data.cpp data/data.cpp; then
    cp build/pack/data.cpp data/data.cpp
fi

for preset in mingw-i686 mingw-x64; do
    cmake --preset "$preset" >/dev/null
    cmake --build "build/$preset" -j2 --target Setup
done

echo
echo "Archive: build/pack/data.bin ($(stat -c %s build/pack/data.bin) bytes)"
for preset in mingw-i686 mingw-x64; do
    echo "Setup:   build/$preset/Setup.exe ($(stat -c %s "build/$preset/Setup.exe") bytes)"
done
