#!/bin/bash
# Builds Setup.exe for a game: packs the game folder with the tool's -m
# mode into build/pack/ (data.bin; data.cpp too on the linked routes),
# makes the Windows programs around that archive, optionally signs them,
# and checks that each program carries the whole game. The repository
# itself is left as it was.
#   scripts/package.sh [--linked | --datacpp] [-o DIR] [--sign CERT.pfx [--timestamp URL]] <game folder>
# By default one run of the tool packs the game and writes both programs
# from the stubs it carries (setup -m DIR --exe ... --exe-x64 ...), reading
# each back: seconds, with no compiler at work. --linked links them
# around data.bin instead, the assembler copying its bytes in
# (TREMLOK_DATA_BIN; --incbin is its old name), and --datacpp compiles the
# generated data.cpp: the routes for a changed program, the same archive in
# each. -o DIR leaves the programs in DIR: Setup.exe and x64/Setup.exe.
# --sign signs both programs with Authenticode (SHA-256) through
# osslsigncode; the certificate's password is read from TREMLOK_SIGN_PASS
# (empty when unset), never from the command line.
# Without -o, leaves build/mingw-i686/Setup.exe (the shipped 32-bit
# program) and build/mingw-x64/Setup.exe (the same source, 64-bit).
set -euo pipefail
# Paths on the command line are the caller's, taken before the cd below.
# Builtins where they serve: each process costs every run a millisecond or two.
caller=$PWD
scripts=${0%/*}
[ "$scripts" != "$0" ] || scripts=.
cd "$scripts/.."
root=$PWD
presets=(mingw-i686 mingw-x64)
programs=(build/mingw-i686/Setup.exe build/mingw-x64/Setup.exe)

# The most address space, in bytes, that the archive may take in the 32-bit
# program: its image plus the buffer that the install allocates for its
# largest coded file (a stored file is written straight from the image).
# The whole image is mapped at start-up from the program's base (4 MB) up,
# and must end below whatever already lies there. Measured with
# scripts/archive-limit.sh (an i686 Setup.exe around a stored archive of N
# MB, started under the 32-bit Wine with /e): 512, 768, 960 and 992 MB
# started, 1,024 MB did not ("not enough memory"); the one of 992 MB then
# installed its game whole through the pages (tests/e2e/packaged_install.sh
# with E2E_ARCH=i686, 7 minutes under qemu). That ceiling is the
# emulator's, the tightest place where the program is run: qemu-i386 maps
# the 32-bit Wine's own libraries downwards from 1 GB (its -strace shows
# libc at 0x3fd8c000), and the image must end below them. A 32-bit Wine on
# a 32-bit system keeps 4 MB to 1.6 GB for the program, and the system DLLs
# of Windows lie higher still. The limit keeps a tenth below what started.
archive_limit=$((896 << 20))
# A packager whose players run old machines may ask for less (a writable
# image that size needs as much of RAM and swap file); never for more.
if [ -n "${TREMLOK_ARCHIVE_LIMIT_MB:-}" ]; then
    [[ "$TREMLOK_ARCHIVE_LIMIT_MB" =~ ^[0-9]{1,5}$ ]] ||
        { echo "package: TREMLOK_ARCHIVE_LIMIT_MB must be a number of megabytes" >&2 && exit 2; }
    if [ $((10#$TREMLOK_ARCHIVE_LIMIT_MB << 20)) -lt $archive_limit ]; then
        archive_limit=$((10#$TREMLOK_ARCHIVE_LIMIT_MB << 20))
    fi
fi

usage() {
    echo "usage: scripts/package.sh [--linked | --datacpp] [-o DIR] [--sign CERT.pfx [--timestamp URL]] <game folder>" >&2
    exit 2
}
fail() {
    echo "package: $*" >&2
    exit 1
}

route=written
sizes=()
out=
cert=
timestamp=
while [ $# -gt 0 ]; do
    case $1 in
    --datacpp) route=datacpp ;;
    --linked | --incbin) route=linked ;;
    -o)
        [ $# -ge 2 ] || usage
        out=$(cd "$caller" && realpath -m -- "$2")
        shift
        ;;
    --sign)
        [ $# -ge 2 ] || usage
        cert=$2
        shift
        ;;
    --timestamp)
        [ $# -ge 2 ] || usage
        timestamp=$2
        shift
        ;;
    --) shift && break ;;
    -*) usage ;;
    *) break ;;
    esac
    shift
done
[ $# -eq 1 ] || usage
[ -z "$timestamp" ] || [ -n "$cert" ] || fail "--timestamp stamps a signature: it needs --sign"
game=$(cd "$caller" && realpath -q -- "$1") && [ -d "$game" ] || fail "$1 is not a folder"
if [ -n "$cert" ]; then
    cert=$(cd "$caller" && realpath -m -- "$cert")
    if [ ! -f "$cert" ] || [ ! -r "$cert" ]; then
        fail "$cert: no such certificate file, or it cannot be read"
    fi
fi

# The completion page starts the game and offers its readme by these names;
# Windows finds them whatever their letter case.
found=$(find "$game" -maxdepth 1 -type f \( -iname tremlok.exe -o -iname Readme.txt \) -printf '%f\n')
found=$'\n'${found,,}$'\n'
missing=()
for name in tremlok.exe Readme.txt; do
    [[ $found == *$'\n'${name,,}$'\n'* ]] || missing+=("$name")
done
if [ ${#missing[@]} -gt 0 ]; then
    fail "$game has no ${missing[*]} at its top level; the installed game would not start"
fi

if [ -n "$out" ]; then
    mkdir -p "$out/x64" || fail "$out: cannot make the folder"
    programs=("$out/Setup.exe" "$out/x64/Setup.exe")
fi
# set_aside FILE...: each file is gone at once, moved aside and deleted
# while the new one is made, since deleting an 80 MB file takes tens of
# milliseconds; the script waits for that before it ends (an interrupted
# run may leave FILE.old-PID behind).
trap wait EXIT
set_aside() {
    local aside=() file
    for file in "$@"; do
        if [ -e "$file" ] || [ -L "$file" ]; then
            if mv -f -- "$file" "$file.old-$$"; then
                aside+=("$file.old-$$")
            else
                rm -f -- "$file"
            fi
        fi
    done
    [ ${#aside[@]} -eq 0 ] || rm -f -- "${aside[@]}" &
}
# A run that fails leaves no Setup.exe: an earlier run's program, of
# another game or signed, is never taken for this one's.
pack=$root/build/pack
[ -d "$pack" ] || mkdir -p "$pack"
set_aside "${programs[@]}" "$pack/data.bin"

scripts/install-deps.sh
tool=$root/build/native/setup
stubs=(build/mingw-i686/SetupStub.exe build/mingw-x64/SetupStub.exe)
# The builds' configurations, as they were when the builds last passed;
# the stamp's time is when they started.
stamp=$pack/built.stamp
caches=(build/native/CMakeCache.txt build/mingw-i686/CMakeCache.txt build/mingw-x64/CMakeCache.txt)
# fresh: nothing in the source tree changed since the builds last passed,
# nor any build's configuration, and the tool is newer than the stubs it
# carries. A repeated run then skips three no-op builds, a second or so;
# after any change make decides as ever.
fresh() {
    [ -f "$stamp" ] && [ "$tool" -nt "${stubs[0]}" ] && [ "$tool" -nt "${stubs[1]}" ] &&
        [ -z "$(find . \( -path ./build -o -path ./.git \) -prune -o -newer "$stamp" -print -quit)" ] &&
        cksum "${caches[@]}" 2>/dev/null | cmp -s - "$stamp"
}
# The tool carries the stubs that the Windows builds make, so they come first.
if [ $route != written ] || ! fresh; then
    rm -f "$stamp"
    touch "$stamp.start"
    if [ $route = written ]; then
        for preset in "${presets[@]}"; do
            [ -f "build/$preset/CMakeCache.txt" ] || cmake --preset "$preset" >/dev/null
            cmake --build "build/$preset" -j2 --target SetupStub
        done
    fi
    # The preset again: the tool must carry the stubs just built.
    cmake --preset native >/dev/null
    cmake --build build/native -j2 --target setup
    if [ $route = written ]; then
        cksum "${caches[@]}" >"$stamp.new"
        touch -r "$stamp.start" "$stamp.new" && mv "$stamp.new" "$stamp"
    fi
else
    echo "The tool and its stubs are up to date: nothing changed since their builds passed."
fi

if [ $route = written ]; then
    # One run of the tool packs the game, writes both programs from the
    # archive and reads each back, decoded whole and compared with data.bin
    # byte for byte, then signs them if asked; it refuses a game over the
    # limit as the linked routes below do, and leaves no program when
    # anything fails.
    absolute=()
    for program in "${programs[@]}"; do
        [[ $program == /* ]] || program=$root/$program
        absolute+=("$program")
    done
    signing=()
    [ -z "$cert" ] || signing=(--sign "$cert" ${timestamp:+--timestamp "$timestamp"})
    if ! (cd "$pack" && "$tool" -m "$game" --exe "${absolute[0]}" --exe-x64 "${absolute[1]}" "${signing[@]}") \
        >"$pack/tool.log"; then
        rm -f "${programs[@]}"
        fail "the tool did not write both programs; none was left"
    fi
    # Its summary of the archive ("N files, N bytes in, N bytes out ..."),
    # then a line for each program ("PATH: N bytes, ..."), in order.
    sizes=()
    {
        IFS= read -r summary
        while IFS= read -r line; do
            [[ $line =~ :\ ([0-9]+)\ bytes,\ (i686|x64), ]] && sizes+=("${BASH_REMATCH[1]}")
        done
    } <"$pack/tool.log"
    echo "$summary"
    files=${summary%% files, *}
    length=${summary#*bytes in, }
    length=${length%% bytes out*}
else
    # -m writes data.bin and data.cpp into the current directory.
    (cd "$pack" && "$tool" -m "$game")

    # too_big NEED: refuses a game that needs more than the limit, saying what.
    too_big() {
        fail "the game is too big for the 32-bit Setup.exe: it needs $1, more than the" \
            "$((archive_limit >> 20)) MB that the program can map beside Windows in its 2 GB of" \
            "address space. Nothing was built. Leave out what the game can fetch later, or ship it in parts"
    }
    length=$(stat -c %s "$pack/data.bin")
    [ "$length" -le $archive_limit ] || too_big "$((length >> 20)) MB of archive"
    # The listing decodes every entry.
    "$tool" --list "$pack/data.bin" >"$pack/data.list" || fail "$pack/data.bin does not read back whole"
    files=$(wc -l <"$pack/data.list")
    largest=$(awk '$2 != "stored" && $1 > max { max = $1 } END { print max + 0 }' "$pack/data.list")
    if [ $((length + largest)) -gt $archive_limit ]; then
        too_big "$((length >> 20)) MB of archive and $((largest >> 20)) MB to decode its largest compressed file into"
    fi

    archive=(-DTREMLOK_DATA_BIN="$pack/data.bin")
    if [ $route = datacpp ]; then
        archive=(-DTREMLOK_DATA_CPP="$pack/data.cpp" -DTREMLOK_DATA_BIN=)
    fi
    for index in "${!presets[@]}"; do
        preset=${presets[$index]}
        cmake --preset "$preset" "${archive[@]}" >/dev/null
        cmake --build "build/$preset" -j2 --target Setup
        [ "build/$preset/Setup.exe" -ef "${programs[$index]}" ] || cp "build/$preset/Setup.exe" "${programs[$index]}"
    done
fi

# The tool signs what it writes itself, and reads it back once signed.
if [ -n "$cert" ] && [ $route != written ]; then
    scripts/sign-setup.sh ${timestamp:+--timestamp "$timestamp"} "$cert" "${programs[@]}" || {
        rm -f "${programs[@]}"
        fail "signing failed; both Setup.exe were removed, so that no unsigned program is shipped"
    }
fi

# A linked program, signed or not, must give back the archive it was
# built from, whole.
if [ $route != written ] && ! scripts/check-setup.sh "$pack/data.bin" "${programs[@]}"; then
    rm -f "${programs[@]}"
    fail "a program built does not carry the game whole; both Setup.exe were removed"
fi

echo
echo "Archive: build/pack/data.bin ($length bytes, $files files)"
for index in "${!programs[@]}"; do
    program=${programs[$index]}
    echo "Setup:   ${program#"$root/"} (${sizes[$index]:-$(stat -c %s "$program")} bytes)"
done
echo "Checked: both programs decode every entry, and list exactly what data.bin holds"
if [ -n "$cert" ]; then
    echo "Signed:  both programs, with $cert${timestamp:+, time-stamped by $timestamp}"
fi
