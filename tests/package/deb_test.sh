#!/bin/bash
# The packager's tool as a packager installs it: scripts/make-deb.sh's .deb
# installs with dpkg, and the installed tremlok-setup, on a PATH that holds
# no compiler, CMake or Wine, packs the sample game into a Setup.exe and
# lists what it wrote;
# removing the package takes the program away. The .tar.gz holds the same
# program.
#   tests/package/deb_test.sh        prints "N passed, M failed" last
set -uo pipefail
cd "$(dirname "$0")/../.." || exit 1
# shellcheck source=scripts/checks.sh
source scripts/checks.sh
game=$(pwd)/sample/game work=$(pwd)/build/deb-test
rm -rf "$work" && mkdir -p "$work/bin" "$work/pack" "$work/tgz"
packages=$(scripts/make-deb.sh) || { fail "make-deb.sh builds the packages" && summary; exit; }
deb=$(grep '\.deb$' <<<"$packages")
trap 'dpkg -r tremlok-setup >/dev/null 2>&1' EXIT
check "dpkg installs $deb" dpkg -i "$deb"
# The one program on PATH: no compiler, CMake or Wine.
ln -s /usr/bin/tremlok-setup "$work/bin/"
(cd "$work/pack" && env -i PATH="$work/bin" tremlok-setup -q -m "$game" --exe Setup.exe)
expect_status "the installed tool packs the sample game and writes its Setup.exe" 0 $?
check "the Setup.exe it wrote passes the static checks" scripts/check-pe.sh --written "$work/pack/Setup.exe"
listed=$(env -i PATH="$work/bin" tremlok-setup --list "$work/pack/data.bin" | wc -l)
expect_eq "its --list names every file of the game" "$(find "$game" -type f | wc -l)" "$listed"
tar -xzf "$(grep '\.tar\.gz$' <<<"$packages")" -C "$work/tgz"
check "the .tar.gz holds the same program" cmp /usr/bin/tremlok-setup "$work"/tgz/*/bin/tremlok-setup
check "dpkg removes it, program and all" \
    bash -c 'dpkg -r tremlok-setup && test ! -e /usr/bin/tremlok-setup'
summary
