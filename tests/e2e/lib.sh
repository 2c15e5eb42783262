# shellcheck shell=bash disable=SC2034
# What the end-to-end scripts share; sourced, not run. The runner
# (scripts/e2e-tests.sh) exports REPO, the programs (E2E_SETUP_EXE,
# E2E_DRIVER_EXE, E2E_PLANTED_DLL, E2E_NATIVE, E2E_CMD: the cmd that runs
# uninst.bat), E2E_WORK (drive T: in Wine), E2E_RESULTS, E2E_SHOTS,
# WINEPREFIX, E2E_SUFFIX ("-i686" on the 32-bit run's screenshots and
# results), E2E_SLOW (every window wait stretched under qemu) and E2E_ONCE
# (each mode of the program once). Each script works in $E2E_WORK/<its
# name>. A script that works no window sets no_driver=1 before sourcing
# this: under qemu the driver takes a minute to start.
# shellcheck source=scripts/checks.sh
source "$REPO/scripts/checks.sh"
export CHECK_RESULTS=$E2E_RESULTS CHECK_TAG=${E2E_SUFFIX:+ (${E2E_SUFFIX#-})}
# Seconds any one Wine program may run before it is killed.
export WINE_TIMEOUT=${WINE_TIMEOUT:-90}
slow=${E2E_SLOW:-1}
once=${E2E_ONCE:-0}
work=$E2E_WORK/$(basename "$0" .sh)
mkdir -p "$work" && cd "$work" || exit 1

wine_run() {
    "$REPO/scripts/wine-run" "$@" 7>&- 8<&-
}

# drive SUBCOMMAND ARGS... [-- SUBCOMMAND ARGS...]: the window driver, one
# driver process for the whole script (started below), its output and
# status those of the chain.
drive() {
    local line out=""
    (IFS=$'\t' && printf '%s\n' "$*") >&7 || return 125
    while IFS= read -r -t "$WINE_TIMEOUT" line <&8; do
        if [[ "$line" == *$'\x1e'* ]]; then
            printf '%s' "$out${line%%$'\x1e'*}"
            return "${line##*$'\x1e'}"
        fi
        out+=$line$'\n'
    done
    echo "e2e: the driver gave no answer to: $*" >&2
    return 124
}

# The Unix path of a path on the prefix's drive C:.
from_win() {
    local path=${1#[Cc]:}
    echo "$WINEPREFIX/drive_c${path//\\//}"
}

# screenshot NAME: the whole screen as $E2E_SHOTS/NAME.png.
screenshot() {
    import -window root "$E2E_SHOTS/$1${E2E_SUFFIX:-}.png" 2>/dev/null ||
        echo "note: screenshot $1 failed"
}

welcome="Install Tremlok 0.63"
progress="Installing Tremlok"
complete="Installation Complete"
browser="Browse for Folder"
# Control ids of the pages, and the folder browser's status line.
id_main=1036 id_browse=1035 id_desktop=1032 id_folder=1030 id_readme=1039
id_status=14147
# Messages for drive send and post.
wm_keydown=256 wm_keyup=257 wm_command=273 wm_syscommand=274 sc_close=61536
bm_getcheck=240 bm_setcheck=241

# The NT family's; Windows 95, 98 and Me get a .pif.
uninstall_link="Tremlok Uninstall.lnk"

# pose_as VERSION: Wine poses as that Windows (win98, win10 ...) for
# Setup.exe alone, until pose_as "" ends it.
pose_as() {
    local key='HKCU\Software\Wine\AppDefaults\Setup.exe'
    if [ -n "$1" ]; then
        wine_run reg add "$key" /v Version /d "$1" /f >/dev/null
    else
        wine_run reg delete "$key" /f >/dev/null 2>&1
    fi
}

# The game Setup.exe carries.
game=$(cd "$REPO" && realpath "${E2E_GAME:-sample/game}")
drive_c="$WINEPREFIX/drive_c"

# What the prefix holds, apart from Wine's own folders, one path a line.
snapshot() {
    (cd "$drive_c" && find . -mindepth 1 \
        \( -path ./windows -o -path ./ProgramData -o -path './users/*/AppData/Local' \
        -o -path './users/*/Temp' \) -prune -o -print | LC_ALL=C sort)
}

# shellcheck disable=SC2120
# start_setup [COMMAND...]: Setup.exe (SETUP_EXE, when set) in the
# background as $setup_pid, at its welcome page (or, given setup_switch,
# at the window captioned $setup_window); started through COMMAND when
# given (with_file_limit).
start_setup() {
    "$@" wine_run "${SETUP_EXE:-$E2E_SETUP_EXE}" ${setup_switch:+"$setup_switch"} &
    setup_pid=$!
    drive wait "${setup_window:-$welcome}" $((30000 * slow)) && return 0
    fail "${setup_window:-the welcome page} opens"
    kill "$setup_pid" 2>/dev/null
    wait "$setup_pid"
    return 1
}

# finish_setup NAME STATUS: waits for Setup.exe and checks its exit status.
finish_setup() {
    wait "$setup_pid"
    expect_status "$1" "$2" $?
}

# shellcheck disable=SC2120
# run_pages [README(0|1)]: from the welcome page through every page to
# Finish, with the readme box set as given.
run_pages() {
    drive click "$welcome" $id_main -- watch "$progress" $((60000 * slow)) -- \
        click "$progress" $id_main -- wait "$complete" $((10000 * slow)) -- \
        send "$complete" $id_readme $bm_setcheck "${1:-0}" 0 -- click "$complete" $id_main >/dev/null
    expect_status "an install runs through the pages" 0 $?
}

# with_file_limit KB COMMAND...: runs COMMAND with every file it writes
# capped at KB kilobytes, as a full disk would stop it: a write past the
# cap fails instead of raising SIGXFSZ.
with_file_limit() (
    trap '' XFSZ
    ulimit -f "$1" && "${@:2}"
)

# check_link FILE TARGET ICON INSTALL: a shortcut as the shell reads it.
check_link() {
    expect_eq "${1##*\\} of $4 reads back" \
        "$(printf 'target=%s\nworkdir=%s\nicon=%s\narguments=\ndescription=' "$2" "$4" "$3")" \
        "$(drive read-link "$1" | iconv -f "CP${acp:-1252}")"
}

# check_install INSTALL DESKTOP(0|1): the tree and the shortcuts of an
# install into INSTALL. What uninst.bat holds shows in what its run leaves
# (uninstalls_all); its lines' order, form and escapes are the unit tests'.
check_install() {
    local install=$1 exe="$1\\tremlok.exe"
    check "the files in $install equal the sample game" \
        diff -r -x uninst.bat "$game" "$(from_win "$install")"
    check_link "$menu\\Tremlok.lnk" "$exe" "$exe,0" "$install"
    check_link "$menu\\Tremlok Help.lnk" "$install\\Readme.txt" ",0" "$install"
    check_link "$menu\\$uninstall_link" "$install\\uninst.bat" ",0" "$install"
    if [ "$2" == 1 ]; then
        check_link "$desktop\\Tremlok.lnk" "$exe" "$exe,0" "$install"
    else
        check "no desktop shortcut without the box" test ! -e "$(from_win "$desktop")/Tremlok.lnk"
    fi
}

# run_uninstall INSTALL [GONE]: runs uninst.bat the way its shortcut would,
# in the install folder; with GONE, until the folder is gone. Its last line
# leaves a loop behind that removes the folder once the script has ended;
# under qemu the loop runs for minutes after that, and the runner waits for
# it only before the next script.
run_uninstall() {
    local dir tries=0
    dir=$(from_win "$1")
    (cd "$dir" && wine_run "${E2E_CMD:-cmd}" /c "$1\\uninst.bat" >/dev/null 2>&1) &
    [ -n "${2:-}" ] || { wait $!; return; }
    while [ -e "$dir" ] && [ $((tries++)) -lt $((300 * slow)) ]; do sleep 0.2; done
}

# uninstalls_all BEFORE [LEFT]: the uninstall left the prefix as BEFORE
# showed it, but for LEFT, snapshot's line of a folder left behind.
uninstalls_all() {
    expect_eq "uninstalling removes everything the install made${2:+ but ${2#> }}" "${2:-}" \
        "$(diff <(echo "$1") <(snapshot) | grep '^[<>]')"
}

# fds 7 and 8 stay open in every subshell; the driver ends with the script.
[ "${no_driver:-0}" == 1 ] && return 0
mkfifo "$work/driver-in" "$work/driver-out" 2>/dev/null
WINE_TIMEOUT=${E2E_TIMEOUT:-3600} "$REPO/scripts/wine-run" "$E2E_DRIVER_EXE" serve \
    <"$work/driver-in" >"$work/driver-out" &
driver_pid=$!
exec 7>"$work/driver-in" 8<"$work/driver-out"
trap 'echo >&7; exec 7>&- 8<&-; wait $driver_pid' EXIT
programs=$(drive special-folder 2)
desktop=$(drive special-folder 16)
menu="$programs\\Tremlok"
