#!/bin/bash
# The program without its wizard: the native tool and Setup.exe under Wine
# build the same data.bin from one tree and extract it back to that tree;
# both fail on an empty or missing folder and on a missing or damaged
# data.bin; the native tool reads Setup.exe as it reads data.bin; and /?
# shows the help box.
set -u
# shellcheck source-path=SCRIPTDIR
source "$(dirname "$0")/lib.sh"

work="$E2E_WORK/tools"
mkdir -p "$work/native" "$work/wine" "$work/refuse"
# The sample game, with a dot-folder and an empty folder that no archive
# holds.
tree="$work/tree"
cp -r "$REPO/sample/game" "$tree"
mkdir -p "$tree/.cache" "$tree/Empty"
echo "never archived" >"$tree/.cache/skipped.txt"

(cd "$work/native" && "$E2E_NATIVE" -m "$tree")
expect_status "native -m builds" 0 $?
(cd "$work/wine" && wine_run "$E2E_SETUP_EXE" "/m$(to_win "$tree")")
expect_status "Setup.exe /m builds" 0 $?
check "both write the same data.bin" cmp "$work/native/data.bin" "$work/wine/data.bin"
check "and the same data.cpp, line ends aside" \
    cmp "$work/native/data.cpp" <(tr -d '\r' <"$work/wine/data.cpp")
check "the data.cpp that Setup.exe embeds is the sample game's" \
    cmp "$work/native/data.cpp" "$REPO/data/data.cpp"

(cd "$work/native" && "$E2E_NATIVE" -e "$work/out-native")
expect_status "native -e extracts" 0 $?
(cd "$work/wine" && wine_run "$E2E_SETUP_EXE" "/e$(to_win "$work/out-wine")")
expect_status "Setup.exe /e extracts" 0 $?
check "native -e gives the tree back" diff -r "$REPO/sample/game" "$work/out-native"
check "Setup.exe /e gives the tree back" diff -r "$REPO/sample/game" "$work/out-wine"

# The native tool reads the Windows program itself, finding the image in it.
"$E2E_NATIVE" --list "$work/native/data.bin" >"$work/list-data.bin"
"$E2E_NATIVE" --list "$E2E_SETUP_EXE" >"$work/list-setup.exe"
expect_status "native --list Setup.exe" 0 $?
check "--list of Setup.exe is data.bin's" cmp "$work/list-data.bin" "$work/list-setup.exe"
"$E2E_NATIVE" --test "$E2E_SETUP_EXE"
expect_status "native --test Setup.exe" 0 $?
"$E2E_NATIVE" -q -e "$work/out-exe" "$E2E_SETUP_EXE"
expect_status "native -e DIR Setup.exe" 0 $?
check "native -e of Setup.exe gives the tree back" diff -r "$REPO/sample/game" "$work/out-exe"
head -c 4096 "$E2E_SETUP_EXE" >"$work/cut.exe"
why=$("$E2E_NATIVE" --test "$work/cut.exe" 2>&1)
expect_status "native --test of a cut Setup.exe fails" 1 $?
expect_eq "and says why in one line" \
    "setup: $work/cut.exe: truncated: a section runs past the end of the file" "$why"

# fails_both WHAT SWITCH [FOLDER]: native -SWITCH FOLDER and Setup.exe
# /SWITCHFOLDER both fail.
fails_both()
{
    "$E2E_NATIVE" "-$2" ${3:+"$3"} 2>/dev/null
    expect_status "native -$2 $1 fails" nonzero $?
    wine_run "$E2E_SETUP_EXE" "/$2${3:+$(to_win "$3")}" 2>/dev/null
    expect_status "Setup.exe /$2 $1 fails" nonzero $?
}

cd "$work/refuse" || exit 1
fails_both "without a folder" m
fails_both "without a folder" e
fails_both "of a missing folder" m "$work/no-such-folder"
# A file larger than the memory left: a clear refusal, not "cannot be read".
if [ -z "$E2E_SUFFIX" ]; then
    mkdir -p "$work/huge" && truncate -s 256M "$work/huge/big.dat"
    why=$( (ulimit -v 150000 && "$E2E_NATIVE" -m "$work/huge") 2>&1)
    expect_eq "native -m names a file too large for memory" \
        "setup: $work/huge/big.dat: not enough memory to read its 268435456 bytes" "$why"
    rm -rf "$work/huge"
fi
check "failed builds leave no data.bin or data.cpp" test ! -e data.bin -a ! -e data.cpp
fails_both "without data.bin" e "$work/out-none"
# Cut inside a coded payload, and just before the end marker.
size=$(stat -c %s "$work/native/data.bin")
for cut in $((size / 2)) $((size - 1)); do
    head -c "$cut" "$work/native/data.bin" >data.bin
    fails_both "of data.bin cut to $cut of $size bytes" e "$work/out-cut"
done

# The help box: its text, and status 0 once OK is pressed.
wine_run "$E2E_SETUP_EXE" "/?" &
pid=$!
if drive wait "Install Tremlok" $((20000 * slow)); then
    # The message is the box's only static with text; Wine gives it id -1.
    text=$(drive text "Install Tremlok" 65535)
    check "the help names the utility" grep -q '^Tremlok Setup utility' <<<"$text"
    expect_eq "the help lists the switches" "$(printf '%s\n' "" \
        " /?   View help," \
        " /mX  Make data.bin from folder 'X'" \
        "      /mc:\\tremlok builds archive file from everything under c:\\tremlok" \
        " /eX  Extract data.bin to folder 'X'" \
        "      /ec:\\tremlok extracts everything to c:\\tremlok")" "$(sed -n '2,7p' <<<"$text")"
    screenshot help-box
    drive click "Install Tremlok" 1
else
    fail "/? shows the help box"
    kill "$pid" 2>/dev/null
fi
wait "$pid"
expect_status "/? ends with status 0" 0 $?
