#!/bin/bash
# Times the packaging of a game, scripts/package.sh by its default route
# and the installed tool's one command (tremlok-setup -m GAME --exe ...
# --exe-x64 ..., as a packager with the .deb runs it: the program of
# scripts/make-deb.sh's .tar.gz, run outside the repository), against
# makensis, the yardstick, building an installer of every file of the same
# tree with zlib and with LZMA. Three rounds, each command once per round
# after a sync; prints the median seconds of each, its peak memory (the
# largest single process, /usr/bin/time) and installer size, the ratios of
# makensis's seconds to package.sh's and to the tool's, and the load
# average before and after. Figures only.
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
names=(package tool makensis-zlib makensis-lzma)
# An untimed run first: package.sh's first run builds what later ones reuse.
scripts/package.sh "$game" >"$work/package.log" 2>&1 ||
    { echo "bench-package: package.sh failed (see $work/package.log)" >&2 && exit 1; }
packages=$(scripts/make-deb.sh) || { echo "bench-package: make-deb.sh failed" >&2 && exit 1; }
rm -rf "$work/installed" "$work/tool" && mkdir -p "$work/installed" "$work/tool/x64"
tar -xzf "$(grep '\.tar\.gz$' <<<"$packages")" -C "$work/installed"
installed=$(echo "$work"/installed/*/bin/tremlok-setup)
rm -f "$work"/*.times
load_before=$(cut -d' ' -f1-3 /proc/loadavg)
for round in 1 2 3; do
    timed package scripts/package.sh "$game"
    timed tool env -C "$work/tool" "$installed" -m "$game" --exe Setup.exe --exe-x64 x64/Setup.exe
    timed makensis-zlib makensis -V1 "$work/zlib.nsi"
    timed makensis-lzma makensis -V1 "$work/lzma.nsi"
    echo "round $round of 3 done" >&2
done

median() { sort -n | sed -n 2p; }
size_of() { stat -c %s "$@" | awk '{ s += $1 } END { printf "%.1f MB", s / 1048576 }'; }
seconds_of() { cut -d' ' -f1 "$work/$1.times" | median; }
echo "game: $game ($(find "$game" -type f | wc -l) files, $(du -sm "$game" | cut -f1) MB)"
echo "load average before: $load_before; after: $(cut -d' ' -f1-3 /proc/loadavg)"
printf '%-14s %8s %9s  %-10s %s\n' command seconds "peak MB" installer \
    "makensis's seconds / package.sh's, / the tool's"
for name in "${names[@]}"; do
    seconds=$(seconds_of "$name")
    peak=$(cut -d' ' -f2 "$work/$name.times" | median)
    ratios=
    case $name in
    package) installer=$(size_of build/mingw-i686/Setup.exe) ;;
    tool) installer=$(size_of "$work/tool/Setup.exe") ;;
    *)
        installer=$(size_of "$work/out/nsis-${name#makensis-}.exe")
        ratios=$(awk -v a="$seconds" -v b="$(seconds_of package)" -v c="$(seconds_of tool)" \
            'BEGIN { printf "%.1fx, %.1fx", a / b, a / c }')
        ;;
    esac
    printf '%-14s %8.2f %9.0f  %-10s %s\n' "$name" "$seconds" "$((peak / 1024))" "$installer" "$ratios"
done
