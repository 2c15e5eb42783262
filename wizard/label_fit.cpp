#include "wizard/label_fit.h"

#include <string.h>

#include "datafile/format.h"
#include "platform/text.h"

static bool FitsWidth(HDC dc, const char* text, LONG width)
{
    SIZE extent = {0, 0};
    return GetTextExtentPoint32A(dc, text, lstrlenA(text), &extent) && extent.cx <= width;
}

void FitPathToLabel(HWND label, const char* lead, const char* path, char* out, size_t size)
{
    if (!JoinText(out, size, lead, path, nullptr))
        return;
    RECT box;
    GetClientRect(label, &box);
    HDC dc = GetDC(label);
    if (!dc)
        return;
    // Measured in the font the label draws with, not the DC's default.
    HGDIOBJ font = (HGDIOBJ)SendMessageA(label, WM_GETFONT, 0, 0);
    HGDIOBJ previous = font ? SelectObject(dc, font) : NULL;
    const char* name = strrchr(path, '\\');
    char start[kCurrentFileSize];
    size_t head = name ? (size_t)(name - path) : 0;
    if (head >= sizeof start)
        head = sizeof start - 1;
    // A shortened text that would not fit size comes back empty: shorten on.
    while (head > 0 && (!out[0] || !FitsWidth(dc, out, box.right)))
    {
        --head;
        memcpy(start, path, head);
        start[head] = 0;
        JoinText(out, size, lead, start, "...", name, nullptr);
    }
    if (!out[0])
        JoinText(out, size, lead, path, nullptr);
    if (previous)
        SelectObject(dc, previous);
    ReleaseDC(label, dc);
}
