#!/bin/bash
# Regenerates the committed seed corpora in fuzz/corpus/ with the project's
# own encoders and builder (fuzz/make_corpus.cpp), replacing what is there.
# Run it after a change to the data file format or either coder's streams.
set -euo pipefail
cd "$(dirname "$0")/.."

build=${FUZZ_BUILD_DIR:-build/fuzz}
cmake --preset fuzz -B "$build" >/dev/null
cmake --build "$build" -j2 --target make_fuzz_corpus

fresh=$(mktemp -d)
trap 'rm -rf "$fresh"' EXIT
"$build/fuzz/make_fuzz_corpus" "$fresh"
rm -rf fuzz/corpus
mkdir -p fuzz
cp -r "$fresh" fuzz/corpus
find fuzz/corpus -type f | wc -l | xargs echo "seeds written:"
