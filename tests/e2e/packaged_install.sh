#!/bin/bash
# One install of whatever game Setup.exe carries, for a program that
# scripts/package.sh built (signed, for one) rather than the sample's:
# through the pages into the default folder, which then holds the game
# folder E2E_GAME file for file, beside uninst.bat.
set -u
# shellcheck source-path=SCRIPTDIR
source "$(dirname "$0")/lib.sh"

packaged=$(cd "$REPO" && realpath "$E2E_GAME")
installed=$(from_win 'C:\Program Files\Tremlok')
rm -rf "$installed"
if start_setup; then
    run_pages
    finish_setup "its Finish ends with status 1" 1
fi
check "the install folder holds the packaged game, file for file" \
    diff -r --exclude=uninst.bat "$packaged" "$installed"
check "and its uninst.bat" test -s "$installed/uninst.bat"
rm -rf "$installed"
