#!/bin/bash
# Prints the speed, compression and memory figures of the coders and of the
# packager's tool, then of building Setup.exe around big archives. Figures
# only; the tests never time anything.
#   scripts/bench.sh [megabytes of generated game tree, default 100]
#   BENCH_BUILD=0 scripts/bench.sh      leaves out the Setup.exe builds
#   BENCH_AGAINST=path/to/setup         also runs that tool in the same rounds
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake --preset native >/dev/null
cmake --build build/native -j2 --target setup coders_bench make_game_tree >/dev/null
echo "== coders (each input kind, both directions; MB/s of uncoded bytes, coded/input)"
build/native/bench/coders_bench --benchmark_counters_tabular=true
echo
echo "== the tool on a generated game tree, against compress, gzip and cp"
python3 bench/tool_bench.py build/native/setup build/native/bench/make_game_tree "${1:-100}" \
    ${BENCH_AGAINST:+--against "$BENCH_AGAINST"}
if [ "${BENCH_BUILD:-1}" != 0 ]; then
    echo
    echo "== building Setup.exe around big archives"
    scripts/bench-build.sh
fi
