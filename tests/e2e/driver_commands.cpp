// Subcommands over windows and their controls. Clicks and keys are posted,
// not sent: a button that opens a modal loop (Browse) would otherwise keep
// the driver waiting until that loop ends.
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "tests/e2e/driver_commands.h"
#include "tests/e2e/driver_window.h"

static bool ParseNumber(const char* text, long* value)
{
    char* end = NULL;
    *value = strtol(text, &end, 10);
    return end != text && *end == '\0';
}

static bool WrongCount(int argc, int wanted, const char* usage)
{
    if (argc == wanted)
        return false;
    fprintf(stderr, "usage: e2e_driver %s\n", usage);
    return true;
}

// The window named by caption, or null after telling why.
static HWND RequireWindow(const char* caption)
{
    HWND window = FindTopWindow(caption);
    if (window == NULL)
        fprintf(stderr, "e2e_driver: no window \"%s\"\n", caption);
    return window;
}

static HWND RequireControl(HWND window, const char* caption, const char* selector)
{
    HWND control = FindControl(window, selector);
    if (control == NULL)
        fprintf(stderr, "e2e_driver: window \"%s\" has no control %s\n", caption, selector);
    return control;
}

static void PrintWindowLine(HWND window)
{
    char className[128];
    char text[512];
    if (GetClassNameA(window, className, sizeof className) == 0)
        className[0] = '\0';
    ReadWindowText(window, text, sizeof text);
    printf("%d\t%s\t%s\t%s\t%s\n", GetDlgCtrlID(window), className,
           IsWindowVisible(window) ? "visible" : "hidden",
           IsWindowEnabled(window) ? "enabled" : "disabled", text);
}

static BOOL CALLBACK PrintTopWindow(HWND window, LPARAM)
{
    if (!IsWindowVisible(window))
        return TRUE;
    char className[128];
    char text[512];
    if (GetClassNameA(window, className, sizeof className) == 0)
        className[0] = '\0';
    ReadWindowText(window, text, sizeof text);
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    printf("%lu\t%s\t%s\n", (unsigned long)process, className, text);
    return TRUE;
}

int CommandList(int argc, char**)
{
    if (WrongCount(argc, 0, "list"))
        return kDriverUsage;
    EnumWindows(PrintTopWindow, 0);
    return kDriverOk;
}

static BOOL CALLBACK PrintChild(HWND window, LPARAM)
{
    PrintWindowLine(window);
    return TRUE;
}

int CommandChildren(int argc, char** argv)
{
    if (WrongCount(argc, 1, "children CAPTION"))
        return kDriverUsage;
    HWND window = RequireWindow(argv[0]);
    if (window == NULL)
        return kDriverUsage;
    EnumChildWindows(window, PrintChild, 0);
    return kDriverOk;
}

int CommandWaitWindow(int argc, char** argv)
{
    long timeoutMs = 0;
    if (WrongCount(argc, 2, "wait-window CAPTION MS") || !ParseNumber(argv[1], &timeoutMs))
        return kDriverUsage;
    if (WaitTopWindow(argv[0], (DWORD)timeoutMs) != NULL)
        return kDriverOk;
    fprintf(stderr, "e2e_driver: no window \"%s\" after %ld ms\n", argv[0], timeoutMs);
    return kDriverFalse;
}

int CommandWaitGone(int argc, char** argv)
{
    long timeoutMs = 0;
    if (WrongCount(argc, 2, "wait-gone CAPTION MS") || !ParseNumber(argv[1], &timeoutMs))
        return kDriverUsage;
    DWORD start = GetTickCount();
    while (FindTopWindow(argv[0]) != NULL)
    {
        if (GetTickCount() - start >= (DWORD)timeoutMs)
        {
            fprintf(stderr, "e2e_driver: window \"%s\" still open after %ld ms\n", argv[0],
                    timeoutMs);
            return kDriverFalse;
        }
        Sleep(10);
    }
    return kDriverOk;
}

int CommandStillOpen(int argc, char** argv)
{
    long waitMs = 0;
    if (WrongCount(argc, 2, "still-open CAPTION MS") || !ParseNumber(argv[1], &waitMs))
        return kDriverUsage;
    HWND window = RequireWindow(argv[0]);
    if (window == NULL)
        return kDriverUsage;
    Sleep((DWORD)waitMs);
    // The same window, not a new one with the same caption.
    if (IsWindow(window) && IsWindowVisible(window))
        return kDriverOk;
    fprintf(stderr, "e2e_driver: window \"%s\" closed within %ld ms\n", argv[0], waitMs);
    return kDriverFalse;
}

int CommandClick(int argc, char** argv)
{
    if (WrongCount(argc, 2, "click CAPTION ID"))
        return kDriverUsage;
    HWND window = RequireWindow(argv[0]);
    if (window == NULL)
        return kDriverUsage;
    HWND button = RequireControl(window, argv[0], argv[1]);
    if (button == NULL)
        return kDriverUsage;
    // A user can press neither a disabled button nor one on a page that a
    // modal window has disabled.
    if (!IsWindowVisible(button) || !IsWindowEnabled(button) || !IsWindowEnabled(window))
    {
        fprintf(stderr, "e2e_driver: control %s of \"%s\" cannot be pressed now\n", argv[1],
                argv[0]);
        return kDriverRefused;
    }
    PostMessageA(window, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(button), BN_CLICKED), (LPARAM)button);
    return kDriverOk;
}

int CommandCheck(int argc, char** argv)
{
    long wanted = 0;
    if (WrongCount(argc, 3, "check CAPTION ID 0|1") || !ParseNumber(argv[2], &wanted) ||
        (wanted != 0 && wanted != 1))
        return kDriverUsage;
    HWND window = RequireWindow(argv[0]);
    if (window == NULL)
        return kDriverUsage;
    HWND box = RequireControl(window, argv[0], argv[1]);
    if (box == NULL)
        return kDriverUsage;
    if (!IsWindowVisible(box) || !IsWindowEnabled(box))
        return kDriverRefused;
    SendAndWait(box, BM_SETCHECK, wanted ? BST_CHECKED : BST_UNCHECKED, 0, NULL);
    DWORD_PTR state = 0;
    if (!SendAndWait(box, BM_GETCHECK, 0, 0, &state) || (long)state != wanted)
    {
        fprintf(stderr, "e2e_driver: box %s did not take state %ld\n", argv[1], wanted);
        return kDriverFalse;
    }
    return kDriverOk;
}

int CommandGetCheck(int argc, char** argv)
{
    if (WrongCount(argc, 2, "get-check CAPTION ID"))
        return kDriverUsage;
    HWND window = RequireWindow(argv[0]);
    if (window == NULL)
        return kDriverUsage;
    HWND box = RequireControl(window, argv[0], argv[1]);
    if (box == NULL)
        return kDriverUsage;
    DWORD_PTR state = 0;
    if (!SendAndWait(box, BM_GETCHECK, 0, 0, &state))
        return kDriverFalse;
    printf("%d\n", (int)state);
    return kDriverOk;
}

int CommandGetText(int argc, char** argv)
{
    if (argc != 1 && argc != 2)
    {
        fprintf(stderr, "usage: e2e_driver get-text CAPTION [ID|class:NAME]\n");
        return kDriverUsage;
    }
    HWND window = RequireWindow(argv[0]);
    if (window == NULL)
        return kDriverUsage;
    HWND target = window;
    if (argc == 2)
    {
        target = RequireControl(window, argv[0], argv[1]);
        if (target == NULL)
            return kDriverUsage;
    }
    DWORD_PTR length = 0;
    if (!SendAndWait(target, WM_GETTEXTLENGTH, 0, 0, &length))
        return kDriverFalse;
    // Headroom for a text that grows between the two messages.
    int size = (int)length + 256;
    char* text = (char*)malloc(size);
    if (text == NULL)
        return kDriverFalse;
    bool read = ReadWindowText(target, text, size);
    if (read)
        printf("%s\n", text);
    free(text);
    return read ? kDriverOk : kDriverFalse;
}

int CommandIsEnabled(int argc, char** argv)
{
    if (WrongCount(argc, 2, "is-enabled CAPTION ID"))
        return kDriverUsage;
    HWND window = RequireWindow(argv[0]);
    if (window == NULL)
        return kDriverUsage;
    HWND control = RequireControl(window, argv[0], argv[1]);
    if (control == NULL)
        return kDriverUsage;
    printf("%d\n", IsWindowEnabled(control) ? 1 : 0);
    return kDriverOk;
}

// The window that receives the keyboard for window's thread: the focused
// control when it belongs to window, else window itself.
static HWND KeyboardTarget(HWND window)
{
    GUITHREADINFO info;
    memset(&info, 0, sizeof info);
    info.cbSize = sizeof info;
    DWORD thread = GetWindowThreadProcessId(window, NULL);
    if (GetGUIThreadInfo(thread, &info) && info.hwndFocus != NULL &&
        (info.hwndFocus == window || IsChild(window, info.hwndFocus)))
        return info.hwndFocus;
    return window;
}

int CommandSendKey(int argc, char** argv)
{
    if (WrongCount(argc, 2, "send-key CAPTION escape|enter|alt-f4"))
        return kDriverUsage;
    HWND window = RequireWindow(argv[0]);
    if (window == NULL)
        return kDriverUsage;
    HWND target = KeyboardTarget(window);
    const LPARAM kRepeatOne = 1;
    const LPARAM kAltDown = (LPARAM)1 << 29;
    const LPARAM kKeyUp = ((LPARAM)1 << 30) | ((LPARAM)1 << 31);
    const char* key = argv[1];
    if (strcmp(key, "escape") == 0 || strcmp(key, "enter") == 0)
    {
        UINT vk = key[0] == 'e' && key[1] == 's' ? VK_ESCAPE : VK_RETURN;
        LPARAM scan = (LPARAM)MapVirtualKeyA(vk, MAPVK_VK_TO_VSC) << 16;
        // Goes through the page's message loop, where the dialog manager
        // turns Escape into IDCANCEL and Enter into the default button.
        PostMessageA(target, WM_KEYDOWN, vk, kRepeatOne | scan);
        PostMessageA(target, WM_KEYUP, vk, kRepeatOne | scan | kKeyUp);
        return kDriverOk;
    }
    if (strcmp(key, "alt-f4") == 0)
    {
        LPARAM scan = (LPARAM)MapVirtualKeyA(VK_F4, MAPVK_VK_TO_VSC) << 16;
        PostMessageA(target, WM_SYSKEYDOWN, VK_F4, kRepeatOne | scan | kAltDown);
        PostMessageA(target, WM_SYSKEYUP, VK_F4, kRepeatOne | scan | kAltDown | kKeyUp);
        return kDriverOk;
    }
    fprintf(stderr, "e2e_driver: unknown key %s\n", key);
    return kDriverUsage;
}

int CommandClose(int argc, char** argv)
{
    if (WrongCount(argc, 1, "close CAPTION"))
        return kDriverUsage;
    HWND window = RequireWindow(argv[0]);
    if (window == NULL)
        return kDriverUsage;
    // What the caption's close button sends.
    PostMessageA(window, WM_SYSCOMMAND, SC_CLOSE, 0);
    return kDriverOk;
}

int CommandPostCommand(int argc, char** argv)
{
    long id = 0;
    if (WrongCount(argc, 2, "command CAPTION ID") || !ParseNumber(argv[1], &id))
        return kDriverUsage;
    HWND window = RequireWindow(argv[0]);
    if (window == NULL)
        return kDriverUsage;
    // Unlike click, sent whether or not such a control exists: IDCANCEL
    // arrives this way from the dialog manager.
    PostMessageA(window, WM_COMMAND, MAKEWPARAM((WORD)id, BN_CLICKED),
                 (LPARAM)GetDlgItem(window, (int)id));
    return kDriverOk;
}

int CommandSleep(int argc, char** argv)
{
    long ms = 0;
    if (WrongCount(argc, 1, "sleep MS") || !ParseNumber(argv[0], &ms) || ms < 0)
        return kDriverUsage;
    Sleep((DWORD)ms);
    return kDriverOk;
}
