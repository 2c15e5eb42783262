#!/bin/bash
# The main job on the bundled sample game: build the packager's tool, pack
# sample/game under build/pack/ and build Setup.exe around it.
set -euo pipefail
cd "$(dirname "$0")/.."
exec scripts/package.sh sample/game
