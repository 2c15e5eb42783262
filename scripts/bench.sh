#!/bin/bash
# Prints the speed, compression and memory figures of the coders and of the
# packager's tool. Figures only; the tests never time anything.
#   scripts/bench.sh [megabytes of generated game tree, default 48]
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake --preset native >/dev/null
cmake --build build/native -j2 --target setup coders_bench >/dev/null
echo "== coders (MB/s of uncoded bytes; ratio = coded / input)"
build/native/bench/coders_bench
echo
echo "== the tool on a generated tree"
python3 bench/tool_bench.py build/native/setup "${1:-48}"
