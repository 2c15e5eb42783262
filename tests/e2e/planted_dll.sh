#!/bin/bash
# A comctl32.dll planted beside Setup.exe is never loaded, with Wine told to
# prefer a DLL it finds over its own, from the program's folder first, as
# Windows does: neither for the help box nor through an install, whose
# progress bar still shows.
set -u
# shellcheck source-path=SCRIPTDIR
source "$(dirname "$0")/lib.sh"

work="$E2E_WORK/planted"
mkdir -p "$work"
cp "$E2E_SETUP_EXE" "$work/Setup.exe"
cp "$E2E_PLANTED_DLL" "$work/comctl32.dll"
mark="$work/planted.mark"
welcome="Install Tremlok 0.63"
progress="Installing Tremlok"
complete="Installation Complete"
id_main=1036

# planted_open CAPTION MS ARGS...: Setup.exe ARGS beside the planted DLL, in
# the background as $pid; false, with the run ended, when CAPTION does not
# open within MS milliseconds.
planted_open()
{
    local caption=$1 ms=$2
    shift 2
    WINEDLLOVERRIDES="comctl32=n,b;mscoree,mshtml=;winemenubuilder.exe=d" \
        wine_run "$work/Setup.exe" "$@" &
    pid=$!
    drive wait "$caption" "$ms" && return 0
    kill "$pid" 2>/dev/null
    return 1
}

if planted_open "Install Tremlok" $((20000 * slow)) "/?"; then
    drive click "Install Tremlok" 1
else
    fail "/? beside a planted comctl32.dll shows the help box"
fi
wait "$pid"
expect_status "/? beside a planted comctl32.dll ends with status 0" 0 $?
check "/? loads no comctl32.dll from its own folder" test ! -e "$mark"

if planted_open "$welcome" $((30000 * slow)); then
    trace=$(drive click "$welcome" $id_main -- watch "$progress" $((60000 * slow)))
    expect_eq "the progress bar shows beside a planted comctl32.dll" \
        "pos=100 next=1 label=Complete" "$(tail -n 1 <<<"$trace")"
    drive click "$progress" $id_main -- wait "$complete" $((10000 * slow)) -- \
        click "$complete" $id_main >/dev/null
else
    fail "the install beside a planted comctl32.dll opens its welcome page"
fi
wait "$pid"
expect_status "the install beside a planted comctl32.dll ends" 1 $?
check "the install loads no comctl32.dll from its own folder" test ! -e "$mark"
