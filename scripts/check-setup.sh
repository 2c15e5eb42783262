#!/bin/bash
# Whether each program carries the whole archive of DATA.BIN: the native
# tool's --list decodes every entry of the program's embedded image, as
# --test does, failing on the first that does not give its size, and the
# listing must be data.bin's, entry for entry. All are read at once: a big
# game's decoding is most of the wait.
#   scripts/check-setup.sh DATA.BIN PROGRAM.exe...
# Exit status 0 when every program matches; otherwise a line names the
# first that does not, and the status is 1.
set -uo pipefail
if [ $# -lt 2 ]; then
    echo "usage: scripts/check-setup.sh DATA.BIN PROGRAM.exe..." >&2
    exit 2
fi
tool=$(cd "$(dirname "$0")/.." && pwd)/build/native/setup
lists=$(mktemp -d)
trap 'rm -rf "$lists"' EXIT

files=("$@")
pids=()
for index in "${!files[@]}"; do
    "$tool" --list "${files[$index]}" >"$lists/$index" &
    pids+=($!)
done
wait "${pids[0]}" || { echo "check-setup: $1 does not read back whole" >&2 && exit 1; }
for index in "${!files[@]}"; do
    [ "$index" -gt 0 ] || continue
    program=${files[$index]}
    if ! wait "${pids[$index]}"; then
        echo "check-setup: $program does not carry a whole archive" >&2
        exit 1
    fi
    if ! cmp -s "$lists/$index" "$lists/0"; then
        echo "check-setup: $program carries another archive than $1 (first difference:" \
            "$(diff "$lists/0" "$lists/$index" | grep -m1 '^[<>]'))" >&2
        exit 1
    fi
done
