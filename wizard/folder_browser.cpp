// The welcome page's Browse: the shell's folder browser, with the product
// name added to the folder chosen.
#include "wizard/folder_browser.h"

#include <shlobj.h>
#include <string.h>

#include "platform/text.h"
#include "res/resource_ids.h"
#include "wizard/shell_path.h"
#include "wizard/welcome_page.h"

const char kFolderTooLongText[] = "This folder's path is too long to install into.";
const char kFolderNameText[] = "This folder's name holds characters that Setup cannot use.";

// BIF_STATUSTEXT's message; older headers spell it only for one character set.
const UINT kSetStatusTextA = WM_USER + 100;

int JoinProductName(const char* folder, char* out, size_t size)
{
    if (size == 0)
        return -1;
    out[0] = 0;
    if (folder[0] == 0)
        return -1;
    return JoinText(out, size, folder, gProductName, nullptr) ? 0 : -1;
}

// Writes the install folder that choosing idList would give into out.
// Returns null, or why that folder cannot be had: the shell has no path for
// it that the ANSI code page holds, or it would not fit the install folder.
static const char* InstallFolderFor(LPCITEMIDLIST idList, char* out, size_t size)
{
    char folder[kShellPathSize];
    HRESULT found = PathFromIdList(idList, folder, sizeof folder);
    out[0] = 0;
    if (found == kNameNotInCodePage)
        return kFolderNameText;
    return SUCCEEDED(found) && JoinProductName(folder, out, size) == 0 ? nullptr
                                                                       : kFolderTooLongText;
}

int CALLBACK BrowseStatusCallback(HWND window, UINT message, LPARAM lParam, LPARAM)
{
    if (message != BFFM_SELCHANGED)
        return 1;
    char status[kInstallFolderSize];
    const char* refused = InstallFolderFor((LPCITEMIDLIST)lParam, status, sizeof status);
    SendMessageA(window, kSetStatusTextA, 0, (LPARAM)(refused ? refused : status));
    return 1;
}

void BrowseForInstallFolder(HWND page)
{
    char displayName[MAX_PATH];
    BROWSEINFOA info;
    memset(&info, 0, sizeof info);
    info.hwndOwner = page;
    info.pidlRoot = NULL;
    info.pszDisplayName = displayName;
    info.lpszTitle = "Please select the folder into which to install Tremlok";
    info.ulFlags = BIF_RETURNONLYFSDIRS | BIF_STATUSTEXT;
    info.lpfn = BrowseStatusCallback;
    info.lParam = 0;
    LPITEMIDLIST chosen = SHBrowseForFolderA(&info);
    if (chosen == NULL)
        return;
    char folder[kInstallFolderSize];
    const char* refused = InstallFolderFor(chosen, folder, sizeof folder);
    CoTaskMemFree(chosen);
    SetDlgItemTextA(page, IDC_WELCOME_NOTE, refused ? refused : "");
    if (refused)
        return;
    memcpy(gInstallFolder, folder, sizeof gInstallFolder);
    SetDlgItemTextA(page, IDC_INSTALL_FOLDER, gInstallFolder);
}
