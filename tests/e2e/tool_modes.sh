#!/bin/bash
# The program without its wizard: the native tool and Setup.exe under Wine
# build the same data.bin from one tree and extract it back to that tree
# (the native tool reading a Setup.exe is the unit tests' and, on every
# route, check-setup's); but for E2E_ONCE, both fail without a folder or data.bin.
set -u
no_driver=1
# shellcheck source-path=SCRIPTDIR
source "$(dirname "$0")/lib.sh"

mkdir -p native wine refuse
# The work folder as Setup.exe sees it: drive T: is E2E_WORK, which keeps
# command-line folders short.
win_work='T:\tool_modes'
# The sample game, with a dot-folder and an empty folder that no archive
# holds; under qemu, where the 32-bit builder takes minutes over its large
# files, without them.
tree="$work/tree"
cp -r "$game" "$tree"
[ "$once" == 1 ] && find "$tree" -type f -size +20k -delete && find "$tree" -type d -empty -delete
mkdir -p "$tree/.cache" "$tree/Empty"
echo "never archived" >"$tree/.cache/skipped.txt"

(cd native && "$E2E_NATIVE" -q -m "$tree")
expect_status "native -m builds" 0 $?
(cd wine && wine_run "$E2E_SETUP_EXE" "/m$win_work\\tree")
expect_status "Setup.exe /m builds" 0 $?
check "both write the same data.bin" cmp native/data.bin wine/data.bin
check "and the same data.cpp, line ends aside" cmp native/data.cpp <(tr -d '\r' <wine/data.cpp)
[ "$once" == 1 ] ||
    check "the data.cpp that Setup.exe embeds is the sample game's" cmp native/data.cpp "$REPO/data/data.cpp"

(cd wine && wine_run "$E2E_SETUP_EXE" "/e$win_work\\out-wine")
expect_status "Setup.exe /e extracts" 0 $?
check "Setup.exe /e gives the tree back" diff -r -x .cache -x Empty "$tree" out-wine
[ "$once" == 1 ] && exit 0

# What the engine refuses is the unit tests'; here only that each program
# turns a refusal into a failing exit status.
cd refuse || exit 1
"$E2E_NATIVE" -m 2>/dev/null
expect_status "native -m without a folder fails" nonzero $?
wine_run "$E2E_SETUP_EXE" /m 2>/dev/null
expect_status "Setup.exe /m without a folder fails" nonzero $?
wine_run "$E2E_SETUP_EXE" "/e$win_work\\out-none" 2>/dev/null
expect_status "Setup.exe /e without data.bin fails" nonzero $?
# A file larger than the memory left: a clear refusal, not "cannot be read".
mkdir -p "$work/huge" && truncate -s 256M "$work/huge/big.dat"
why=$( (ulimit -v 150000 && "$E2E_NATIVE" -m "$work/huge") 2>&1)
expect_eq "native -m names a file too large for memory" \
    "setup: $work/huge/big.dat: not enough memory to read its 268435456 bytes" "$why"
rm -rf "$work/huge"
check "failed builds leave no data.bin or data.cpp" test ! -e data.bin -a ! -e data.cpp
