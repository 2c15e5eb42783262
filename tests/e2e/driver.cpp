// A console program that works another program's windows the way a user
// would, for the end-to-end tests under Wine. "e2e_driver serve" reads one
// chain of subcommands a line, its words split by tabs and its subcommands
// by a "--" word, until an empty line (see Serve):
//
//   click	Install Tremlok 0.63	1036	--	watch	Installing Tremlok	60000
//
// Each returns 0 done or true, 1 false or timed out, 2 no such window or
// control, 3 a control a user could not operate now; a chain stops at the
// first that does not return 0. Clicks and keys are posted, not sent: a
// button that opens a modal loop (Browse) would otherwise keep the driver
// waiting until that loop ends.
#include <windows.h>
#include <commctrl.h>
#include <fcntl.h>
#include <io.h>
#include <shlobj.h>
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "res/resource_ids.h"
#include "tests/win/read_link.h"

const int kOk = 0, kFalse = 1, kMissing = 2, kRefused = 3; // see the top

// Gives up after a few seconds on a window that stopped answering.
static bool SendAndWait(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                        DWORD_PTR* result = NULL)
{
    DWORD_PTR ignored = 0;
    return SendMessageTimeoutA(window, message, wParam, lParam, SMTO_ABORTIFHUNG, 5000,
                               result != NULL ? result : &ignored) != 0;
}

// WM_GETTEXT is copied across processes, so the buffer may live here.
static bool ReadWindowText(HWND window, char* text, int size)
{
    DWORD_PTR copied = 0;
    text[0] = '\0';
    if (!SendAndWait(window, WM_GETTEXT, (WPARAM)size, (LPARAM)text, &copied))
        return false;
    text[copied < (DWORD_PTR)size ? copied : size - 1] = '\0';
    return true;
}

// Reports why a subcommand gave status on standard error; status.
static int Complain(int status, const char* format, ...)
{
    va_list arguments;
    va_start(arguments, format);
    fputs("e2e_driver: ", stderr);
    vfprintf(stderr, format, arguments);
    fputc('\n', stderr);
    va_end(arguments);
    return status;
}

// The first visible top-level window captioned exactly caption, or null.
// FindWindowEx compares without regard to case, so the match is checked.
static HWND FindCaption(const char* caption)
{
    char text[512];
    for (HWND window = NULL; (window = FindWindowExA(NULL, window, NULL, caption)) != NULL;)
        if (IsWindowVisible(window) && GetWindowTextA(window, text, sizeof text) &&
            strcmp(text, caption) == 0)
            return window;
    return NULL;
}

static HWND RequireWindow(const char* caption)
{
    HWND window = FindCaption(caption);
    if (window == NULL)
        Complain(kMissing, "no window \"%s\"", caption);
    return window;
}

// selector: a decimal id, or "class:NAME" for the first child of that class.
static HWND RequireControl(const char* caption, const char* selector)
{
    HWND window = RequireWindow(caption);
    if (window == NULL)
        return NULL;
    HWND control = strncmp(selector, "class:", 6) == 0
                       ? FindWindowExA(window, NULL, selector + 6, NULL)
                       : GetDlgItem(window, atoi(selector));
    if (control == NULL)
        Complain(kMissing, "\"%s\" has no control %s", caption, selector);
    return control;
}

// Polls for up to MS milliseconds until a window captioned CAPTION is open
// (wait CAPTION MS) or none is (gone CAPTION MS).
static int WaitFor(char** argv, bool open)
{
    for (DWORD start = GetTickCount(); (FindCaption(argv[0]) != NULL) != open; Sleep(5))
        if (GetTickCount() - start >= (DWORD)atol(argv[1]))
            return Complain(kFalse, "\"%s\" %s after %s ms", argv[0],
                            open ? "not open" : "still open", argv[1]);
    return kOk;
}

// click CAPTION ID. A user can press neither a disabled button nor one on a
// page that a modal window has disabled.
static int CommandClick(HWND button, char** argv)
{
    HWND page = GetParent(button);
    if (!IsWindowVisible(button) || !IsWindowEnabled(button) || !IsWindowEnabled(page))
        return Complain(kRefused, "%s of \"%s\" cannot be pressed now", argv[1], argv[0]);
    PostMessageA(page, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(button), BN_CLICKED), (LPARAM)button);
    return kOk;
}

// text CAPTION CONTROL
static int CommandText(HWND control, char**)
{
    static char text[65536];
    return ReadWindowText(control, text, sizeof text) && puts(text) >= 0 ? kOk : kFalse;
}

// send CAPTION CONTROL MESSAGE WPARAM LPARAM prints what the control
// answers; the numbers are decimal.
static int CommandSend(HWND control, char** argv)
{
    DWORD_PTR result = 0;
    return SendAndWait(control, (UINT)atol(argv[2]), strtoul(argv[3], NULL, 10),
                       (LPARAM)strtoul(argv[4], NULL, 10), &result) &&
                   printf("%lu\n", (unsigned long)result) > 0
               ? kOk
               : kFalse;
}

// watch CAPTION MS: prints "pos=P next=E label=TEXT" for the progress page
// as it opens and at each change, until Next is enabled (0) or the page
// closes or the time runs out (1). Next is read first: the bar answers only
// between the page's handlers, so the reverse could catch one half way.
static int CommandWatch(HWND, char** argv)
{
    DWORD start = GetTickCount(), ms = (DWORD)atol(argv[1]);
    if (WaitFor(argv, true) != kOk)
        return kFalse;
    HWND page = FindCaption(argv[0]);
    HWND bar = GetDlgItem(page, IDC_PROGRESS_BAR), next = GetDlgItem(page, IDC_NEXT);
    char line[400], last[400] = "", label[300];
    for (;; Sleep(1))
    {
        int enabled = IsWindowEnabled(next) ? 1 : 0;
        DWORD_PTR position = 0;
        if (!SendAndWait(bar, PBM_GETPOS, 0, 0, &position) ||
            !ReadWindowText(GetDlgItem(page, IDC_CURRENT_FILE), label, sizeof label))
            return Complain(kFalse, "\"%s\" closed while watched", argv[0]);
        snprintf(line, sizeof line, "pos=%d next=%d label=%s", (int)position, enabled, label);
        if (strcmp(line, last) != 0)
            printf("%s\n", strcpy(last, line));
        if (enabled || GetTickCount() - start >= ms)
            return enabled ? kOk : kFalse;
    }
}

// browse CAPTION PATH: BFFM_SETSELECTIONA takes a path in the browser's own
// address space, so it is copied there first. The selection notifies the
// owner's status callback as a click would.
static int CommandBrowse(HWND browser, char** argv)
{
    SIZE_T size = strlen(argv[1]) + 1, written = 0;
    DWORD processId = 0;
    GetWindowThreadProcessId(browser, &processId);
    HANDLE process =
        OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, processId);
    void* remote = process != NULL ? VirtualAllocEx(process, NULL, size, MEM_COMMIT | MEM_RESERVE,
                                                    PAGE_READWRITE)
                                   : NULL;
    bool selected =
        remote != NULL && WriteProcessMemory(process, remote, argv[1], size, &written) &&
        written == size && SendAndWait(browser, BFFM_SETSELECTIONA, TRUE, (LPARAM)remote);
    if (!selected)
        Complain(kFalse, "could not select %s in \"%s\"", argv[1], argv[0]);
    if (remote != NULL)
        VirtualFreeEx(process, remote, 0, MEM_RELEASE);
    if (process != NULL)
        CloseHandle(process);
    return selected ? kOk : kFalse;
}

// read-link FILE
static int CommandReadLink(HWND, char** argv)
{
    char text[6 * MAX_PATH + 64];
    return ReadLinkText(argv[0], text, sizeof text) && fputs(text, stdout) >= 0
               ? kOk
               : Complain(kFalse, "cannot load %s as a shortcut", argv[0]);
}

// special-folder CSIDL
static int CommandSpecialFolder(HWND, char** argv)
{
    char path[MAX_PATH];
    return SHGetSpecialFolderPathA(NULL, path, atoi(argv[0]), FALSE) && puts(path) >= 0 ? kOk
                                                                                        : kFalse;
}

// What a subcommand's first words name, found before it runs: a window
// (CAPTION) or a control (CAPTION CONTROL).
const int kNothing = 0, kWindow = 1, kControl = 2;

struct DriverCommand
{
    const char* name;
    int words;
    int target;
    int (*run)(HWND target, char** argv);
};

static const DriverCommand kCommands[] = {
    {"wait", 2, kNothing, [](HWND, char** argv) { return WaitFor(argv, true); }},
    {"gone", 2, kNothing, [](HWND, char** argv) { return WaitFor(argv, false); }},
    {"click", 2, kControl, CommandClick},
    {"text", 2, kControl, CommandText},
    {"send", 5, kControl, CommandSend},
    // post CAPTION MESSAGE WPARAM LPARAM, to the window, as a user's input is.
    {"post", 4, kWindow,
     [](HWND window, char** argv)
     {
         return PostMessageA(window, (UINT)atol(argv[1]), strtoul(argv[2], NULL, 10),
                             (LPARAM)strtoul(argv[3], NULL, 10))
                    ? kOk
                    : kFalse;
     }},
    {"watch", 2, kNothing, CommandWatch},
    {"browse", 2, kWindow, CommandBrowse},
    {"read-link", 1, kNothing, CommandReadLink},
    {"special-folder", 1, kNothing, CommandSpecialFolder},
};

// Runs one subcommand, its words split at tabs in place.
static int RunOne(char* text)
{
    char* argv[8];
    int argc = 0;
    for (char* word = text; word != NULL && argc < 8; argc++)
    {
        argv[argc] = word;
        if ((word = strchr(word, '\t')) != NULL)
            *word++ = 0;
    }
    for (const DriverCommand& command : kCommands)
        if (strcmp(argv[0], command.name) == 0 && argc - 1 == command.words)
        {
            HWND target = command.target == kWindow    ? RequireWindow(argv[1])
                          : command.target == kControl ? RequireControl(argv[1], argv[2])
                                                       : NULL;
            return command.target != kNothing && target == NULL ? kMissing
                                                                : command.run(target, argv + 1);
        }
    return Complain(kMissing, "unknown subcommand or wrong word count: %s", argv[0]);
}

// After each chain its output ends with the byte 0x1E, the status and a line
// end. The input ends at an empty line, not at its end: Wine's server may
// hold the pipe open. One driver serves a whole test script because under
// qemu each start of a 32-bit Wine program costs half a minute.
static int Serve()
{
    static char raw[8192], line[8192];
    static WCHAR wide[8192];
    while (fgets(raw, sizeof raw, stdin) != NULL)
    {
        raw[strcspn(raw, "\r\n")] = 0;
        // The shell writes UTF-8; Wine hands a command line over in the ANSI
        // code page, and so must this.
        if (MultiByteToWideChar(CP_UTF8, 0, raw, -1, wide, 8192) == 0 ||
            WideCharToMultiByte(CP_ACP, 0, wide, -1, line, sizeof line, NULL, NULL) == 0 ||
            line[0] == 0)
            break;
        int status = kOk;
        for (char* part = line; part != NULL && status == kOk;)
        {
            char* next = strstr(part, "\t--\t");
            if (next != NULL)
                *next = 0;
            status = RunOne(part);
            part = next != NULL ? next + 4 : NULL;
        }
        printf("\x1e%d\n", status);
    }
    return kOk;
}

int main(int argc, char** argv)
{
    // The tests compare the output byte for byte; no CR before each LF.
    _setmode(_fileno(stdout), _O_BINARY);
    setvbuf(stdout, NULL, _IONBF, 0);
    if (argc == 2 && strcmp(argv[1], "serve") == 0)
        return Serve();
    return Complain(kMissing, "usage: e2e_driver serve");
}
