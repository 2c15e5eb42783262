#!/bin/bash
# Builds the packager's tool and packs it, installed as tremlok-setup, into
# a .deb and a .tar.gz under build/native/packages/, with the Windows
# programs' stubs inside it; prints their paths.
# The files in them carry the time of the last commit (SOURCE_DATE_EPOCH,
# unless set), so the same sources give the same packages.
#   scripts/make-deb.sh
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
# The tool carries the Windows programs' stubs: they are built first.
for preset in mingw-i686 mingw-x64; do
    [ -f "build/$preset/CMakeCache.txt" ] || cmake --preset "$preset" >/dev/null
    cmake --build "build/$preset" -j2 --target SetupStub >/dev/null
done
# Before configuring: the package's changelog is dated then.
SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct 2>/dev/null || echo 0)}
export SOURCE_DATE_EPOCH
cmake --preset native >/dev/null
cmake --build build/native -j2 --target setup >/dev/null
out=$(pwd)/build/native/packages
rm -rf "$out"
(cd build/native && cpack -B "$out" >/dev/null)
ls "$out"/*.deb "$out"/*.tar.gz
