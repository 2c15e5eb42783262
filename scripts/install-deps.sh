#!/bin/bash
# Installs every Debian package the builds and tests need, and sets up the
# 32-bit Wine that runs the shipped i686 Setup.exe: the i386 architecture,
# wine32:i386, and qemu registered with binfmt_misc for i386 ELF programs
# (these machines cannot execute them natively). Runs apt only when
# something is missing, so repeated runs cost nothing. Exits non-zero with
# a line naming what failed.
set -euo pipefail

PACKAGES=(
    cmake make g++ clang libclang-rt-14-dev clang-format
    libgtest-dev googletest libbenchmark-dev
    g++-mingw-w64-i686 g++-mingw-w64-x86-64
    binutils-mingw-w64-i686 binutils-mingw-w64-x86-64
    wine wine64 xvfb xauth x11-utils imagemagick icoutils
    python3 time strace ncompress gzip
    osslsigncode openssl dpkg-dev lintian
    nsis debootstrap
    qemu-user-static locales
)
PACKAGES_I386=(wine32:i386)

if [ "$EUID" -ne 0 ]; then
    SUDO=sudo
else
    SUDO=
fi
export DEBIAN_FRONTEND=noninteractive

fail() {
    echo "install-deps: $*" >&2
    exit 1
}

# A run that found everything leaves a stamp naming what it checked. While
# the stamp is newer than dpkg's database and the locales, holds the same
# lists, and the i386 handler is still registered (it is gone after a
# reboot), nothing can be missing: packaging runs skip the queries.
# Builtins only, without a process of their own: every packaging run pays this.
scripts=${0%/*}
[ "$scripts" != "$0" ] || scripts=.
stamp=$scripts/../build/install-deps.stamp
checked="${PACKAGES[*]} | ${PACKAGES_I386[*]}"
stamped=
[ ! -f "$stamp" ] || IFS= read -r stamped <"$stamp" || true
if [ "$stamp" -nt /var/lib/dpkg/status ] && [ "$stamp" -nt /usr/lib/locale/locale-archive ] &&
    [ -e /proc/sys/fs/binfmt_misc/qemu-i386 ] && [ "$stamped" = "$checked" ]; then
    exit 0
fi

# One dpkg-query for every package: a call for each took a third of a
# second, which every packaging run paid.
declare -A state
native=$(dpkg --print-architecture)
while read -r name abbreviation; do
    state[$name]=$abbreviation
done < <(dpkg-query -W -f='${Package}:${Architecture} ${db:Status-Abbrev}\n' \
    "${PACKAGES[@]}" "${PACKAGES_I386[@]}" 2>/dev/null)
# installed PACKAGE: PACKAGE (name:arch, or a name of this architecture or
# of all) is installed.
installed() {
    [ "${state[$1]:-}" = ii ] || [ "${state[$1:$native]:-}" = ii ] || [ "${state[$1:all]:-}" = ii ]
}

missing=()
for package in "${PACKAGES[@]}"; do
    installed "$package" || missing+=("$package")
done
missing_i386=()
for package in "${PACKAGES_I386[@]}"; do
    installed "$package" || missing_i386+=("$package")
done

if [ $((${#missing[@]} + ${#missing_i386[@]})) -gt 0 ]; then
    echo "Installing: ${missing[*]} ${missing_i386[*]}"
    if ! dpkg --print-foreign-architectures | grep -qx i386; then
        $SUDO dpkg --add-architecture i386 || fail "cannot add the i386 architecture"
    fi
    $SUDO apt-get update -q || fail "apt-get update failed"
    if [ ${#missing[@]} -gt 0 ]; then
        $SUDO apt-get install -y -q "${missing[@]}" || fail "apt-get install failed: ${missing[*]}"
    fi
    # Without recommends: they would pull in a second copy of the desktop stack.
    if [ ${#missing_i386[@]} -gt 0 ]; then
        $SUDO apt-get install -y -q --no-install-recommends "${missing_i386[@]}" ||
            fail "apt-get install failed: ${missing_i386[*]}"
    fi
fi

# The i386 ELF handler: the 32-bit Wine loader is such a program.
binfmt=/proc/sys/fs/binfmt_misc
if [ ! -e "$binfmt/register" ]; then
    $SUDO mount -t binfmt_misc binfmt_misc "$binfmt" 2>/dev/null ||
        fail "binfmt_misc is not mounted at $binfmt and cannot be mounted: 32-bit programs cannot run"
fi
if [ ! -e "$binfmt/qemu-i386" ]; then
    magic='\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00'
    mask='\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff'
    line=":qemu-i386:M::$magic:$mask:/usr/bin/qemu-i386-static:F"
    if ! echo "$line" | $SUDO tee "$binfmt/register" >/dev/null 2>&1; then
        fail "cannot register qemu-i386 with $binfmt/register (not writable): 32-bit programs cannot run"
    fi
fi
[ -x /usr/lib/wine/wine ] || fail "the 32-bit Wine loader /usr/lib/wine/wine is missing"
# The Japanese locale: under LANG=ja_JP.UTF-8 Wine runs programs on code
# page 932, whose characters may end in the byte of a backslash; with
# LC_MESSAGES=en_US.UTF-8 their windows stay English.
for locale in ja_JP en_US; do
    if ! locale -a 2>/dev/null | grep -qiE "^$locale\.utf-?8$"; then
        $SUDO localedef -i $locale -f UTF-8 $locale.UTF-8 || fail "cannot make the $locale.UTF-8 locale"
    fi
done
mkdir -p "$(dirname "$stamp")" && echo "$checked" >"$stamp" || true
exit 0
