#!/bin/bash
# Writes fuzz/corpus anew with the project's own coders and builder
# (fuzz/make_corpus.cpp), after a change to the data file or either coder.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${FUZZ_BUILD_DIR:-build/fuzz}
cmake --preset fuzz -B "$build" >/dev/null
cmake --build "$build" -j2 --target make_fuzz_corpus >/dev/null
rm -rf fuzz/corpus
"$build/fuzz/make_fuzz_corpus" fuzz/corpus
echo "$(find fuzz/corpus -type f | wc -l) seeds written"
