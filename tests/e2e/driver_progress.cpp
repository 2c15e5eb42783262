// Reading a progress page: the bar's position, and a trace of the page
// from the moment it opens until its button is enabled.
#include <windows.h>
#include <commctrl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "tests/e2e/driver_commands.h"
#include "tests/e2e/driver_window.h"

int CommandProgressPos(int argc, char** argv)
{
    if (argc != 2)
    {
        fprintf(stderr, "usage: e2e_driver progress-pos CAPTION ID\n");
        return kDriverUsage;
    }
    HWND window = FindTopWindow(argv[0]);
    HWND bar = window != NULL ? FindControl(window, argv[1]) : NULL;
    if (bar == NULL)
    {
        fprintf(stderr, "e2e_driver: no progress bar %s on \"%s\"\n", argv[1], argv[0]);
        return kDriverUsage;
    }
    DWORD_PTR position = 0;
    if (!SendAndWait(bar, PBM_GETPOS, 0, 0, &position))
        return kDriverFalse;
    printf("%d\n", (int)position);
    return kDriverOk;
}

struct PageSample
{
    int enabled;
    int position;
    char label[300];
};

// The button's state is read before the bar's position on purpose. The
// state is read straight from the window while the position is a message
// that the page answers only between two of its own handlers; a page that
// enables its button and then moves the bar within one handler could
// otherwise be caught half way, with the button on and the bar behind.
static bool TakeSample(HWND bar, HWND button, HWND label, PageSample* sample)
{
    sample->enabled = IsWindowEnabled(button) ? 1 : 0;
    DWORD_PTR position = 0;
    if (!SendAndWait(bar, PBM_GETPOS, 0, 0, &position))
        return false;
    sample->position = (int)position;
    return ReadWindowText(label, sample->label, sizeof sample->label);
}

static bool SameSample(const PageSample* a, const PageSample* b)
{
    return a->enabled == b->enabled && a->position == b->position &&
           strcmp(a->label, b->label) == 0;
}

// Prints one line per change of the page: "pos=P next=E label=TEXT". Ends
// with 0 once the button is enabled, 1 when the page closes or the time
// runs out first.
int CommandWatchProgress(int argc, char** argv)
{
    if (argc != 5)
    {
        fprintf(stderr, "usage: e2e_driver watch-progress CAPTION BAR BUTTON LABEL MS\n");
        return kDriverUsage;
    }
    DWORD timeoutMs = (DWORD)strtoul(argv[4], NULL, 10);
    DWORD start = GetTickCount();
    HWND window = WaitTopWindow(argv[0], timeoutMs);
    if (window == NULL)
    {
        fprintf(stderr, "e2e_driver: no window \"%s\"\n", argv[0]);
        return kDriverFalse;
    }
    HWND bar = FindControl(window, argv[1]);
    HWND button = FindControl(window, argv[2]);
    HWND label = FindControl(window, argv[3]);
    if (bar == NULL || button == NULL || label == NULL)
    {
        fprintf(stderr, "e2e_driver: \"%s\" lacks one of %s %s %s\n", argv[0], argv[1], argv[2],
                argv[3]);
        return kDriverUsage;
    }
    PageSample last;
    memset(&last, 0, sizeof last);
    last.position = -1;
    for (;;)
    {
        PageSample sample;
        if (!IsWindow(window) || !TakeSample(bar, button, label, &sample))
        {
            fprintf(stderr, "e2e_driver: \"%s\" closed while watched\n", argv[0]);
            return kDriverFalse;
        }
        if (!SameSample(&sample, &last))
        {
            printf("pos=%d next=%d label=%s\n", sample.position, sample.enabled, sample.label);
            last = sample;
        }
        if (sample.enabled)
            return kDriverOk;
        if (GetTickCount() - start >= timeoutMs)
        {
            fprintf(stderr, "e2e_driver: \"%s\" not finished after %lu ms\n", argv[0],
                    (unsigned long)timeoutMs);
            return kDriverFalse;
        }
        Sleep(1);
    }
}
