# shellcheck shell=bash disable=SC2034,SC2154
# What the install scripts share; sourced, not run, once the script has
# named its scratch folder $work, which this makes the current directory.
# Sources lib.sh.
# shellcheck source-path=SCRIPTDIR
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
mkdir -p "$work"
cd "$work" || exit 1

welcome="Install Tremlok 0.63"
progress="Installing Tremlok"
complete="Installation Complete"
browser="Browse for Folder"
# Control ids of the pages, and the folder browser's status line.
id_main=1036 id_cancel=1034 id_browse=1035 id_desktop=1032 id_folder=1030 id_readme=1039
id_status=14147

game="$REPO/sample/game"
drive_c="$WINEPREFIX/drive_c"
programs=$(drive special-folder 2)
desktop=$(drive special-folder 16)
if [ -z "$programs" ] || [ -z "$desktop" ]; then
    fail "the prefix names its programs and desktop folders"
    exit 1
fi
menu="$programs\\Tremlok"
# The uninstall shortcut on the NT family; Windows 95, 98 and Me get a .pif.
uninstall_link="Tremlok Uninstall.lnk"
# The archive that Setup.exe embeds, as data.bin for the native tool: the
# sample game's (tool_modes.sh checks that data/data.cpp is).
"$E2E_NATIVE" -m "$game" || fail "native -m of the sample game"

# What the prefix holds, apart from Wine's own folders, one path a line.
snapshot()
{
    (cd "$drive_c" && find . -mindepth 1 \
        \( -path ./windows -o -path ./ProgramData -o -path './users/*/AppData/Local' \
        -o -path './users/*/Temp' \) -prune -o -print | LC_ALL=C sort)
}

# start_setup [COMMAND...]: Setup.exe in the background as $setup_pid, at
# its welcome page; started through COMMAND when given (with_file_limit).
# shellcheck disable=SC2120
start_setup()
{
    "$@" wine_run "$E2E_SETUP_EXE" &
    setup_pid=$!
    drive wait "$welcome" $((30000 * slow)) && return 0
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

# refuses_to_close PAGE
refuses_to_close()
{
    drive try-close "$1"
    expect_status "$1 ignores Escape, the close button and IDCANCEL" 0 $?
}

# script_line VERB PATH: one line of uninst.bat; cmd expands %...% even in
# quotes, and a doubled % reads back as one.
script_line()
{
    printf '%s "%s"\r\n' "$1" "${2//%/%%}"
}

# with_file_limit KB COMMAND...: runs COMMAND with every file it writes
# capped at KB kilobytes, as a full disk would stop it: a write past the
# cap fails instead of raising SIGXFSZ.
with_file_limit()
(
    trap '' XFSZ
    ulimit -f "$1" && "${@:2}"
)

# expected_script INSTALL NEW(0|1) LINKS(0|1|-) [NAME...]: the uninst.bat
# that the install log must give; LINKS 1 with the desktop shortcut, 0
# without, - for a run that made no shortcut; NAMEs, the archive's, of files
# that were not written. Its extraction lines are the folders made and the
# files written, in order, when the native tool extracts the same archive
# into a folder that is new, or exists, like INSTALL; the system calls show
# them. The folders that hold uninst.bat are removed on its last line,
# after it is gone.
expected_script()
{
    local install=$1 root="$work/order/Tremlok" verb path link holders="" skipped
    skipped=$(printf '%s\n' "${@:4}")
    mkdir -p "$root"
    [ "$2" == 1 ] && rm -rf "$root"
    strace -qq -o "$work/trace" -e trace=mkdir,rename,renameat,renameat2 -e status=successful \
        "$E2E_NATIVE" -q -e "$root"
    printf 'REM This will uninstall Tremlok\r\n\r\n'
    while read -r verb path; do
        path=${path#"$root"}
        if [ "$verb" == rmdir ] && [ -z "$path" ]; then
            holders=$(script_line rmdir "$install" | tr -d '\r\n')' 2^>nul'
        elif [ "$verb" == del ] && grep -qxF "${path//\//\\}" <<<"$skipped"; then
            continue
        else
            script_line "$verb" "$install${path//\//\\}"
        fi
    # The tool writes each file as a temporary first and then renames it
    # to its name: that rename is where the install run would log it.
    done < <(sed -nE 's/^mkdir\("([^"]*)".*/rmdir \1/p
        s/^rename\("[^"]*", "([^"]*)"\).*/del \1/p
        s/^renameat2?\(AT_FDCWD, "[^"]*", AT_FDCWD, "([^"]*)".*/del \1/p' "$work/trace" | tac)
    printf '\r\n'
    if [ "$3" != - ]; then
        for link in Tremlok.lnk "Tremlok Help.lnk" "$uninstall_link"; do
            script_line del "$menu\\$link"
        done
        [ "$3" == 1 ] && script_line del "$desktop\\Tremlok.lnk"
        [ "$2" == 1 ] && script_line rmdir "$menu"
    fi
    printf '\r\n'
    if [ -n "$holders" ]; then
        printf 'cd \\ & %s & start "" /b cmd /c for /l %%%%i in (1,1,300) do %s\r\n' \
            "$(script_line del "$install\\uninst.bat" | tr -d '\r\n')" "$holders"
    else
        script_line del "$install\\uninst.bat"
    fi
}

# run_uninstall INSTALL [GONE]: runs uninst.bat the way its shortcut would,
# in the install folder; with GONE, waits a while for the folder to go,
# which a second cmd removes once the script has ended.
run_uninstall()
{
    local dir tries=0
    dir=$(from_win "$1")
    (cd "$dir" && wine_run "${E2E_CMD:-cmd}" /c "$1\\uninst.bat" >/dev/null 2>&1)
    while [ -n "${2:-}" ] && [ -e "$dir" ] && [ $tries -lt 50 ]; do
        sleep 0.2
        tries=$((tries + 1))
    done
}
