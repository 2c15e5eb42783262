// The completion page's dialog procedure: the readme box, read when Finish
// is pressed.
#include "wizard/completion_page.h"

#include "res/resource_ids.h"
#include "wizard/page_common.h"

int gViewReadme = 0;

static INT_PTR OnCompletionInit(HWND page)
{
    SetPageIcon(page);
    return TRUE; // focus goes to "Finish"; the readme box starts clear
}

// The box is read only when Finish is pressed; IDCANCEL is ignored.
static INT_PTR OnCompletionCommand(HWND page, int id)
{
    if (id != IDC_NEXT)
        return FALSE;
    if (IsBoxTicked(page, IDC_VIEW_README))
        gViewReadme = 1;
    EndDialog(page, 1);
    return FALSE;
}

INT_PTR CALLBACK CompletionPageProc(HWND page, UINT message, WPARAM wParam, LPARAM)
{
    switch (message)
    {
    case WM_INITDIALOG:
        return OnCompletionInit(page);
    case WM_COMMAND:
        return OnCompletionCommand(page, LOWORD(wParam));
    }
    return FALSE;
}
