// The welcome page's dialog procedure and the install folder, product name
// and wizard flags it sets.
#include "wizard/welcome_page.h"

#include "res/resource_ids.h"
#include "datafile/format.h"
#include "wizard/folder_browser.h"
#include "wizard/install_fit.h"
#include "wizard/page_common.h"

#include <string.h>

// The folder is filled by the page and the name is read-only: initialised
// writable data would take a section of its own, 512 bytes of the file.
char gInstallFolder[kInstallFolderSize];
const char gProductName[kProductNameSize] = "Tremlok";
int gCancelled = 0;
unsigned char gDesktopShortcut = 0;

static INT_PTR OnWelcomeInit(HWND page)
{
    static const char kDefaultFolder[] = "C:\\Program Files\\Tremlok";
    if (gInstallFolder[0] == 0)
        memcpy(gInstallFolder, kDefaultFolder, sizeof kDefaultFolder);
    SetPageIcon(page);
    UntickBox(page, IDC_DESKTOP_SHORTCUT);
    SetDlgItemTextA(page, IDC_INSTALL_FOLDER, gInstallFolder);
    UpdateWindow(page);
    return TRUE; // focus goes to the first tab stop, "Install >"
}

// IDCANCEL (Escape, Alt+F4, the close button) falls through to FALSE: the
// page closes only through Install or Cancel.
static INT_PTR OnWelcomeCommand(HWND page, int id)
{
    switch (id)
    {
    case IDC_CANCEL:
        gCancelled = 1;
        EndDialog(page, 0);
        return TRUE;
    case IDC_BROWSE:
        BrowseForInstallFolder(page);
        return TRUE;
    case IDC_NEXT:
    {
        char refusal[kEntryNameSize + 128];
        if (!InstallFits(gInstallFolder, refusal, sizeof refusal))
        {
            SetDlgItemTextA(page, IDC_WELCOME_NOTE, refusal);
            return TRUE;
        }
        if (IsBoxTicked(page, IDC_DESKTOP_SHORTCUT))
            gDesktopShortcut = 1;
        EndDialog(page, 1);
        return TRUE;
    }
    }
    return FALSE;
}

INT_PTR CALLBACK WelcomePageProc(HWND page, UINT message, WPARAM wParam, LPARAM)
{
    switch (message)
    {
    case WM_INITDIALOG:
        return OnWelcomeInit(page);
    case WM_COMMAND:
        return OnWelcomeCommand(page, LOWORD(wParam));
    }
    return FALSE;
}
