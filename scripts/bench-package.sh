#!/bin/bash
# Times the packaging of a game, scripts/package.sh by its default route,
# against makensis, the yardstick, building an installer of every file of
# the same tree with zlib and with LZMA. Three rounds, each command once per
# round after a sync; prints the median seconds of each, its peak memory
# (the largest single process, /usr/bin/time) and installer size, and the
# ratio of makensis's seconds to package.sh's. Figures only.
#   scripts/bench-package.sh GAME        a game folder
#   scripts/bench-package.sh --make MB   a generated tree of MB megabytes, mid shape
set -euo pipefail
caller=$(pwd)
cd "$(dirname "$0")/.."
usage() {
    echo "usage: scripts/bench-package.sh GAME | --make MB" >&2
    exit 2
}
[ $# -ge 1 ] || usage
scripts/install-deps.sh
work=$(pwd)/build/bench-package
rm -rf "$work/out" && mkdir -p "$work/out"
if [ "$1" = --make ]; then
    [[ "${2:-}" =~ ^[0-9]+$ ]] || usage
    cmake --preset native >/dev/null
    cmake --build build/native -j2 --target make_game_tree >/dev/null
    game=$work/game-mid-$2
    [ -d "$game" ] || build/native/bench/make_game_tree "$game" "$2" mid >/dev/null
else
    game=$(cd "$caller" && realpath -- "$1")
fi
[ -d "$game" ] || usage

# An installer script of every file of the tree, one File line each, in
# the folder that holds it. A File path is taken as it stands; a folder
# of the installed tree is a run-time string, where $ is written $$.
nsi() {
    echo "SetCompressor /FINAL $1"
    echo "Name \"Tremlok\""
    echo "OutFile \"$work/out/nsis-$1.exe\""
    echo "InstallDir \"\$PROGRAMFILES\\Tremlok\""
    echo "RequestExecutionLevel admin"
    echo "Section"
    (cd "$game" && find . -type f | LC_ALL=C sort) | root=$game awk '{
        dir = $0; sub(/\/[^\/]*$/, "", dir); sub(/^\.\/?/, "", dir)
        if (dir != last || NR == 1) {
            out = dir; gsub(/\//, "\\", out); gsub(/\$/, "$$", out)
            printf "SetOutPath \"$INSTDIR%s\"\n", out == "" ? "" : "\\" out
            last = dir
        }
        printf "File \"%s/%s\"\n", ENVIRON["root"], substr($0, 3)
    }'
    echo "SectionEnd"
}
if [ -n "$(find "$game" -name '*"*' -print -quit)" ] || [[ "$game" == *'"'* ]]; then
    echo "bench-package: a name in $game holds a double quote, which an .nsi string cannot" >&2
    exit 1
fi
for compressor in zlib lzma; do nsi $compressor >"$work/$compressor.nsi"; done

# timed NAME COMMAND...: one run; appends "seconds peak-KB" to $work/NAME.times.
timed() {
    local name=$1
    shift
    sync
    /usr/bin/time -f "%e %M" -o "$work/time" "$@" >"$work/$name.log" 2>&1 ||
        { echo "bench-package: $name failed (see $work/$name.log)" >&2 && exit 1; }
    cat "$work/time" >>"$work/$name.times"
}
names=(package makensis-zlib makensis-lzma)
# An untimed run first: package.sh's first run builds what later ones reuse.
scripts/package.sh "$game" >"$work/package.log" 2>&1 ||
    { echo "bench-package: package.sh failed (see $work/package.log)" >&2 && exit 1; }
rm -f "$work"/*.times
for round in 1 2 3; do
    timed package scripts/package.sh "$game"
    timed makensis-zlib makensis -V1 "$work/zlib.nsi"
    timed makensis-lzma makensis -V1 "$work/lzma.nsi"
    echo "round $round of 3 done" >&2
done

median() { sort -n | sed -n 2p; }
size_of() { stat -c %s "$@" | awk '{ s += $1 } END { printf "%.1f MB", s / 1048576 }'; }
echo "game: $game ($(find "$game" -type f | wc -l) files, $(du -sm "$game" | cut -f1) MB)"
package_seconds=$(cut -d' ' -f1 "$work/package.times" | median)
printf '%-14s %8s %9s  %-12s %s\n' command seconds "peak MB" "installer" "its seconds / package.sh's"
for name in "${names[@]}"; do
    seconds=$(cut -d' ' -f1 "$work/$name.times" | median)
    peak=$(cut -d' ' -f2 "$work/$name.times" | median)
    case $name in
    package) installer=$(size_of build/mingw-i686/Setup.exe) ;;
    *) installer=$(size_of "$work/out/nsis-${name#makensis-}.exe") ;;
    esac
    printf '%-14s %8.2f %9.0f  %-12s %s\n' "$name" "$seconds" "$((peak / 1024))" "$installer" \
        "$(awk -v a="$seconds" -v b="$package_seconds" 'BEGIN { printf "%.1fx", a / b }')"
done
