#!/bin/bash
# The NT family's uninstall shortcut, Wine posing as Windows 10 for
# Setup.exe alone: a .lnk that asks to run as administrator, since only an
# elevated uninst.bat may delete what the elevated install wrote. (Windows
# 98's .pif and script are the 32-bit run's, in planted_dll; uninstalling
# through this script's form is install.sh's.)
set -u
# shellcheck source-path=SCRIPTDIR
source "$(dirname "$0")/lib.sh"

install='C:\Program Files\Tremlok'
pose_as win10
# Wine's link object takes the run-as flag and drops it (a stub says so):
# that the flag was asked for shows only in its trace.
traced() { WINEDEBUG=fixme+shell "$@" 2>"$work/shell.log"; }
if start_setup traced; then
    run_pages
    finish_setup "an install as Windows 10 ends with status 1" 1
    flags=$(sed -n 's/.*ShellLink_SetFlags.*->(\([0-9]*\)).*/\1/p' "$work/shell.log")
    check "the uninstall shortcut asks to run as administrator (flags ${flags:-none})" \
        test $((${flags:-0} & 0x2000)) -ne 0
fi
rm -rf "$(from_win "$install")" "$(from_win "$menu")"
pose_as ""
