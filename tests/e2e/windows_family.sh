#!/bin/bash
# One install through the pages into the default folder, Wine posing as
# Windows 10 for Setup.exe alone: the folder then holds the game file for
# file, beside uninst.bat, and the uninstall shortcut is a .lnk that asks to
# run as administrator, since only an elevated uninst.bat may delete what the
# elevated install wrote. (Windows 98's .pif and script are the 32-bit
# run's, in planted_dll; uninstalling through this script's form is
# install.sh's.)
set -u
# shellcheck source-path=SCRIPTDIR
source "$(dirname "$0")/lib.sh"

installed=$(from_win 'C:\Program Files\Tremlok')
pose_as win10
# Wine's link object takes the run-as flag and drops it (a stub says so):
# that the flag was asked for shows only in its trace.
traced() { WINEDEBUG=fixme+shell "$@" 2>"$work/shell.log"; }
if start_setup traced; then
    run_pages
    finish_setup "an install as Windows 10 ends with status 1" 1
    check "the install folder holds the game, file for file" \
        diff -r --exclude=uninst.bat "$game" "$installed"
    check "and its uninst.bat" test -s "$installed/uninst.bat"
    flags=$(sed -n 's/.*ShellLink_SetFlags.*->(\([0-9]*\)).*/\1/p' "$work/shell.log")
    check "the uninstall shortcut asks to run as administrator (flags ${flags:-none})" \
        test $((${flags:-0} & 0x2000)) -ne 0
fi
rm -rf "$installed" "$(from_win "$menu")"
pose_as ""
