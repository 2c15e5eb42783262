#!/bin/bash
# The install wizard end to end under Wine (Cancel is the Windows unit
# tests'): an install into a browsed folder named with a letter outside
# ASCII, with the desktop shortcut, with every page's refusal to close, the
# progress page's trace, the installed tree and the shortcuts, then the
# uninstall, which removes the folder it made; an install to the default
# folder that opens the readme in Notepad, and a second install over it.
set -u
# shellcheck source-path=SCRIPTDIR
source "$(dirname "$0")/lib.sh"

# refuses_to_close PAGE: Escape, the close button and a bare IDCANCEL, each
# followed by a look at whether the page is still open.
refuses_to_close() {
    local key=65537 # Escape's scan code, 1, and a repeat count of 1
    drive post "$1" $wm_keydown 27 $key -- post "$1" $wm_keyup 27 $((key | 0xC0000000)) &&
        sleep 0.3 && drive wait "$1" 0 -- post "$1" $wm_syscommand $sc_close 0 &&
        sleep 0.3 && drive wait "$1" 0 -- post "$1" $wm_command 2 0 &&
        sleep 0.3 && drive wait "$1" 0
    expect_status "$1 ignores Escape, the close button and IDCANCEL" 0 $?
}

# --- into a browsed folder, with the desktop shortcut ------------------------

# The driver gives text in the ANSI code page (Wine's chcp, without a
# console, reports 0); uninst.bat is in the OEM one, which cmd reads.
acp=$(wine_run reg query 'HKLM\System\CurrentControlSet\Control\Nls\CodePage' |
    tr -d '\r' | awk '$1 == "ACP" { print $3 }')
parent='C:\Spiele für Kinder'
mkdir -p "$(from_win "$parent")"
echo "not the installer's" >"$(from_win "$parent")/keep.txt"
# With "\Tremlok", a folder of 247 characters fills the 255 that the install
# folder holds; one of 248 would need 256.
fits="C:\\$(printf 'f%.0s' $(seq 244))"
too_long="${fits}f"
mkdir -p "$(from_win "$fits")" "$(from_win "$too_long")"
install="$parent\\Tremlok"
before=$(snapshot)
if start_setup; then
    expect_eq "the desktop box starts clear" 0 "$(drive send "$welcome" $id_desktop $bm_getcheck 0 0)"
    screenshot welcome-page
    refuses_to_close "$welcome"
    statuses=$(drive click "$welcome" $id_browse -- wait "$browser" $((10000 * slow)) -- \
        browse "$browser" "C:\\" -- text "$browser" $id_status -- \
        browse "$browser" "$fits" -- text "$browser" $id_status -- \
        browse "$browser" "$too_long" -- text "$browser" $id_status)
    expect_eq "the status line shows the install folder OK would give, or a refusal" \
        "$(printf '%s\n' 'C:\Tremlok' "$fits\\Tremlok" \
            "This folder's path is too long to install into.")" "$statuses"
    screenshot folder-browser
    drive click "$browser" 1 -- gone "$browser" $((5000 * slow))
    expect_eq "OK on a refused folder keeps the install folder" 'C:\Program Files\Tremlok' \
        "$(drive text "$welcome" $id_folder)"
    drive click "$welcome" $id_browse -- wait "$browser" $((10000 * slow)) -- \
        browse "$browser" "$parent" -- click "$browser" 1 -- gone "$browser" $((5000 * slow))
    expect_eq "OK in the browser sets the install folder" "$install" \
        "$(drive text "$welcome" $id_folder | iconv -f "CP$acp")"

    # The watcher runs in the process that clicks, so that it sees the
    # progress page before its first timer tick.
    drive send "$welcome" $id_desktop $bm_setcheck 1 0 >/dev/null
    trace=$(drive click "$welcome" $id_main -- watch "$progress" $((60000 * slow)))
    expect_eq "the progress page opens at 1 with Next disabled" \
        "pos=1 next=0 label=Current file :" "$(head -n 1 <<<"$trace")"
    expect_eq "it ends at 100, Complete, with Next enabled" "pos=100 next=1 label=Complete" \
        "$(tail -n 1 <<<"$trace")"
    expect_eq "Next is enabled only at the end" "" "$(sed '$d' <<<"$trace" | grep ' next=1 ')"
    # "Complete" may be seen a moment before Next is: the page enables Next
    # first, but the watcher reads Next first.
    expect_eq "the label shows each file's path as it is written" "" \
        "$(sed '1d;$d' <<<"$trace" | iconv -f "CP$acp" | sed 's/.*label=//' | grep -vx Complete |
            while read -r label; do
                file=${label#"$install"}
                [ -f "$game${file//\\//}" ] || echo "$label"
            done)"
    screenshot progress-page
    refuses_to_close "$progress"

    drive click "$progress" $id_main -- wait "$complete" $((10000 * slow))
    expect_eq "the readme box starts clear" 0 "$(drive send "$complete" $id_readme $bm_getcheck 0 0)"
    screenshot completion-page
    refuses_to_close "$complete"
    drive send "$complete" $id_readme $bm_setcheck 1 0 -- \
        send "$complete" $id_readme $bm_setcheck 0 0 -- click "$complete" $id_main >/dev/null
    finish_setup "Finish with the readme box cleared again ends with status 1" 1
    drive wait "Readme.txt - Notepad" $((3000 * slow)) 2>/dev/null
    expect_status "and opens no Notepad" 1 $?
    check_install "$install" 1

    run_uninstall "$install" gone
    uninstalls_all "$before"
fi
rm -rf "$(from_win "$parent")" "$(from_win "$fits")" "$(from_win "$too_long")"

# --- the default folder, with the readme; then a second install over it ----

install='C:\Program Files\Tremlok'
installed=$(from_win "$install")
before=$(snapshot)
if start_setup; then
    run_pages 1
    finish_setup "Finish with the readme ends with status 0" 0
    if drive wait "Readme.txt - Notepad" $((20000 * slow)); then
        check "uninst.bat is written before Notepad opens" test -s "$installed/uninst.bat"
        expect_eq "Notepad shows the installed readme" "$(tr -d '\r' <"$game/Readme.txt")" \
            "$(drive text "Readme.txt - Notepad" class:Edit | tr -d '\r')"
        screenshot notepad-readme
        drive post "Readme.txt - Notepad" $wm_syscommand $sc_close 0 -- gone "Readme.txt - Notepad" $((10000 * slow))
    else
        fail "Notepad opens the readme"
    fi

    if start_setup; then
        run_pages
        finish_setup "a second install ends with status 1" 1
        check_install "$install" 0
        echo "the player's own" >"$installed/mine.txt"
        run_uninstall "$install"
        expect_eq "its uninstall removes the files and shortcuts, not the folders or the player's file" \
            "$( (cd "$game" && find . -mindepth 1 -type d; echo ./mine.txt) | LC_ALL=C sort)" \
            "$(cd "$installed" && find . -mindepth 1 | LC_ALL=C sort)"
        check "the Start-menu folder stays, empty" rmdir "$(from_win "$menu")"
    fi
    rm -rf "$installed"
    expect_eq "after clean-up the prefix is as before" "$before" "$(snapshot)"
fi
