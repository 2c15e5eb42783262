#!/bin/bash
# The install as each Windows family gets it, Wine posing as that Windows
# for Setup.exe alone: Windows 98 (the 32-bit run; a 64-bit program cannot
# pose as it) gets the .pif and a uninst.bat that COMMAND.COM reads, which
# run leaves only the folder that held it; Windows 10 (the 64-bit run) gets
# a .lnk that asks to run as administrator (its uninst.bat, as Wine's
# default Windows 10 gets it, is install.sh's).
set -u
work="$E2E_WORK/windows_family"
# shellcheck source-path=SCRIPTDIR
source "$(dirname "$0")/install_lib.sh"

family=win10
[ -n "${E2E_SUFFIX:-}" ] && family=win98 uninstall_link="Tremlok Uninstall.pif"
key='HKCU\Software\Wine\AppDefaults\Setup.exe'
wine_run reg add "$key" /v Version /d $family /f >/dev/null
install='C:\Program Files\Tremlok'
installed=$(from_win "$install")
link="$(from_win "$menu")/$uninstall_link"
# Wine's link object takes the run-as flag and drops it (a stub says so):
# that the flag was asked for shows only in its trace.
traced() { WINEDEBUG=fixme+shell "$@" 2>"$work/shell.log"; }
before=$(snapshot)
if start_setup traced; then
    drive click "$welcome" $id_main -- watch "$progress" $((60000 * slow)) -- \
        click "$progress" $id_main -- wait "$complete" $((10000 * slow)) -- \
        click "$complete" $id_main >/dev/null
    finish_setup "an install as $family runs through and ends with status 1" 1
    check "the uninstall shortcut is $uninstall_link" test -f "$link"
    if [ $family == win98 ]; then
        { expected_script "$install" 1 0 | head -n -1 && script_line del "$install\\uninst.bat"; } \
            >"$work/expected.bat"
        check "uninst.bat is COMMAND.COM's: plain lines, its own del last" \
            cmp "$work/expected.bat" "$installed/uninst.bat"
        run_uninstall "$install"
        expect_eq "run, it removes everything but the folder that held it" \
            "> ./Program Files/Tremlok" "$(diff <(echo "$before") <(snapshot) | grep '^[<>]')"
    else
        flags=$(sed -n 's/.*ShellLink_SetFlags.*->(\([0-9]*\)).*/\1/p' "$work/shell.log")
        check "its flags ask to run as administrator (got ${flags:-none})" \
            test $((${flags:-0} & 0x2000)) -ne 0
    fi
fi
rm -rf "$installed" "$(from_win "$menu")"
wine_run reg delete "$key" /f >/dev/null
