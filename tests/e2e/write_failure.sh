#!/bin/bash
# An install onto a full disk (a cap on the size of the files that Setup.exe
# writes), end to end under Wine: the progress page runs through every
# entry but ends without "Complete", naming how many files are missing;
# uninst.bat, run, leaves the prefix as it was.
# Not under qemu, which kills the 32-bit Wine at a file-size limit even
# where the signal is ignored.
set -u
# shellcheck source-path=SCRIPTDIR
source "$(dirname "$0")/lib.sh"

install='C:\Program Files\Tremlok'
installed=$(from_win "$install")
# The files larger than the cap, by their names in the archive.
cap_kb=40
mapfile -t large < <(cd "$game" && find . -type f -size +${cap_kb}k | sed 's|^\.||; s|/|\\|g')
if [ ${#large[@]} -lt 2 ]; then
    fail "the sample game has files larger than ${cap_kb} KB" "${large[*]}"
    exit 0
fi

before=$(snapshot)
start_setup with_file_limit $cap_kb || exit 0
trace=$(drive click "$welcome" $id_main -- watch "$progress" $((60000 * slow)))
# How the label shortens the first path is the Windows unit tests'.
expect_eq "it ends at 100 with Next enabled, naming ${#large[@]} not written" \
    "pos=100 next=1 label=${#large[@]} files could not be written, the first: " \
    "$(tail -n 1 <<<"$trace" | sed 's/first: .*/first: /')"
expect_eq "Next is enabled only at the end, and Complete is never shown" "" \
    "$(sed '$d' <<<"$trace" | grep -E ' next=1 |label=Complete$')"
screenshot progress-disk-full
drive click "$progress" $id_main -- gone "$progress" $((10000 * slow))
expect_status "Next closes the progress page" 0 $?
# That no completion page or shortcut follows is the Windows unit tests'.
finish_setup "the run ends with status 1" 1
# A file cut short and left behind, unlogged, would outlive the uninstall.
check "every other file equals the sample game's" diff -r -x uninst.bat \
    "${large[@]/#*\\/-x}" "$game" "$installed"
run_uninstall "$install" gone
uninstalls_all "$before"
