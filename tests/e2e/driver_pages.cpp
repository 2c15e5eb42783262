// Subcommands over the pages and their controls. Clicks and keys are
// posted, not sent: a button that opens a modal loop (Browse) would
// otherwise keep the driver waiting until that loop ends.
#include <windows.h>
#include <commctrl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "res/resource_ids.h"
#include "tests/e2e/driver.h"

int CommandWait(char** argv)
{
    if (WaitWindow(argv[0], (DWORD)atol(argv[1])) != NULL)
        return kDriverOk;
    fprintf(stderr, "e2e_driver: no window \"%s\" after %s ms\n", argv[0], argv[1]);
    return kDriverFalse;
}

int CommandGone(char** argv)
{
    DWORD start = GetTickCount();
    while (WaitWindow(argv[0], 0) != NULL)
    {
        if (GetTickCount() - start >= (DWORD)atol(argv[1]))
        {
            fprintf(stderr, "e2e_driver: \"%s\" still open after %s ms\n", argv[0], argv[1]);
            return kDriverFalse;
        }
        Sleep(10);
    }
    return kDriverOk;
}

int CommandClick(char** argv)
{
    HWND button = RequireControl(argv[0], argv[1]);
    if (button == NULL)
        return kDriverMissing;
    // A user can press neither a disabled button nor one on a page that a
    // modal window has disabled.
    HWND page = GetParent(button);
    if (!IsWindowVisible(button) || !IsWindowEnabled(button) || !IsWindowEnabled(page))
    {
        fprintf(stderr, "e2e_driver: %s of \"%s\" cannot be pressed now\n", argv[1], argv[0]);
        return kDriverRefused;
    }
    PostMessageA(page, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(button), BN_CLICKED), (LPARAM)button);
    return kDriverOk;
}

int CommandCheck(char** argv)
{
    HWND box = RequireControl(argv[0], argv[1]);
    if (box == NULL)
        return kDriverMissing;
    DWORD_PTR state = 0;
    SendAndWait(box, BM_SETCHECK, atoi(argv[2]) ? BST_CHECKED : BST_UNCHECKED, 0, NULL);
    SendAndWait(box, BM_GETCHECK, 0, 0, &state);
    return (int)state == atoi(argv[2]) ? kDriverOk : kDriverFalse;
}

int CommandChecked(char** argv)
{
    HWND box = RequireControl(argv[0], argv[1]);
    DWORD_PTR state = 0;
    if (box == NULL)
        return kDriverMissing;
    SendAndWait(box, BM_GETCHECK, 0, 0, &state);
    return state == BST_CHECKED ? kDriverOk : kDriverFalse;
}

int CommandText(char** argv)
{
    static char text[65536];
    HWND control = RequireControl(argv[0], argv[1]);
    if (control == NULL)
        return kDriverMissing;
    if (!ReadWindowText(control, text, sizeof text))
        return kDriverFalse;
    printf("%s\n", text);
    return kDriverOk;
}

int CommandClose(char** argv)
{
    HWND window = RequireWindow(argv[0]);
    if (window == NULL)
        return kDriverMissing;
    PostMessageA(window, WM_SYSCOMMAND, SC_CLOSE, 0);
    return kDriverOk;
}

// Escape through the page's dialog manager, the caption's close button and
// a bare IDCANCEL, each followed by a look at whether the same window is
// still open.
int CommandTryClose(char** argv)
{
    HWND page = RequireWindow(argv[0]);
    if (page == NULL)
        return kDriverMissing;
    const char* ways[] = {"Escape", "the close button", "IDCANCEL"};
    for (int way = 0; way < 3; way++)
    {
        if (way == 0)
        {
            LPARAM scan = (LPARAM)MapVirtualKeyA(VK_ESCAPE, MAPVK_VK_TO_VSC) << 16;
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
            return kDriverFalse;
        }
    }
    return kDriverOk;
}

// Prints "pos=P next=E label=TEXT" for the progress page as it opens and at
// each change, until Next is enabled (0) or the page closes or the time runs
// out (1). Next's state is read before the bar's position: the page answers
// the position only between its handlers, so a page that enabled Next before
// moving the bar in one handler could otherwise be caught half way.
int CommandWatch(char** argv)
{
    DWORD start = GetTickCount(), ms = (DWORD)atol(argv[1]);
    HWND page = WaitWindow(argv[0], ms);
    if (page == NULL)
        return kDriverFalse;
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
            return kDriverFalse;
        }
        snprintf(line, sizeof line, "pos=%d next=%d label=%s", (int)position, enabled, label);
        if (strcmp(line, last) != 0)
            printf("%s\n", strcpy(last, line));
        if (enabled)
            return kDriverOk;
        if (GetTickCount() - start >= ms)
            return kDriverFalse;
        Sleep(1);
    }
}
