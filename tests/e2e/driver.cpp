// A console program that works another program's windows the way a user
// would, for the end-to-end tests under Wine. Subcommands chained with "--"
// run back to back in one process, without a Wine start-up between them:
//
//   e2e_driver click "Install Tremlok 0.63" 1036 -- watch "Installing Tremlok" 60000
//
// The chain stops at the first subcommand that does not return 0, and the
// program exits with its code.
#include <fcntl.h>
#include <io.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "tests/e2e/driver.h"

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

static HWND FindTopWindow(const char* caption)
{
    FoundWindow found = {caption, NULL};
    EnumWindows(VisitTopWindow, (LPARAM)&found);
    return found.window;
}

HWND RequireWindow(const char* caption)
{
    HWND window = FindTopWindow(caption);
    if (window == NULL)
        fprintf(stderr, "e2e_driver: no window \"%s\"\n", caption);
    return window;
}

HWND WaitWindow(const char* caption, DWORD ms)
{
    DWORD start = GetTickCount();
    HWND window;
    while ((window = FindTopWindow(caption)) == NULL && GetTickCount() - start < ms)
        Sleep(2);
    return window;
}

HWND RequireControl(const char* caption, const char* selector)
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

bool SendAndWait(HWND window, UINT message, WPARAM wParam, LPARAM lParam, DWORD_PTR* result)
{
    DWORD_PTR ignored = 0;
    return SendMessageTimeoutA(window, message, wParam, lParam, SMTO_ABORTIFHUNG, 5000,
                               result != NULL ? result : &ignored) != 0;
}

bool ReadWindowText(HWND window, char* text, int size)
{
    // WM_GETTEXT is copied across processes, so the buffer may live here.
    DWORD_PTR copied = 0;
    text[0] = '\0';
    if (!SendAndWait(window, WM_GETTEXT, (WPARAM)size, (LPARAM)text, &copied))
        return false;
    text[copied < (DWORD_PTR)size ? copied : size - 1] = '\0';
    return true;
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
    {
        if (strcmp(argv[0], command.name) == 0 && argc - 1 == command.words)
            return command.run(argv + 1);
    }
    fprintf(stderr, "e2e_driver: unknown subcommand or wrong word count: %s\n", argv[0]);
    return kDriverMissing;
}

int main(int argc, char** argv)
{
    // The tests compare the output byte for byte; no CR before each LF.
    _setmode(_fileno(stdout), _O_BINARY);
    setvbuf(stdout, NULL, _IONBF, 0);
    int start = 1;
    while (start < argc)
    {
        int end = start;
        while (end < argc && strcmp(argv[end], "--") != 0)
            end++;
        int status = end > start ? RunOne(end - start, argv + start) : kDriverMissing;
        if (status != kDriverOk)
            return status;
        start = end + 1;
    }
    return start > 1 ? kDriverOk : kDriverMissing;
}
