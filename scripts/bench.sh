#!/bin/bash
# Prints the speed, compression and memory figures of the coders and of the
# packager's tool, then of building Setup.exe around big archives. Figures
# only; the tests never time anything.
#   scripts/bench.sh [MB]          the coders; the tool on a generated tree of
#                                  each shape (few big files, hundreds of
#                                  mid-sized ones, thousands of small ones) of
#                                  MB megabytes, default 100; the builds
#   scripts/bench.sh --game DIR... the tool alone, on each game folder given
#   BENCH_BUILD=0 scripts/bench.sh      leaves out the Setup.exe builds
#   BENCH_SHAPES="few many"             the generated trees to time
#   BENCH_AGAINST=path/to/setup         also runs that tool in the same rounds
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake --preset native >/dev/null
cmake --build build/native -j2 --target setup coders_bench make_game_tree >/dev/null
against=(${BENCH_AGAINST:+--against "$BENCH_AGAINST"})
if [ "${1:-}" = --game ]; then
    shift
    for game in "$@"; do
        echo "== the tool on $game, against tar and compress"
        python3 bench/tool_bench.py build/native/setup --game "$game" "${against[@]}"
    done
    exit 0
fi
echo "== coders (each input kind, both directions; MB/s of uncoded bytes, coded/input)"
build/native/bench/coders_bench --benchmark_counters_tabular=true
for shape in ${BENCH_SHAPES:-few mid many}; do
    echo
    echo "== the tool on a generated tree of shape $shape, against tar and compress"
    python3 bench/tool_bench.py build/native/setup --make build/native/bench/make_game_tree \
        "${1:-100}" "$shape" "${against[@]}"
done
if [ "${BENCH_BUILD:-1}" != 0 ]; then
    echo
    echo "== building Setup.exe around big archives"
    scripts/bench-build.sh
fi
