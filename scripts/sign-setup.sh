#!/bin/bash
# Signs Windows programs with Authenticode (SHA-256) through osslsigncode,
# with the certificate and key of a PKCS#12 file.
#   scripts/sign-setup.sh [--timestamp URL] CERT.pfx PROGRAM.exe...
# The password is TREMLOK_SIGN_PASS (empty when unset). It reaches
# osslsigncode through a file only this user can read, removed on exit,
# never through an argument, which every user sees in ps. Each program is
# signed into a temporary beside it that replaces it only once signed: a
# failure leaves the program as it was, unsigned, and the status non-zero.
set -euo pipefail

timestamp=()
if [ "${1:-}" = --timestamp ]; then
    [ $# -ge 2 ] || set -- --usage
    timestamp=(-ts "$2")
    shift 2
fi
if [ $# -lt 2 ] || [ "${1:0:1}" = - ]; then
    echo "usage: $0 [--timestamp URL] CERT.pfx PROGRAM.exe..." >&2
    exit 2
fi
cert=$1
shift

# why LOG: the cause, from osslsigncode's lines.
why() {
    if grep -q "mac verify failure\|Wrong password" <<<"$1"; then
        echo "the password in TREMLOK_SIGN_PASS does not open $cert"
    elif grep -q "Failed to extract PKCS#12\|asn1\|No such file" <<<"$1"; then
        echo "$cert is not a whole PKCS#12 (.pfx) file; it may be damaged or cut short"
    elif [ ${#timestamp[@]} -gt 0 ] && grep -qi "timestamp\|time-stamp\|curl\|http" <<<"$1"; then
        echo "the time-stamp server ${timestamp[1]} did not answer"
    else
        echo "osslsigncode failed"
    fi
}

# An empty password is no -readpass at all: osslsigncode refuses an empty file.
password=()
passfile=
signed=
trap 'rm -f ${passfile:+"$passfile"} ${signed:+"$signed"}' EXIT
if [ -n "${TREMLOK_SIGN_PASS:-}" ]; then
    passfile=$(mktemp)
    chmod 600 "$passfile"
    printf '%s' "$TREMLOK_SIGN_PASS" >"$passfile"
    password=(-readpass "$passfile")
fi

for program in "$@"; do
    signed=$program.signing
    rm -f "$signed"
    if ! log=$(osslsigncode sign -pkcs12 "$cert" "${password[@]}" -h sha256 "${timestamp[@]}" \
        -in "$program" -out "$signed" 2>&1); then
        echo "sign-setup: cannot sign $program: $(why "$log"). osslsigncode said:" >&2
        sed 's/^/  /' <<<"$log" >&2
        exit 1
    fi
    chmod --reference="$program" "$signed"
    mv -f "$signed" "$program"
    signed=
done
