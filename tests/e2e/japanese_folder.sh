#!/bin/bash
# An install on Japanese Windows (code page 932, where the second byte of
# many characters is that of a backslash) into a folder whose Japanese name
# ends in such a character, browsed to: the install folder is that folder's
# "\Tremlok", the tree is exactly the game's with nothing else made, and the
# uninstall removes it whole. The 64-bit run only.
set -u
# Code page 932 with English windows, whose captions the driver finds.
export LANG=ja_JP.UTF-8 LC_MESSAGES=en_US.UTF-8
# shellcheck source-path=SCRIPTDIR
source "$(dirname "$0")/lib.sh"

parent='C:\ソフト機能' # 能 ends in 0x5C
install="$parent\\Tremlok"
ours=$(from_win "$install") menu_dir=$(from_win "$menu")
mkdir -p "$(from_win "$parent")"
echo "not the installer's" >"$(from_win "$parent")/keep.txt"
before=$(snapshot)
if start_setup; then
    drive click "$welcome" $id_browse -- wait "$browser" 10000 -- browse "$browser" "$parent" \
        -- click "$browser" 1 -- gone "$browser" 5000
    expect_eq "the browser gives $install" "$install" \
        "$(drive text "$welcome" $id_folder | iconv -f CP932)"
    run_pages
    finish_setup "an install into $install ends with status 1" 1
    check "the files in $install equal the sample game" diff -r -x uninst.bat "$game" "$ours"
    expect_eq "nothing but the install and the Start-menu folders was made" "" \
        "$(diff <(echo "$before") <(snapshot) | grep '^>' |
            grep -vF -e "> .${ours#"$drive_c"}" -e "> .${menu_dir#"$drive_c"}")"
    run_uninstall "$install" gone
    uninstalls_all "$before"
fi
