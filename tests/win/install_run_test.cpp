// The install run over a damaged embedded image, its pages worked from a
// thread timer the way a user would: the progress page says the setup is
// damaged, and the run ends there with a script for what was written, no
// completion page and no shortcut.
#include "app/install_run.h"
#include "datafile/embedded_image.h"
#include "res/resource_ids.h"
#include "wizard/progress_page.h"
#include "wizard/shell_path.h"
#include "wizard/welcome_page.h"

#include "tests/unit/scratch_folder.h"

#include <windows.h>
#include <commctrl.h>

extern const unsigned kTestImageWords; // room in the stand-in gDatfile

namespace
{

std::vector<std::string> gCaptions; // each page, in the order seen
std::string gLabel;                 // the current-file label when Next was pressed
DWORD gStarted;

BOOL CALLBACK FindVisible(HWND window, LPARAM found)
{
    *(HWND*)found = IsWindowVisible(window) ? window : NULL;
    return *(HWND*)found == NULL;
}

// Ticks the desktop box and presses the default button of whichever page is
// open; the progress page's only once it is enabled, or after ten seconds.
VOID CALLBACK WorkThePages(HWND, UINT, UINT_PTR, DWORD)
{
    HWND page = NULL;
    char text[512];
    EnumThreadWindows(GetCurrentThreadId(), FindVisible, (LPARAM)&page);
    if (page == NULL || !GetWindowTextA(page, text, sizeof text))
        return;
    if (gCaptions.empty() || gCaptions.back() != text)
        gCaptions.push_back(text);
    HWND next = GetDlgItem(page, IDC_NEXT);
    CheckDlgButton(page, IDC_DESKTOP_SHORTCUT, BST_CHECKED);
    if (GetDlgItem(page, IDC_PROGRESS_BAR) != NULL)
    {
        if (!IsWindowEnabled(next) && GetTickCount() - gStarted < 10000)
            return;
        GetDlgItemTextA(page, IDC_CURRENT_FILE, text, sizeof text);
        gLabel = text;
    }
    SendMessageA(page, WM_COMMAND, MAKEWPARAM(IDC_NEXT, BN_CLICKED), (LPARAM)next);
}

typedef ScratchTest InstallRunTest;

TEST_F(InstallRunTest, ADamagedImageEndsTheRunAfterTheProgressPage)
{
    // The last record's method byte is one no builder writes.
    const Bytes bytes =
        ArchiveBytes({{"\\good.txt", "fine", kMethodStored}, {"\\bad.txt", "broken", 'X'}});
    ASSERT_LE(bytes.size(), 4 * kTestImageWords);
    memcpy(gDatfile, bytes.data(), bytes.size());
    gSizeDatfile = (unsigned int)bytes.size();
    ASSERT_LT(scratch.size(), sizeof gInstallFolder);
    strcpy(gInstallFolder, scratch.c_str());

    gStarted = GetTickCount();
    UINT_PTR timer = SetTimer(NULL, 0, 50, WorkThePages);
    EXPECT_EQ(1, RunInstall(GetModuleHandleA(NULL)));
    KillTimer(NULL, timer);

    EXPECT_EQ((std::vector<std::string>{"Install Tremlok 0.63", "Installing Tremlok"}), gCaptions);
    EXPECT_EQ(kDamagedText, gLabel);
    EXPECT_EQ("fine", ReadFile(Path("good.txt")));
    EXPECT_FALSE(std::filesystem::exists(Path("bad.txt")));
    EXPECT_EQ("REM This will uninstall Tremlok\r\n\r\ndel \"" + Path("good.txt") +
                  "\"\r\n\r\n\r\ndel \"" + Path("uninst.bat") + "\"\r\n",
              ReadFile(Path("uninst.bat")));
    // None made; one found is removed, so that a faulty run does not fail the next.
    for (auto [csidl, name] :
         {std::pair{CSIDL_PROGRAMS, "Tremlok"}, std::pair{CSIDL_DESKTOPDIRECTORY, "Tremlok.lnk"}})
    {
        char folder[kShellPathSize] = "";
        GetSpecialFolderPath(csidl, folder, sizeof folder);
        std::error_code error;
        EXPECT_EQ(0u, std::filesystem::remove_all(folder + std::string(name), error)) << name;
    }
}

} // namespace
