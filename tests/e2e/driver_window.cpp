#include "tests/e2e/driver_window.h"

#include <stdlib.h>
#include <string.h>

static const DWORD kAnswerTimeoutMs = 5000;

bool CaptionMatches(const char* pattern, const char* text)
{
    while (*pattern != '\0')
    {
        if (*pattern == '*')
        {
            // Try every split point; captions are short, so the backtracking
            // stays cheap.
            for (const char* rest = text;; rest++)
            {
                if (CaptionMatches(pattern + 1, rest))
                    return true;
                if (*rest == '\0')
                    return false;
            }
        }
        if (*pattern != *text)
            return false;
        pattern++;
        text++;
    }
    return *text == '\0';
}

struct WindowSearch
{
    const char* pattern;
    HWND found;
};

static BOOL CALLBACK VisitTopWindow(HWND window, LPARAM data)
{
    WindowSearch* search = (WindowSearch*)data;
    if (!IsWindowVisible(window))
        return TRUE;
    char caption[512];
    if (!ReadWindowText(window, caption, sizeof caption))
        return TRUE;
    if (CaptionMatches(search->pattern, caption))
    {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

HWND FindTopWindow(const char* pattern)
{
    WindowSearch search = {pattern, NULL};
    EnumWindows(VisitTopWindow, (LPARAM)&search);
    return search.found;
}

HWND WaitTopWindow(const char* pattern, DWORD timeoutMs)
{
    DWORD start = GetTickCount();
    for (;;)
    {
        HWND window = FindTopWindow(pattern);
        if (window != NULL)
            return window;
        if (GetTickCount() - start >= timeoutMs)
            return NULL;
        Sleep(2);
    }
}

HWND FindControl(HWND window, const char* selector)
{
    if (strncmp(selector, "class:", 6) == 0)
        return FindWindowExA(window, NULL, selector + 6, NULL);
    char* end = NULL;
    long id = strtol(selector, &end, 10);
    if (end == selector || *end != '\0')
        return NULL;
    return GetDlgItem(window, (int)id);
}

bool SendAndWait(HWND window, UINT message, WPARAM wParam, LPARAM lParam, DWORD_PTR* result)
{
    DWORD_PTR ignored = 0;
    LRESULT sent = SendMessageTimeoutA(window, message, wParam, lParam, SMTO_ABORTIFHUNG,
                                       kAnswerTimeoutMs, result != NULL ? result : &ignored);
    return sent != 0;
}

bool ReadWindowText(HWND window, char* text, int size)
{
    text[0] = '\0';
    if (size <= 1)
        return true;
    // WM_GETTEXT is one of the messages the system copies across process
    // boundaries, so the buffer may live here.
    DWORD_PTR copied = 0;
    if (!SendAndWait(window, WM_GETTEXT, (WPARAM)size, (LPARAM)text, &copied))
        return false;
    if (copied >= (DWORD_PTR)size)
        copied = size - 1;
    text[copied] = '\0';
    return true;
}
