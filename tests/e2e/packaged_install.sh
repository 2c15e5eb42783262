#!/bin/bash
# One install of whatever game Setup.exe carries, for a program that
# scripts/package.sh built (signed, for one) rather than the sample's:
# through the pages into the default folder, which then holds the game
# folder E2E_GAME file for file, beside uninst.bat.
set -u
# shellcheck source-path=SCRIPTDIR
source "$(dirname "$0")/lib.sh"

welcome="Install Tremlok 0.63"
progress="Installing Tremlok"
complete="Installation Complete"
id_main=1036
installed=$(from_win 'C:\Program Files\Tremlok')
rm -rf "$installed"

wine_run "$E2E_SETUP_EXE" &
setup_pid=$!
if drive wait "$welcome" $((30000 * slow)); then
    drive click "$welcome" $id_main -- watch "$progress" $((60000 * slow)) -- \
        click "$progress" $id_main -- wait "$complete" $((10000 * slow)) -- \
        click "$complete" $id_main >/dev/null
    expect_status "the packaged game's install runs through the pages" 0 $?
else
    fail "the packaged game's welcome page opens"
    kill "$setup_pid" 2>/dev/null
fi
wait "$setup_pid"
expect_status "its Finish ends with status 1" 1 $?
check "the install folder holds the packaged game, file for file" \
    diff -r --exclude=uninst.bat "$E2E_GAME" "$installed"
check "and its uninst.bat" test -s "$installed/uninst.bat"
rm -rf "$installed"
