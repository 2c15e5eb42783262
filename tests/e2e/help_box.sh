#!/bin/bash
# The usage box of the Windows program: the switch forms that show it, its
# text, and the exit status once OK is pressed; and arguments that match
# nothing, which start the install instead.
set -u
source "$(dirname "$0")/lib.sh"

work="$E2E_WORK/help"
mkdir -p "$work"
cd "$work" || exit 1

expected_rest=$(printf '%s\n' \
    "" \
    " /?   View help," \
    " /mX  Make data.bin from folder 'X'" \
    "      /mc:\\tremlok builds archive file from everything under c:\\tremlok" \
    " /eX  Extract data.bin to folder 'X'" \
    "      /ec:\\tremlok extracts everything to c:\\tremlok")

# help_case LABEL ARGUMENTS...: the box appears, says the usage, and OK ends
# the program with status 0.
help_case()
{
    local label=$1
    shift
    wine_run "$E2E_SETUP_EXE" "$@" &
    local pid=$!
    if ! drive wait-window "Install Tremlok" 20000; then
        fail "$label shows the help box"
        kill "$pid" 2>/dev/null
        wait "$pid"
        return
    fi
    pass "$label shows the help box"
    # The message text is the box's only static with text; Wine gives it id
    # -1, as dialog templates do.
    local text
    text=$(drive get-text "Install Tremlok" 65535)
    check "$label: first line names the utility" \
        grep -q '^Tremlok Setup utility' <<<"$(head -n 1 <<<"$text")"
    expect_eq "$label: usage lines" "$expected_rest" "$(sed -n '2,7p' <<<"$text")"
    if [ "$label" == "/?" ]; then
        screenshot help-box
    fi
    drive click "Install Tremlok" 1
    wait "$pid"
    expect_status "$label: OK ends with status 0" 0 $?
}

help_case "/?" "/?"
help_case "-?" "-?"
help_case "bare ?" "?"
help_case "/x /?" /x "/?"

# Tokens that match nothing start the install: its first page opens, and
# Cancel ends the program with status 1.
install_case()
{
    local label=$1
    shift
    wine_run "$E2E_SETUP_EXE" "$@" &
    local pid=$!
    if drive wait-window "Install Tremlok 0.63" 20000; then
        pass "$label starts the install"
        drive click "Install Tremlok 0.63" 1034
    else
        fail "$label starts the install"
        kill "$pid" 2>/dev/null
    fi
    wait "$pid"
    expect_status "$label: Cancel ends with status 1" 1 $?
}

install_case "/?x" "/?x"
install_case "a lone /" /
check "Cancel made no install folder" test ! -e "$WINEPREFIX/drive_c/Program Files/Tremlok"
