#!/bin/bash
# The packager's tool as a packager installs it: scripts/make-deb.sh's .deb
# installs with dpkg on a fresh Debian 12 (debootstrap's minimal system:
# no compiler, CMake or Wine), where one run of tremlok-setup packs the
# sample game into both programs and signs them, with osslsigncode, the
# package's one recommendation, added; the signed x64 program then
# installs the game under Wine here. Removing the package takes the
# program away. The .tar.gz holds the same program and copyright. The
# packages pass lintian, and a second make-deb.sh makes them again, byte
# for byte.
#   tests/package/deb_test.sh        prints "N passed, M failed" last
set -uo pipefail
cd "$(dirname "$0")/../.." || exit 1
# shellcheck source=scripts/checks.sh
source scripts/checks.sh
game=$(pwd)/sample/game work=$(pwd)/build/deb-test
# Made once and kept, as a build folder is: a later run reuses it.
root=$(pwd)/build/debian12
rm -rf "$work" && mkdir -p "$work/tgz"
packages=$(scripts/make-deb.sh) || { fail "make-deb.sh builds the packages" && summary; exit; }
deb=$(grep '\.deb$' <<<"$packages")
xargs cp -t "$work" <<<"$packages"
check "make-deb.sh again makes the same packages, byte for byte" \
    bash -c 'for p in $(scripts/make-deb.sh); do cmp "$p" "$0/${p##*/}" || exit; done' "$work"
check "lintian finds no error, and no warning the package does not override" lintian --fail-on error,warning "$deb"
if [ ! -x "$root/usr/bin/dpkg" ]; then
    rm -rf "$root"
    debootstrap --variant=minbase bookworm "$root" http://deb.debian.org/debian \
        >"$work/debootstrap.log" 2>&1 || { fail "debootstrap makes a Debian 12 (see $work/debootstrap.log)" && summary; exit; }
fi
in_debian() { chroot "$root" env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root "$@"; }
rm -rf "$root/tmp/pack" && mkdir -p "$root/tmp/pack" && cp -r "$game" "$root/tmp/pack/game"
cp "$deb" "$root/tmp/pack/"
check "dpkg installs $(basename "$deb") on a fresh Debian 12" in_debian dpkg -i "/tmp/pack/$(basename "$deb")"
check "that system has no compiler, CMake or Wine" \
    in_debian bash -c '! command -v cc && ! command -v c++ && ! command -v cmake && ! command -v wine'

# A self-signed code-signing certificate, as a PKCS#12 file without a password.
openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=Tremlok deb test" \
    -addext extendedKeyUsage=codeSigning -keyout "$work/key.pem" -out "$work/cert.pem" 2>/dev/null
openssl pkcs12 -export -inkey "$work/key.pem" -in "$work/cert.pem" -out "$root/tmp/pack/cert.pfx" \
    -passout pass: 2>/dev/null
in_debian bash -c 'apt-get update -q && apt-get install -y -q --no-install-recommends osslsigncode' \
    >"$work/apt.log" 2>&1
check "one command there packs the sample game into both programs, signed" in_debian bash -c \
    'cd /tmp/pack && tremlok-setup -q -m game --exe Setup.exe --exe-x64 x64/Setup.exe --sign cert.pfx'
check "the signature holds" bash -c "osslsigncode verify -CAfile $work/cert.pem -in $root/tmp/pack/Setup.exe >/dev/null"

cmake --build build/mingw-x64 -j2 --target e2e_driver planted_dll >/dev/null
SETUP_EXE=$root/tmp/pack/x64/Setup.exe E2E_GAME=sample/game E2E_ARCH=x64 E2E_WIN_BUILD=build/mingw-x64 \
    E2E_NATIVE_BUILD=build/native E2E_SKIP_BUILD=1 scripts/e2e-tests.sh packaged_install >"$work/install.log" 2>&1
check "the signed x64 Setup.exe installs the game under Wine (see $work/install.log)" \
    grep -qx "[1-9][0-9]* passed, 0 failed" "$work/install.log"

tar -xzf "$(grep '\.tar\.gz$' <<<"$packages")" -C "$work/tgz"
for file in bin/tremlok-setup share/doc/tremlok-setup/copyright; do
    check "the .tar.gz holds the same $file" cmp "$root/usr/$file" "$work"/tgz/*/"$file"
done
check "dpkg removes it, program and all" \
    in_debian bash -c 'dpkg -r tremlok-setup && test ! -e /usr/bin/tremlok-setup'
summary
