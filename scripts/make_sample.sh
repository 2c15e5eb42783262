#!/bin/bash
# Regenerates the sample game in sample/game from sample/src: the program
# tremlok.exe (32-bit, no time stamp, stripped, so the bytes repeat), its
# readme, and the data files. The result is committed; builds never run this.
#   scripts/make_sample.sh
set -euo pipefail
cd "$(dirname "$0")/.."
src=sample/src
game=sample/game
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

rm -rf "$game"
mkdir -p "$game"

(cd "$src" && i686-w64-mingw32-windres -O coff -o "$work/tremlok.res.o" tremlok.rc)
i686-w64-mingw32-gcc -std=c99 -Os -Wall -Wextra -mwindows -s \
    -Wl,--no-insert-timestamp -o "$game/tremlok.exe" "$src/tremlok.c" "$work/tremlok.res.o"

cp "$src/Readme.txt" "$game/Readme.txt"
python3 "$src/make_data.py" "$game"

find "$game" -type f | LC_ALL=C sort | while read -r f; do
    printf '%8d  %s\n' "$(stat -c %s "$f")" "${f#$game/}"
done
du -sb "$game" | cut -f1 | xargs printf 'total %d bytes\n'
