#!/bin/bash
# Setup.exe beside a planted comctl32.dll, with Wine told to prefer a DLL it
# finds over its own, from the program's folder first, as Windows does: the
# help box, and an install through the pages into the default folder, its
# tree and shortcuts, and its uninstall. Neither loads the DLL.
# For the 32-bit program under qemu this is its one install, made as Windows
# 98 gets it (a 64-bit program cannot pose as 98): the .pif, and a
# uninst.bat that COMMAND.COM reads, which leaves the folder that held it.
set -u
# shellcheck source-path=SCRIPTDIR
source "$(dirname "$0")/lib.sh"

export SETUP_EXE=$work/Setup.exe
cp "$E2E_SETUP_EXE" "$SETUP_EXE"
cp "$E2E_PLANTED_DLL" comctl32.dll
planted() {
    WINEDLLOVERRIDES="comctl32=n,b;mscoree,mshtml=;winemenubuilder.exe=d" "$@"
}

# The help box: its text, and status 0 once OK is pressed.
if setup_switch="/?" setup_window="Install Tremlok" start_setup planted; then
    # The message is the box's only static with text; Wine gives it id -1.
    text=$(drive text "Install Tremlok" 65535)
    check "the help names the utility" grep -q '^Tremlok Setup utility' <<<"$text"
    expect_eq "the help lists the switches" "$(printf '%s\n' "" \
        " /?   View help," \
        " /mX  Make data.bin from folder 'X'" \
        "      /mc:\\tremlok builds archive file from everything under c:\\tremlok" \
        " /eX  Extract data.bin to folder 'X'" \
        "      /ec:\\tremlok extracts everything to c:\\tremlok")" "$(sed -n '2,7p' <<<"$text")"
    screenshot help-box
    drive click "Install Tremlok" 1
    finish_setup "/? ends with status 0" 0
fi
check "/? loads no comctl32.dll from its own folder" test ! -e planted.mark

install='C:\Program Files\Tremlok'
[ "$once" == 1 ] && pose_as win98 && uninstall_link="Tremlok Uninstall.pif"
before=$(snapshot)
if start_setup planted; then
    run_pages
    finish_setup "Finish ends with status 1" 1
    check "the install loads no comctl32.dll from its own folder" test ! -e planted.mark
    check_install "$install" 0
    if [ "$once" == 1 ]; then
        run_uninstall "$install"
        uninstalls_all "$before" "> ./Program Files/Tremlok"
    else
        run_uninstall "$install" gone
        uninstalls_all "$before"
    fi
fi
[ "$once" != 1 ] || pose_as ""
