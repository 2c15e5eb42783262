#!/bin/bash
# scripts/package.sh as a packager meets it: bad arguments and games are
# refused before anything is built; a foreign game is packaged signed on the
# written route, unsigned on the linked one and through data.cpp; each
# Setup.exe carries it, the written and linked x64 ones install it under
# Wine. The tool writes both programs with nothing but coreutils on PATH.
#   tests/package/package_test.sh        prints "N passed, M failed" last
set -uo pipefail
cd "$(dirname "$0")/../.." || exit 1
# shellcheck source=scripts/checks.sh
source scripts/checks.sh
work=build/package-test
programs=(build/mingw-i686/Setup.exe build/mingw-x64/Setup.exe)

# fails NAME EXPECTED-MESSAGE ARGUMENT...: package.sh ARGUMENT... fails
# with a message holding EXPECTED-MESSAGE, having built no Windows program;
# with signing=1, once built, leaving no Setup.exe that could be shipped as
# if signed, nor a temporary of its signing.
fails() {
    local name=$1 expected=$2 output status left
    shift 2
    output=$(scripts/package.sh "$@" 2>&1)
    status=$?
    if [ -z "${signing:-}" ]; then
        left=$(grep 'Built target Setup$' <<<"$output")
    else
        left=$(find build/mingw-i686 build/mingw-x64 -maxdepth 1 -name 'Setup.exe*')
    fi
    expect_eq "$name: refused with '$expected', leaving nothing" "1 1 []" \
        "$((status != 0)) $(grep -cF -- "$expected" <<<"$output") [$left]"
}

rm -rf "$work"
# A game folder without the two files the completion page needs, one with.
mkdir -p "$work/neither/sub" "$work/whole/sub"
echo x | tee "$work/whole/tremlok.exe" "$work/whole/Readme.txt" >/dev/null
# 3 MB of noise is stored, a 2.5 MB count compressed (about 1 MB).
head -c 3000000 /dev/urandom >"$work/whole/sub/noise.dat"
seq 1 400000 >"$work/whole/sub/counted.txt"
# A program from an earlier run must not outlive a refused one.
mkdir -p build/mingw-i686 build/mingw-x64
echo "an earlier game" | tee "${programs[@]}" >/dev/null
# TREMLOK_ARCHIVE_LIMIT_MB|case|message|arguments, split at spaces
while IFS='|' read -r limit name expected arguments; do
    # shellcheck disable=SC2086
    TREMLOK_ARCHIVE_LIMIT_MB=$limit fails "$name" "$expected" $arguments
done <<EOF
|--incbin, the old name of --linked; neither file|has no tremlok.exe Readme.txt at its top level|--incbin $work/neither
|a missing folder|is not a folder|$work/absent
|an unknown option|usage: scripts/package.sh|--fast $work/whole
|a missing certificate|$work/absent.pfx: no such certificate file|--sign $work/absent.pfx $work/whole
|--timestamp without --sign|--timestamp stamps a signature: it needs --sign|--timestamp http://ts.invalid $work/whole
2|an archive over the limit, linked|it needs 4 MB of archive, more than the 2 MB|--linked $work/whole
5|an archive under the limit whose largest file is not|4 MB of archive and 2 MB to decode its largest compressed file into, more than the 5 MB|$work/whole
1GB|a limit that is not a number|TREMLOK_ARCHIVE_LIMIT_MB must be a number of megabytes|$work/whole
EOF
check "a refused game leaves no Setup.exe of an earlier run" \
    test ! -e "${programs[0]}" -a ! -e "${programs[1]}"
output=$(cd "$work" && ../../scripts/package.sh neither 2>&1)
check "a game folder is taken from where package.sh is run (got: $output)" \
    grep -qF "$(pwd)/$work/neither has no tremlok.exe" <<<"$output"

# A self-signed code-signing certificate and its key, as a PKCS#12 file
# under a password; a copy cut short stands for a damaged download.
keys=$(pwd)/$work/keys
mkdir -p "$keys"
openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=Tremlok package test" \
    -addext extendedKeyUsage=codeSigning -keyout "$keys/key.pem" -out "$keys/cert.pem" 2>/dev/null
openssl pkcs12 -export -inkey "$keys/key.pem" -in "$keys/cert.pem" -out "$keys/cert.pfx" \
    -passout pass:"test pass" 2>/dev/null
head -c 900 "$keys/cert.pfx" >"$keys/damaged.pfx"

# A foreign game: Windows finds TREMLOK.EXE and readme.TXT by either case;
# a name beyond ASCII goes into code page 1252 and back.
game=$work/foreign
mkdir -p "$game/Maps"
head -c 70000 /dev/urandom >"$game/TREMLOK.EXE"
echo "Read me first." >"$game/readme.TXT"
seq 1 20000 >"$game/Maps/one.txt"
echo "Œuvre" >"$game/Maps/Café Œuvre.txt"
before=$(git status --porcelain)

# packaged LABEL ARGUMENT...: package.sh ARGUMENT... on the foreign game,
# its output in $work/LABEL.log, its programs in $programs; checks what
# every route must give.
packaged() {
    local label=$1 log=$work/$1.log exe
    shift
    if ! scripts/package.sh "$@" "$game" >"$log" 2>&1; then
        fail "$label: packaged (see $log)"
        return 1
    fi
    check "$label: repository untouched" test "$(git status --porcelain)" = "$before"
    # What they carry is data.bin exactly (and -e from a program the unit tests').
    check "$label: its closing lines say both programs were checked" grep -qxF \
        "Checked: both programs decode every entry, and list exactly what data.bin holds" "$log"
    # Signed ones too: the size is what stands on the disk.
    for exe in "${programs[@]}"; do
        check "$label: its closing lines give $exe's size" \
            grep -qxF "Setup:   $exe ($(stat -c %s "$exe") bytes)" "$log"
    done
}

# installs LABEL ARCH PROGRAM: PROGRAM, an ARCH one (x64 or i686), installs
# the game under Wine.
installs() {
    # The runner asks for every program of its scripts, though this one needs the driver only.
    cmake --build "build/mingw-$2" -j2 --target e2e_driver planted_dll >/dev/null
    SETUP_EXE=$(realpath "$3") E2E_GAME=$game E2E_ARCH=$2 E2E_WIN_BUILD=build/mingw-$2 \
        E2E_NATIVE_BUILD=build/native E2E_SKIP_BUILD=1 scripts/e2e-tests.sh packaged_install \
        >"$work/$1-install.log" 2>&1
    check "$1: the $2 Setup.exe installs the game under Wine (see $work/$1-install.log)" \
        grep -qx "[1-9][0-9]* passed, 0 failed" "$work/$1-install.log"
}

# osslsigncode as every user sees it in ps: its arguments, logged.
spy=$(pwd)/$work/spy
mkdir -p "$spy"
printf '#!/bin/sh\necho "$*" >>"%s/arguments"\nexec %s "$@"\n' "$spy" "$(command -v osslsigncode)" \
    >"$spy/osslsigncode"
chmod +x "$spy/osslsigncode"

if TREMLOK_SIGN_PASS="test pass" PATH=$spy:$PATH packaged signed --sign "$keys/cert.pfx"; then
    check "signed: osslsigncode ran for each program" test "$(grep -c . "$spy/arguments")" -eq 2
    check "signed: the password stood on no command line" bash -c "! grep -F 'test pass' $spy/arguments"
    check "signed: its closing lines name the certificate" grep -q "^Signed: .*cert.pfx" "$work/signed.log"
    verifies() {
        osslsigncode verify -CAfile "$keys/cert.pem" -in "$1" >"$work/verify.log" 2>&1 && test -x "$1"
    }
    for exe in "${programs[@]}"; do
        check "signed: $exe verifies against the certificate, and is still executable" verifies "$exe"
    done
    # What the closing check refuses: a program of another game, and one cut short.
    (mkdir -p "$work/other" && cd "$work/other" && ../../native/setup -q -m ../whole)
    head -c 60000 build/mingw-x64/Setup.exe >"$work/cut.exe"
    while IFS='|' read -r name expected program bin; do
        output=$(scripts/check-setup.sh "$bin" "$program" 2>&1)
        expect_eq "check-setup refuses $name, saying '$expected'" "1 1" \
            "$? $(grep -cF "$expected" <<<"$output")"
    done <<EOF
another game's program|carries another archive than $work/other/data.bin|build/mingw-x64/Setup.exe|$work/other/data.bin
a program cut short|$work/cut.exe does not carry a whole archive|$work/cut.exe|build/pack/data.bin
EOF
    # The shipped program as players get it: written by the tool, signed,
    # under the 32-bit Wine (the deb stage installs the x64 one).
    installs signed i686 build/mingw-i686/Setup.exe
fi
check "signed: no build ran, nothing having changed since the last run's" \
    bash -c "! grep -q 'Built target' $work/signed.log"
touch app/help_text.cpp
scripts/package.sh -o "$work/changed" "$game" >"$work/changed.log" 2>&1
check "a source file changed, the tool is built again" grep -q 'Linking CXX executable setup$' \
    "$work/changed.log"

export signing=1
TREMLOK_SIGN_PASS="wrong pass" fails "a wrong password" "the password in TREMLOK_SIGN_PASS does not open $keys/cert.pfx" \
    --sign "$keys/cert.pfx" "$game"
TREMLOK_SIGN_PASS="test pass" fails "a damaged certificate" \
    "damaged.pfx is not a whole PKCS#12 (.pfx) file" --sign "$keys/damaged.pfx" "$game"
TREMLOK_SIGN_PASS="test pass" fails "a time-stamp server that does not answer" \
    "the time-stamp server http://127.0.0.1:9/ did not answer" \
    --sign "$keys/cert.pfx" --timestamp http://127.0.0.1:9/ "$game"

unset signing
programs=("$work/linked/Setup.exe" "$work/linked/x64/Setup.exe")
packaged linked --linked -o "$work/linked" && installs linked x64 "${programs[1]}"
programs=(build/mingw-i686/Setup.exe build/mingw-x64/Setup.exe)
if packaged datacpp --datacpp; then
    check "datacpp: an unsigned program carries no signature" \
        bash -c "! osslsigncode verify -in build/mingw-x64/Setup.exe >/dev/null 2>&1"
fi
# Packed twice, a game gives the same programs byte for byte: nothing in
# them records when or where they were built. Linked, as the stubs the tool
# carries are.
scripts/package.sh --linked -o "$work/again" "$game" >"$work/again.log" 2>&1
check "packed twice, both programs are the same byte for byte" diff -r "$work/linked" "$work/again"
check "data/data.cpp is still the sample's" git diff --quiet -- data/data.cpp

# The tool alone writes both programs, with no compiler, CMake or Wine on
# PATH, making the folder the second goes in.
bare=$work/bare
mkdir -p "$bare/bin"
dpkg -L coreutils | grep '/bin/.' | xargs -I{} ln -sf {} "$bare/bin/"
(cd "$bare" && PATH=$(pwd)/bin ../../native/setup -q -m ../foreign --exe Setup.exe --exe-x64 x64/Setup.exe &&
    PATH=$(pwd)/bin ../../native/setup -q --exe x64-again.exe --x64)
check "coreutils alone: both programs written, each carrying data.bin whole" \
    scripts/check-setup.sh "$bare/data.bin" "$bare/Setup.exe" "$bare/x64/Setup.exe"
check "--exe with --x64 writes what --exe-x64 does" cmp "$bare/x64/Setup.exe" "$bare/x64-again.exe"
check "coreutils alone: the i686 program passes check-pe (see $bare/check-pe.log)" \
    bash -c "scripts/check-pe.sh --written $bare/Setup.exe >$bare/check-pe.log"
# Refused, leaving nothing: a game over the limit, a folder that cannot be made.
while IFS='|' read -r limit arguments expected; do
    # shellcheck disable=SC2086
    output=$(cd "$bare" && TREMLOK_ARCHIVE_LIMIT_MB=$limit ../../native/setup $arguments 2>&1)
    expect_eq "setup $arguments refused, saying '$expected', leaving nothing" "1 1 0" \
        "$? $(grep -cF "$expected" <<<"$output") $(find "$bare" -name 'refused*' | wc -l)"
done <<EOF
0|--exe refused.exe|more than the 0 MB that the program can map
|--exe refused.exe --exe-x64 Setup.exe/refused.exe|Setup.exe/refused.exe: cannot create a temporary file beside it
|--exe refused.exe --exe-x64 ./refused.exe|refused.exe and ./refused.exe are one file
EOF
summary
