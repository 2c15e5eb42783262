// A console program that works another program's windows the way a user
// would, for the end-to-end tests under Wine. Subcommands chained with "--"
// run back to back in one process, without a Wine start-up between them:
//
//   e2e_driver click "Install Tremlok 0.63" 1036 -- watch "Installing Tremlok" 60000
//
// Each returns 0 done or true, 1 false or timed out, 2 no such window or
// control, 3 a control a user could not operate now. The chain stops at the
// first that does not return 0, and the program exits with its code. Clicks
// and keys are posted, not sent: a button that opens a modal loop (Browse)
// would otherwise keep the driver waiting until that loop ends.
// "e2e_driver serve" takes chains from standard input instead (see Serve).
#include <windows.h>
#include <commctrl.h>
#include <fcntl.h>
#include <io.h>
#include <shlobj.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "res/resource_ids.h"
#include "tests/win/read_link.h"

enum
{
    kOk,
    kFalse,
    kMissing,
    kRefused
};

// The folder browser's status line (Wine's shell32 gives it this id).
const int kBrowserStatusId = 14147;

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

struct FoundWindow
{
    const char* caption;
    HWND window;
};

static BOOL CALLBACK VisitTopWindow(HWND window, LPARAM data)
{
    FoundWindow* found = (FoundWindow*)data;
    char caption[512];
    if (!IsWindowVisible(window) || !ReadWindowText(window, caption, sizeof caption) ||
        strcmp(caption, found->caption) != 0)
        return TRUE;
    found->window = window;
    return FALSE;
}

// The first visible top-level window captioned exactly caption, polled for
// up to ms milliseconds; null when none came.
static HWND WaitWindow(const char* caption, DWORD ms)
{
    DWORD start = GetTickCount();
    FoundWindow found = {caption, NULL};
    for (;;)
    {
        EnumWindows(VisitTopWindow, (LPARAM)&found);
        if (found.window != NULL || GetTickCount() - start >= ms)
            return found.window;
        Sleep(2);
    }
}

static HWND RequireWindow(const char* caption)
{
    HWND window = WaitWindow(caption, 0);
    if (window == NULL)
        fprintf(stderr, "e2e_driver: no window \"%s\"\n", caption);
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
        fprintf(stderr, "e2e_driver: \"%s\" has no control %s\n", caption, selector);
    return control;
}

// wait CAPTION MS
static int CommandWait(char** argv)
{
    if (WaitWindow(argv[0], (DWORD)atol(argv[1])) != NULL)
        return kOk;
    fprintf(stderr, "e2e_driver: no window \"%s\" after %s ms\n", argv[0], argv[1]);
    return kFalse;
}

// gone CAPTION MS
static int CommandGone(char** argv)
{
    DWORD start = GetTickCount();
    while (WaitWindow(argv[0], 0) != NULL)
    {
        if (GetTickCount() - start >= (DWORD)atol(argv[1]))
        {
            fprintf(stderr, "e2e_driver: \"%s\" still open after %s ms\n", argv[0], argv[1]);
            return kFalse;
        }
        Sleep(10);
    }
    return kOk;
}

// click CAPTION ID. A user can press neither a disabled button nor one on a
// page that a modal window has disabled.
static int CommandClick(char** argv)
{
    HWND button = RequireControl(argv[0], argv[1]);
    if (button == NULL)
        return kMissing;
    HWND page = GetParent(button);
    if (!IsWindowVisible(button) || !IsWindowEnabled(button) || !IsWindowEnabled(page))
    {
        fprintf(stderr, "e2e_driver: %s of \"%s\" cannot be pressed now\n", argv[1], argv[0]);
        return kRefused;
    }
    PostMessageA(page, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(button), BN_CLICKED), (LPARAM)button);
    return kOk;
}

// check CAPTION ID 0|1, and checked CAPTION ID (0 checked, 1 clear).
static int CheckBox(char** argv, int set)
{
    HWND box = RequireControl(argv[0], argv[1]);
    if (box == NULL)
        return kMissing;
    if (set >= 0)
        SendAndWait(box, BM_SETCHECK, set ? BST_CHECKED : BST_UNCHECKED, 0);
    DWORD_PTR state = 0;
    SendAndWait(box, BM_GETCHECK, 0, 0, &state);
    return (int)state == (set >= 0 ? set : BST_CHECKED) ? kOk : kFalse;
}

static int CommandCheck(char** argv)
{
    return CheckBox(argv, atoi(argv[2]) ? 1 : 0);
}

static int CommandChecked(char** argv)
{
    return CheckBox(argv, -1);
}

// text CAPTION CONTROL
static int CommandText(char** argv)
{
    static char text[65536];
    HWND control = RequireControl(argv[0], argv[1]);
    if (control == NULL)
        return kMissing;
    if (!ReadWindowText(control, text, sizeof text))
        return kFalse;
    printf("%s\n", text);
    return kOk;
}

// close CAPTION: the caption's close button.
static int CommandClose(char** argv)
{
    HWND window = RequireWindow(argv[0]);
    if (window == NULL)
        return kMissing;
    PostMessageA(window, WM_SYSCOMMAND, SC_CLOSE, 0);
    return kOk;
}

// try-close CAPTION: Escape through the page's dialog manager, the caption's
// close button and a bare IDCANCEL, each followed by a look at whether the
// same window is still open.
static int CommandTryClose(char** argv)
{
    HWND page = RequireWindow(argv[0]);
    if (page == NULL)
        return kMissing;
    const char* ways[] = {"Escape", "the close button", "IDCANCEL"};
    for (int way = 0; way < 3; way++)
    {
        LPARAM scan = (LPARAM)MapVirtualKeyA(VK_ESCAPE, MAPVK_VK_TO_VSC) << 16;
        if (way == 0)
        {
            PostMessageA(page, WM_KEYDOWN, VK_ESCAPE, 1 | scan);
            PostMessageA(page, WM_KEYUP, VK_ESCAPE, 1 | scan | (LPARAM)0xC0000000);
        }
        else if (way == 1)
            PostMessageA(page, WM_SYSCOMMAND, SC_CLOSE, 0);
        else
            PostMessageA(page, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
        Sleep(300);
        if (!IsWindow(page) || !IsWindowVisible(page))
        {
            fprintf(stderr, "e2e_driver: %s closed \"%s\"\n", ways[way], argv[0]);
            return kFalse;
        }
    }
    return kOk;
}

// watch CAPTION MS: prints "pos=P next=E label=TEXT" for the progress page
// as it opens and at each change, until Next is enabled (0) or the page
// closes or the time runs out (1). Next's state is read before the bar's
// position: the page answers the position only between its handlers, so a
// page that enabled Next before moving the bar in one handler could
// otherwise be caught half way.
static int CommandWatch(char** argv)
{
    DWORD start = GetTickCount(), ms = (DWORD)atol(argv[1]);
    HWND page = WaitWindow(argv[0], ms);
    if (page == NULL)
        return kFalse;
    HWND bar = GetDlgItem(page, IDC_PROGRESS_BAR), next = GetDlgItem(page, IDC_NEXT);
    char line[400], last[400] = "", label[300];
    for (;;)
    {
        int enabled = IsWindowEnabled(next) ? 1 : 0;
        DWORD_PTR position = 0;
        if (!SendAndWait(bar, PBM_GETPOS, 0, 0, &position) ||
            !ReadWindowText(GetDlgItem(page, IDC_CURRENT_FILE), label, sizeof label))
        {
            fprintf(stderr, "e2e_driver: \"%s\" closed while watched\n", argv[0]);
            return kFalse;
        }
        snprintf(line, sizeof line, "pos=%d next=%d label=%s", (int)position, enabled, label);
        if (strcmp(line, last) != 0)
            printf("%s\n", strcpy(last, line));
        if (enabled)
            return kOk;
        if (GetTickCount() - start >= ms)
            return kFalse;
        Sleep(1);
    }
}

// browse CAPTION PATH: BFFM_SETSELECTIONA takes a path in the browser's own
// address space, so the path is copied there first. The selection goes
// through the same notification as a click, so the owner's status callback
// runs as it would for a user.
static int CommandBrowse(char** argv)
{
    HWND browser = RequireWindow(argv[0]);
    if (browser == NULL)
        return kMissing;
    // Under qemu the browser fills its tree after it shows and then selects
    // its root, which sets the status line and would undo a selection made
    // earlier. The 64-bit browser is ready at once and leaves the line empty,
    // so the wait is bounded: two seconds times E2E_SLOW.
    char slow[8] = "1", status[MAX_PATH] = "";
    GetEnvironmentVariableA("E2E_SLOW", slow, sizeof slow);
    const DWORD ready = 2000 * (DWORD)atoi(slow);
    for (DWORD start = GetTickCount(); GetTickCount() - start < ready; Sleep(100))
    {
        HWND line = GetDlgItem(browser, kBrowserStatusId);
        if (line != NULL && ReadWindowText(line, status, sizeof status) && status[0] != 0)
            break;
    }
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
        fprintf(stderr, "e2e_driver: could not select %s in \"%s\"\n", argv[1], argv[0]);
    if (remote != NULL)
        VirtualFreeEx(process, remote, 0, MEM_RELEASE);
    if (process != NULL)
        CloseHandle(process);
    return selected ? kOk : kFalse;
}

// read-link FILE
static int CommandReadLink(char** argv)
{
    char text[6 * MAX_PATH + 64];
    if (!ReadLinkText(argv[0], text, sizeof text))
    {
        fprintf(stderr, "e2e_driver: cannot load %s as a shortcut\n", argv[0]);
        return kFalse;
    }
    printf("%s", text);
    return kOk;
}

// special-folder CSIDL
static int CommandSpecialFolder(char** argv)
{
    char path[MAX_PATH];
    if (!SHGetSpecialFolderPathA(NULL, path, atoi(argv[0]), FALSE))
        return kFalse;
    printf("%s\n", path);
    return kOk;
}

struct DriverCommand
{
    const char* name;
    int words;
    int (*run)(char** argv);
};

static const DriverCommand kCommands[] = {
    {"wait", 2, CommandWait},          {"gone", 2, CommandGone},
    {"click", 2, CommandClick},        {"check", 3, CommandCheck},
    {"checked", 2, CommandChecked},    {"text", 2, CommandText},
    {"close", 1, CommandClose},        {"try-close", 1, CommandTryClose},
    {"watch", 2, CommandWatch},        {"browse", 2, CommandBrowse},
    {"read-link", 1, CommandReadLink}, {"special-folder", 1, CommandSpecialFolder},
};

static int RunOne(int argc, char** argv)
{
    for (const DriverCommand& command : kCommands)
        if (strcmp(argv[0], command.name) == 0 && argc - 1 == command.words)
            return command.run(argv + 1);
    fprintf(stderr, "e2e_driver: unknown subcommand or wrong word count: %s\n", argv[0]);
    return kMissing;
}

// Runs subcommands chained with "--"; the status of the first that fails.
static int RunChain(int argc, char** argv)
{
    int start = 0;
    while (start < argc)
    {
        int end = start;
        while (end < argc && strcmp(argv[end], "--") != 0)
            end++;
        int status = end > start ? RunOne(end - start, argv + start) : kMissing;
        if (status != kOk)
            return status;
        start = end + 1;
    }
    return start > 0 ? kOk : kMissing;
}

// "serve": one chain a line from standard input, its words split by tabs,
// until an empty line; after each, its output ends with the byte 0x1E, the
// status and a line end. The end is a line, not the end of the input: Wine's
// server may hold the pipe open.
// Under qemu each start of a 32-bit Wine program costs half a minute, so a
// test session starts the driver once.
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
            WideCharToMultiByte(CP_ACP, 0, wide, -1, line, sizeof line, NULL, NULL) == 0)
            line[0] = 0;
        if (line[0] == 0)
            break;
        char* words[64];
        int count = 0;
        for (char* word = line; word != NULL && count < 64; count++)
        {
            words[count] = word;
            word = strchr(word, '\t');
            if (word != NULL)
                *word++ = 0;
        }
        printf("\x1e%d\n", RunChain(count, words));
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
    return RunChain(argc - 1, argv + 1);
}
