#!/bin/bash
# The install wizard end to end under Wine: Cancel; a full install into a
# browsed folder with the desktop shortcut, every page's refusal of Escape,
# Alt+F4, the close button and IDCANCEL, the progress page's bar, label and
# Next button, the installed tree, the shortcuts and uninst.bat, then the
# uninstall; an install to the default folder that opens the readme in
# Notepad; and a second install over it.
set -u
source "$(dirname "$0")/lib.sh"

work="$E2E_WORK/install"
mkdir -p "$work"
cd "$work" || exit 1

welcome="Install Tremlok 0.63"
progress="Installing Tremlok"
complete="Installation Complete"
browser="Browse for Folder"
# Control ids of the pages and of the system's folder browser.
id_main=1036
id_cancel=1034
id_browse=1035
id_desktop=1032
id_folder=1030
id_bar=1038
id_file=1041
id_readme=1039
id_browser_status=14147

game="$REPO/sample/game"
archive_cpp="$REPO/data/data.cpp"
drive_c="$WINEPREFIX/drive_c"
programs=$(drive special-folder 2)
desktop=$(drive special-folder 16)
if [ -z "$programs" ] || [ -z "$desktop" ]; then
    fail "the prefix names its programs and desktop folders"
    exit 1
fi
menu="$programs\\Tremlok"

# What the prefix holds, apart from Wine's own folders, one path a line.
snapshot()
{
    (cd "$drive_c" && find . -mindepth 1 \
        \( -path ./windows -o -path ./ProgramData -o -path './users/*/AppData/Local' \
        -o -path './users/*/Temp' \) -prune -o -print | LC_ALL=C sort)
}

# refuses_to_close PAGE LABEL: every way a user has to close a window,
# each followed by a check that the page is still there.
refuses_to_close()
{
    local page=$1 label=$2
    drive send-key "$page" escape -- still-open "$page" 400
    expect_status "$label ignores Escape" 0 $?
    drive send-key "$page" alt-f4 -- still-open "$page" 400
    expect_status "$label ignores Alt+F4" 0 $?
    drive close "$page" -- still-open "$page" 400
    expect_status "$label ignores the close button" 0 $?
    drive command "$page" 2 -- still-open "$page" 400
    expect_status "$label ignores IDCANCEL" 0 $?
}

# start_setup: runs Setup.exe in the background as $setup_pid and waits for
# the welcome page.
start_setup()
{
    wine_run "$E2E_SETUP_EXE" &
    setup_pid=$!
    if drive wait-window "$welcome" 30000; then
        return 0
    fi
    fail "the welcome page opens"
    kill "$setup_pid" 2>/dev/null
    wait "$setup_pid"
    return 1
}

# finish_setup NAME STATUS: waits for Setup.exe and checks its exit status.
finish_setup()
{
    wait "$setup_pid"
    expect_status "$1" "$2" $?
}

# browse_to FOLDER: opens the browser, selects FOLDER, checks the status
# line and presses OK.
browse_to()
{
    local folder=$1
    drive click "$welcome" $id_browse -- wait-window "$browser" 10000 &&
        drive browse-select "$browser" "$folder"
    expect_eq "browser status line shows $folder\\Tremlok" "${folder%\\}\\Tremlok" \
        "$(drive get-text "$browser" $id_browser_status)"
    drive click "$browser" 1 -- wait-gone "$browser" 5000
}

# check_trace TRACE INSTALL: the progress page as the watcher saw it.
check_trace()
{
    local trace=$1 install=$2
    expect_eq "progress page opens with the bar at 1, Next disabled and the label unchanged" \
        "pos=1 next=0 label=Current file :" "$(head -n 1 <<<"$trace")"
    expect_eq "progress page ends with the bar full, Next enabled and \"Complete\"" \
        "pos=100 next=1 label=Complete" "$(tail -n 1 <<<"$trace")"
    expect_eq "Next is enabled only at 100" "" \
        "$(grep ' next=1 ' <<<"$trace" | grep -v '^pos=100 ')"
    expect_eq "the bar never moves back" "" \
        "$(sed -E 's/^pos=([0-9]+) .*/\1/' <<<"$trace" | awk 'NR > 1 && $1 < last { print } { last = $1 }')"
    expect_eq "the bar stays between 1 and 99 until the end" "" \
        "$(sed '$d' <<<"$trace" | grep -E '^pos=(0|100) ' | grep -v 'label=Complete')"
    # Every label between the first and the last is an installed file.
    local names bad=""
    names=$(python3 "$REPO/tests/e2e/datafile_dump.py" --cpp "$archive_cpp" | cut -f1)
    while IFS= read -r label; do
        label=${label#*label=}
        if [ "$label" == "Current file :" ] || [ "$label" == Complete ]; then
            continue
        fi
        if ! grep -qxF -- "${label#"$install"}" <<<"$names"; then
            bad="$bad [$label]"
        fi
    done <<<"$trace"
    expect_eq "the label shows each file's full path as it is written" "" "$bad"
}

# check_tree INSTALL_UNIX: the installed tree is the sample game plus
# uninst.bat.
check_tree()
{
    local dir=$1
    check "installed files equal the sample game byte for byte" \
        diff -r --exclude=uninst.bat "$game" "$dir"
    check "uninst.bat is in the install folder" test -f "$dir/uninst.bat"
}

# check_link FILE TARGET WORKDIR ICON: a shortcut as the shell reads it.
check_link()
{
    local file=$1 target=$2 workdir=$3 icon=$4 text
    local name=${file##*\\}
    if ! text=$(drive read-link "$file"); then
        fail "$name can be read back" "no shortcut at $file"
        return
    fi
    expect_eq "$name target, folder and icon" \
        "$(printf 'target=%s\nworkdir=%s\nicon=%s\narguments=\ndescription=' \
            "$target" "$workdir" "$icon")" \
        "$(head -n 5 <<<"$text")"
}

# check_shortcuts INSTALL DESKTOP_LINK(0|1)
check_shortcuts()
{
    local install=$1 with_desktop=$2
    check_link "$menu\\Tremlok.lnk" "$install\\tremlok.exe" "$install" \
        "$install\\tremlok.exe,0"
    check_link "$menu\\Tremlok Help.lnk" "$install\\Readme.txt" "$install" ",0"
    check_link "$menu\\Tremlok Uninstall.pif" "$install\\uninst.bat" "$install" ",0"
    if [ "$with_desktop" == 1 ]; then
        check_link "$desktop\\Tremlok.lnk" "$install\\tremlok.exe" "$install" \
            "$install\\tremlok.exe,0"
    else
        check "no desktop shortcut without the box" test ! -e "$(from_win "$desktop")/Tremlok.lnk"
    fi
}

# check_script INSTALL EXPECTED_OPTIONS...: uninst.bat against the one
# worked out from the archive.
check_script()
{
    local install=$1
    shift
    python3 "$REPO/tests/e2e/expected_uninst.py" "$archive_cpp" "$install" "$programs" \
        "$desktop" "$@" >"$work/expected-uninst.bat"
    if cmp -s "$work/expected-uninst.bat" "$(from_win "$install")/uninst.bat"; then
        pass "uninst.bat holds exactly the expected lines${1:+ ($*)}"
    else
        fail "uninst.bat holds exactly the expected lines${1:+ ($*)}"
        diff <(tr -d '\r' <"$work/expected-uninst.bat") \
            <(tr -d '\r' <"$(from_win "$install")/uninst.bat") | head -20
    fi
}

# run_uninstall INSTALL: runs uninst.bat the way its shortcut would.
run_uninstall()
{
    local install=$1
    (cd "$(from_win "$install")" && wine_run cmd /c "$install\\uninst.bat" >/dev/null 2>&1)
}

# --- Cancel ---------------------------------------------------------------

before=$(snapshot)
if start_setup; then
    expect_eq "the desktop box starts unchecked" 0 "$(drive get-check "$welcome" $id_desktop)"
    expect_eq "the folder shows the default install folder" 'C:\Program Files\Tremlok' \
        "$(drive get-text "$welcome" $id_folder)"
    screenshot welcome-page
    drive check "$welcome" $id_desktop 1 -- click "$welcome" $id_cancel
    finish_setup "Cancel ends with status 1" 1
    expect_eq "Cancel leaves nothing on disk" "$before" "$(snapshot)"
fi

# --- a full install into a browsed folder, with the desktop shortcut -----

mkdir -p "$drive_c/Games"
echo "not the installer's" >"$drive_c/Games/keep.txt"
install='C:\Games\Tremlok'
before=$(snapshot)
if start_setup; then
    refuses_to_close "$welcome" "welcome page"

    # Browse, then cancel the browser: nothing changes.
    drive click "$welcome" $id_browse -- wait-window "$browser" 10000
    expect_status "Browse opens the folder browser" 0 $?
    expect_eq "the browser shows the title" \
        "Please select the folder into which to install Tremlok" \
        "$(drive get-text "$browser" 14146)"
    drive browse-select "$browser" 'C:\Program Files'
    expect_eq "the status line shows the folder OK would give" 'C:\Program Files\Tremlok' \
        "$(drive get-text "$browser" $id_browser_status)"
    drive browse-select "$browser" 'C:\'
    expect_eq "a drive root gives C:\\Tremlok" 'C:\Tremlok' \
        "$(drive get-text "$browser" $id_browser_status)"
    screenshot folder-browser
    drive click "$browser" 2 -- wait-gone "$browser" 5000
    expect_eq "Cancel in the browser keeps the folder" 'C:\Program Files\Tremlok' \
        "$(drive get-text "$welcome" $id_folder)"

    browse_to 'C:\Games'
    expect_eq "OK in the browser sets the folder" "$install" \
        "$(drive get-text "$welcome" $id_folder)"
    browse_to 'C:\Games'
    expect_eq "browsing the same folder again does not repeat the product name" "$install" \
        "$(drive get-text "$welcome" $id_folder)"

    # The watcher starts in the same process as the click, so that it sees
    # the progress page before its first timer tick.
    trace=$(drive check "$welcome" $id_desktop 1 -- click "$welcome" $id_main -- \
        watch-progress "$progress" $id_bar $id_main $id_file 60000)
    expect_status "the progress page runs to its end" 0 $?
    echo "$trace" >"$work/progress-trace.txt"
    check_trace "$trace" "$install"
    screenshot progress-page
    drive sleep 500
    expect_eq "later ticks leave the page as it was" "100 Complete 1" \
        "$(drive progress-pos "$progress" $id_bar) $(drive get-text "$progress" $id_file) \
$(drive is-enabled "$progress" $id_main)"
    refuses_to_close "$progress" "progress page"

    drive click "$progress" $id_main -- wait-window "$complete" 10000
    expect_status "Next opens the completion page" 0 $?
    expect_eq "the readme box starts unchecked" 0 "$(drive get-check "$complete" $id_readme)"
    screenshot completion-page
    refuses_to_close "$complete" "completion page"
    # Checked and cleared again: no Notepad.
    drive check "$complete" $id_readme 1 -- check "$complete" $id_readme 0 -- \
        click "$complete" $id_main
    finish_setup "Finish without the readme ends with status 1" 1
    drive wait-window "*Notepad" 3000 2>/dev/null
    expect_status "no Notepad after Finish without the readme" 1 $?

    check_tree "$(from_win "$install")"
    check_shortcuts "$install" 1
    check_script "$install" --desktop-link

    run_uninstall "$install"
    check "the kept file beside the install folder survives" test -f "$drive_c/Games/keep.txt"
    # The script removes the install folder before it deletes itself, so
    # the folder itself stays behind, empty.
    leftover=$(diff <(echo "$before") <(snapshot) | grep '^[<>]')
    if [ "$leftover" == "> ./Games/Tremlok" ]; then
        echo "note: uninst.bat leaves the empty install folder (its rmdir runs before its own del)"
        leftover=""
    fi
    expect_eq "uninstalling removes everything the install made" "" "$leftover"
    rm -rf "$drive_c/Games"
fi

# --- the default folder, with the readme -----------------------------------

install='C:\Program Files\Tremlok'
installed=$(from_win "$install")
before=$(snapshot)
if start_setup; then
    drive click "$welcome" $id_main -- \
        watch-progress "$progress" $id_bar $id_main $id_file 60000 -- \
        click "$progress" $id_main -- wait-window "$complete" 10000 -- \
        check "$complete" $id_readme 1 -- click "$complete" $id_main >/dev/null
    expect_status "default install runs through the pages" 0 $?
    finish_setup "Finish with the readme ends with status 0" 0
    if drive wait-window "Readme.txt - Notepad" 20000; then
        pass "Notepad opens the readme"
        check "uninst.bat is written before Notepad opens" test -s "$installed/uninst.bat"
        expect_eq "Notepad shows the installed readme" "$(tr -d '\r' <"$game/Readme.txt")" \
            "$(drive get-text "Readme.txt - Notepad" class:Edit | tr -d '\r')"
        screenshot notepad-readme
        drive close "Readme.txt - Notepad" -- wait-gone "Readme.txt - Notepad" 10000
        expect_status "Notepad closes" 0 $?
    else
        fail "Notepad opens the readme"
    fi
    check_tree "$installed"
    check_shortcuts "$install" 0
    check_script "$install"

    # --- a second install over the first -----------------------------------
    if start_setup; then
        drive click "$welcome" $id_main -- \
            watch-progress "$progress" $id_bar $id_main $id_file 60000 -- \
            click "$progress" $id_main -- wait-window "$complete" 10000 -- \
            click "$complete" $id_main >/dev/null
        expect_status "second install runs through the pages" 0 $?
        finish_setup "second install ends with status 1" 1
        check_tree "$installed"
        check_shortcuts "$install" 0
        check_script "$install" --existing
        expect_eq "the second script removes no folder" 0 \
            "$(grep -c '^rmdir' "$installed/uninst.bat")"
        run_uninstall "$install"
        expect_eq "its uninstall removes the files and shortcuts, not the folders" \
            "$(find "$game" -mindepth 1 -type d -printf '%P\n' | LC_ALL=C sort)" \
            "$(find "$installed" -mindepth 1 -printf '%P\n' | LC_ALL=C sort)"
        check "the Start-menu folder stays, empty" \
            test -d "$(from_win "$menu")" -a -z "$(ls -A "$(from_win "$menu")")"
    fi
    rm -rf "$installed" "$(from_win "$menu")"
    expect_eq "after clean-up the prefix is as before" "$before" "$(snapshot)"
fi
