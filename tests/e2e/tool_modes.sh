#!/bin/bash
# The tool modes end to end: the native tool and the Windows program under
# Wine build the same archive from one tree, each extracts its own and the
# other's archive back to that tree, and both refuse bad arguments and
# damaged archives with a failing exit status.
set -u
source "$(dirname "$0")/lib.sh"

work="$E2E_WORK/tools"
rm -rf "$work"
mkdir -p "$work"
dump="$REPO/tests/e2e/datafile_dump.py"

# The source tree: files that code best as L, as W and stored, an empty
# file, a dot-file, subfolders, an empty folder and a dot-folder (skipped).
make_tree()
{
    python3 - "$1" <<'EOF'
import math, os, random, sys
root = sys.argv[1]
def put(name, data):
    path = os.path.join(root, *name.split("/"))
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(data)
rng = random.Random(1234)
text = b"The quick brown fox jumps over the lazy dog. " * 90
put("alpha.txt", text)
put("wave.pcm", bytes(128 + int(100 * math.sin(i / 40.0)) for i in range(6000)))
put("random.bin", bytes(rng.randrange(256) for _ in range(3000)))
put("zero.bin", b"")
put(".hidden", b"x=1\n")
put("Mixed.TXT", b"Letter case of names is kept.\r\n" * 20)
put("sub/b.dat", bytes(range(256)) * 8)
put("sub/deeper/notes.txt", b"notes " * 300)
put("sub/deeper/100%.sav", b"percent")
put(".cache/skipped.txt", b"never archived")
os.makedirs(os.path.join(root, "empty"))
os.makedirs(os.path.join(root, "sub", "also-empty"))
EOF
}

tree="$work/tree"
make_tree "$tree"
# What an extraction must give back: every file, and only the folders that
# hold files.
expected="$work/expected"
cp -a "$tree" "$expected"
rm -rf "$expected/.cache" "$expected/empty" "$expected/sub/also-empty"

# Drive T: is the scratch folder, so the Windows command line stays short.
ln -sfn "$E2E_WORK" "$WINEPREFIX/dosdevices/t:"

# --- building -----------------------------------------------------------

mkdir -p "$work/native" "$work/wine"
(cd "$work/native" && "$E2E_NATIVE" -m "$tree")
expect_status "native -m builds" 0 $?
(cd "$work/wine" && wine_run "$E2E_SETUP_EXE" "/m$(to_win "$tree")")
expect_status "Setup.exe /m builds" 0 $?

native_dump=$(python3 "$dump" "$work/native/data.bin" --tree "$tree")
check "native data.bin decodes to the tree" test $? -eq 0
wine_dump=$(python3 "$dump" "$work/wine/data.bin" --tree "$tree")
check "Setup.exe data.bin decodes to the tree" test $? -eq 0

methods=$(cut -f3 <<<"$native_dump" | sort -u | tr -d '\n')
expect_eq "the tree codes with all three methods" "0LW" "$methods"
expect_eq "the empty file is stored with size 0" "0 0 0" \
    "$(grep -P '^\\zero\.bin\t' <<<"$native_dump" | cut -f2-4 | tr '\t' ' ')"
expect_eq "the dot-file is archived, the dot-folder is not" "1 0" \
    "$(grep -cP '^\\\.hidden\t' <<<"$native_dump") $(grep -c 'cache' <<<"$native_dump")"
expect_eq "names keep their letter case" "1" \
    "$(grep -cP '^\\Mixed\.TXT\t' <<<"$native_dump")"

expect_eq "both builds write the same records" "$(sort <<<"$native_dump")" \
    "$(sort <<<"$wine_dump")"
if [ "$(cut -f1 <<<"$native_dump")" == "$(cut -f1 <<<"$wine_dump")" ]; then
    check "same listing order gives byte-identical data.bin" \
        cmp "$work/native/data.bin" "$work/wine/data.bin"
    check "and the same data.cpp, line ends aside" \
        cmp "$work/native/data.cpp" <(tr -d '\r' <"$work/wine/data.cpp")
else
    echo "note: the two builds list folders in different orders; records compared by name"
fi
for build in native wine; do
    expect_eq "$build data.cpp embeds its data.bin" \
        "$(python3 "$dump" "$work/$build/data.bin")" \
        "$(python3 "$dump" --cpp "$work/$build/data.cpp")"
done

# Upper case and a trailing backslash name the same folder on Windows.
mkdir -p "$work/wine-upper" "$work/wine-slash"
(cd "$work/wine-upper" && wine_run "$E2E_SETUP_EXE" "/M$(to_win "$tree" | tr a-z A-Z)")
expect_status "Setup.exe /M with an upper-case folder builds" 0 $?
check "upper-case folder gives the same data.bin" \
    cmp "$work/wine/data.bin" "$work/wine-upper/data.bin"
(cd "$work/wine-slash" && wine_run "$E2E_SETUP_EXE" "/m$(to_win "$tree")\\")
expect_status "Setup.exe /m with a trailing backslash builds" 0 $?
check "trailing backslash gives the same data.bin" \
    cmp "$work/wine/data.bin" "$work/wine-slash/data.bin"

# --- extracting ---------------------------------------------------------

# extract_with BUILD ARCHIVE_DIR OUT: runs BUILD's extraction of
# ARCHIVE_DIR/data.bin into OUT.
extract_with()
{
    local build=$1 from=$2 out=$3
    if [ "$build" == native ]; then
        (cd "$from" && "$E2E_NATIVE" -e "$out")
    else
        (cd "$from" && wine_run "$E2E_SETUP_EXE" "/e$(to_win "$out")")
    fi
}

for build in native wine; do
    for archive in native wine; do
        out="$work/out-$build-from-$archive"
        extract_with "$build" "$work/$archive" "$out"
        expect_status "$build extracts the $archive data.bin" 0 $?
        check "$build extraction of the $archive data.bin equals the tree" \
            diff -r "$expected" "$out"
    done
done

# Extracting over an earlier extraction replaces longer files whole.
out="$work/out-wine-from-wine"
printf 'an older and much longer content than the archived file has' >"$out/.hidden"
: >"$out/alpha.txt"
extract_with wine "$work/wine" "$out"
expect_status "Setup.exe /e over an earlier extraction" 0 $?
check "files in the way are replaced whole" diff -r "$expected" "$out"

# --- refusals -------------------------------------------------------------

mkdir -p "$work/refuse"
cd "$work/refuse" || exit 1

wine_run "$E2E_SETUP_EXE" /m
expect_status "Setup.exe /m without a folder fails" nonzero $?
wine_run "$E2E_SETUP_EXE" /e
expect_status "Setup.exe /e without a folder fails" nonzero $?
wine_run "$E2E_SETUP_EXE" /m "$(to_win "$tree")"
expect_status "Setup.exe /m with the folder after a blank fails" nonzero $?
"$E2E_NATIVE" -m
expect_status "native -m without a folder fails" nonzero $?
"$E2E_NATIVE" -e
expect_status "native -e without a folder fails" nonzero $?
check "refused /m leaves no data.bin" test ! -e data.bin

# Long folder arguments: one of 126 characters works; one past the 510
# characters that the program takes is refused whole rather than cut into
# another path.
long126="$E2E_WORK/$(printf 'f%.0s' $(seq 1 123))"
mkdir -p "$long126"
echo "deep" >"$long126/file.txt"
expect_eq "the long folder argument has 126 characters" 126 \
    "$(to_win "$long126" | tr -d '\n' | wc -c)"
wine_run "$E2E_SETUP_EXE" "/m$(to_win "$long126")"
expect_status "Setup.exe /m with a 126-character folder builds" 0 $?
expect_eq "and archives its file" '\file.txt' "$(python3 "$dump" data.bin | cut -f1)"
rm -f data.bin data.cpp
too_long="T:\\$(printf 'g%.0s' $(seq 1 508))"
wine_run "$E2E_SETUP_EXE" "/m$too_long"
expect_status "Setup.exe /m with a 511-character folder is refused" nonzero $?
check "the refused long folder leaves no data.bin" test ! -e data.bin -a ! -e data.cpp

wine_run "$E2E_SETUP_EXE" "/m$(to_win "$work/no-such-folder")"
expect_status "Setup.exe /m of a missing folder fails" nonzero $?
"$E2E_NATIVE" -m "$work/no-such-folder"
expect_status "native -m of a missing folder fails" nonzero $?
check "a failed /m leaves no data.bin or data.cpp" test ! -e data.bin -a ! -e data.cpp

# An earlier archive survives a failed build.
cp "$work/native/data.bin" data.bin
wine_run "$E2E_SETUP_EXE" "/m$(to_win "$work/no-such-folder")"
check "a failed /m keeps the earlier data.bin" cmp data.bin "$work/native/data.bin"
rm -f data.bin data.cpp

wine_run "$E2E_SETUP_EXE" "/e$(to_win "$work/out-missing")"
expect_status "Setup.exe /e without data.bin fails" nonzero $?
"$E2E_NATIVE" -e "$work/out-missing"
expect_status "native -e without data.bin fails" nonzero $?
check "nothing is extracted without data.bin" test ! -e "$work/out-missing/alpha.txt"

# Damaged archives: cut inside a coded payload, and just before the end
# marker.
size=$(stat -c %s "$work/native/data.bin")
for cut in $((size / 2)) $((size - 1)); do
    head -c "$cut" "$work/native/data.bin" >data.bin
    wine_run "$E2E_SETUP_EXE" "/e$(to_win "$work/out-cut-$cut")"
    expect_status "Setup.exe /e of data.bin cut to $cut of $size bytes fails" nonzero $?
    "$E2E_NATIVE" -e "$work/out-cut-native-$cut"
    expect_status "native -e of data.bin cut to $cut of $size bytes fails" nonzero $?
done
rm -f data.bin
