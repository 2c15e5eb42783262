// Shortening a text that ends in a path to its label's width, the path cut
// in the middle.
#include "wizard/label_fit.h"

#include <string.h>

#include "datafile/format.h"
#include "platform/text.h"

// Whether out holds a text (JoinText leaves it empty when it did not fit its
// buffer) no wider than the label; without a DC, any text fits.
static bool FitsLabel(HDC dc, const char* out, LONG width)
{
    SIZE extent = {0, 0};
    return out[0] && (!dc || (GetTextExtentPoint32A(dc, out, (int)strlen(out), &extent) &&
                              extent.cx <= width));
}

void FitPathToLabel(HWND label, const char* lead, const char* path, char* out, size_t size)
{
    if (size == 0)
        return;
    RECT box = {0, 0, 0, 0};
    GetClientRect(label, &box);
    HDC dc = GetDC(label);
    // Measured in the font the label draws with, not the DC's default.
    HGDIOBJ font = (HGDIOBJ)SendMessageA(label, WM_GETFONT, 0, 0);
    HGDIOBJ previous = dc && font ? SelectObject(dc, font) : NULL;
    const char* name = strrchr(path, '\\');
    char start[kCurrentFileSize];
    size_t head = name ? (size_t)(name - path) : 0;
    if (head >= sizeof start)
        head = sizeof start - 1;
    JoinText(out, size, lead, path, nullptr);
    while (head > 0 && !FitsLabel(dc, out, box.right))
    {
        --head;
        memcpy(start, path, head);
        start[head] = 0;
        JoinText(out, size, lead, start, "...", name, nullptr);
    }
    if (!out[0])
        JoinText(out, size, lead, nullptr);
    if (previous)
        SelectObject(dc, previous);
    if (dc)
        ReleaseDC(label, dc);
}
