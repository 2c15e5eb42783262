#!/bin/bash
# Installs that cannot write every file, end to end under Wine: a folder
# standing where tremlok.exe goes, and a full disk (a cap on the size of the
# files that Setup.exe writes). The progress page runs through every entry
# but ends without "Complete", naming how many files are missing and the
# first; no completion page, shortcut or readme follows; uninst.bat holds
# what was written and, run, leaves the prefix as it was. The full disk
# only where E2E_FULL_DISK is 1 (not under qemu).
set -u
work="$E2E_WORK/write_failure"
# shellcheck source-path=SCRIPTDIR
source "$(dirname "$0")/install_lib.sh"

install='C:\Program Files\Tremlok'
installed=$(from_win "$install")

# expect_not_written LINE COUNT FIRST: the watcher's last line: the bar full,
# Next enabled, and the label naming COUNT files and the first, its path
# whole or cut in the middle, its file name whole.
expect_not_written()
{
    local lead="$2 files could not be written, the first: " shown
    [ "$2" == 1 ] && lead="1 file could not be written: "
    shown=${1#"pos=100 next=1 label=$lead"}
    if [ "$shown" != "$1" ] && [[ "$shown" == *"\\${3##*\\}" ]] &&
        [[ "$3" == "${shown%%...*}"* ]]; then
        pass "it ends at 100 with Next enabled, naming $2 not written and the first"
    else
        fail "it ends at 100 with Next enabled, naming $2 not written and the first" \
            "got [$1] for $3"
    fi
}

# install_failing NEW(0|1) SHOT COUNT FIRST NAME... [-- COMMAND...]: an
# install into $install that cannot write the archive's files NAME (FIRST,
# the first of them, a Windows path), started through COMMAND; SHOT names
# the screenshot of its progress page's end, or is empty.
install_failing()
{
    local new=$1 shot=$2 count=$3 first=$4 names=() trace before name
    shift 4
    while [ $# -gt 0 ] && [ "$1" != -- ]; do
        names+=("$1")
        shift
    done
    shift
    before=$(snapshot)
    start_setup "$@" || return
    trace=$(drive click "$welcome" $id_main -- watch "$progress" $((60000 * slow)))
    expect_status "the progress page runs to its end" 0 $?
    expect_not_written "$(tail -n 1 <<<"$trace")" "$count" "$first"
    echo "  label: $(tail -n 1 <<<"$trace" | sed 's/.*label=//')"
    expect_eq "Next is enabled only at the end, and Complete is never shown" "" \
        "$(sed '$d' <<<"$trace" | grep -E ' next=1 |label=Complete$')"
    [ -n "$shot" ] && screenshot "$shot"
    drive click "$progress" $id_main -- gone "$progress" $((10000 * slow))
    expect_status "Next closes the progress page" 0 $?
    if drive wait "$complete" $((2000 * slow)) 2>/dev/null; then
        fail "no completion page follows"
        drive click "$complete" $id_main
    fi
    finish_setup "the run ends with status 1" 1
    check "no Start-menu folder is made" test ! -e "$(from_win "$menu")"
    check "no desktop shortcut is made" test ! -e "$(from_win "$desktop")/Tremlok.lnk"
    for name in "${names[@]}"; do
        check "${name#\\} is not there as a file" test ! -f "$installed${name//\\//}"
    done
    check "every other file equals the sample game's" diff -r -x uninst.bat \
        "${names[@]/#*\\/-x}" "$game" "$installed"
    expected_script "$install" "$new" - "${names[@]}" >"$work/expected.bat"
    check "uninst.bat holds what was written, and no shortcut" \
        cmp "$work/expected.bat" "$installed/uninst.bat"
    diff <(tr -d '\r' <"$work/expected.bat") <(tr -d '\r' <"$installed/uninst.bat") | head -20
    run_uninstall "$install" "$([ "$new" == 1 ] && echo gone)"
    expect_eq "its uninstall leaves the prefix as it was before the install" "" \
        "$(diff <(echo "$before") <(snapshot) | grep '^[<>]')"
}

# --- a folder where tremlok.exe goes -----------------------------------------

mkdir -p "$installed/tremlok.exe"
install_failing 0 progress-not-written 1 "$install\\tremlok.exe" '\tremlok.exe' --
rm -rf "$installed"

# --- a full disk ---------------------------------------------------------------

[ "${E2E_FULL_DISK:-1}" == 1 ] || exit 0
# The files larger than the cap, in the archive's order.
cap_kb=40
mapfile -t large < <("$E2E_NATIVE" --list | awk -v max=$((cap_kb * 1024)) '$1 > max { print $4 }')
if [ ${#large[@]} -lt 2 ]; then
    fail "the sample game has files larger than ${cap_kb} KB" "${large[*]}"
else
    install_failing 1 progress-disk-full ${#large[@]} "$install${large[0]}" "${large[@]}" -- \
        with_file_limit $cap_kb
fi
rm -rf "$installed"
