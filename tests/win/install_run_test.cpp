// The install runs that cannot complete, their pages worked from a thread
// timer the way a user would: over a damaged embedded image, or with files
// that cannot be written, the progress page says so in place of "Complete",
// and the run ends there with a script for what was written, no completion
// page and no shortcut. Throughout, COM is ready on the pages' thread for the
// folder browser, and it is taken down again at the end.
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
bool gComOnWelcome; // COM was already set up on the thread when the welcome page showed

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
    if (gCaptions.size() == 1)
    {
        HRESULT com = CoInitialize(NULL);
        gComOnWelcome = com == S_FALSE;
        if (SUCCEEDED(com))
            CoUninitialize();
    }
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

// The label names the count and the first file, its path shortened in the
// middle or whole: what comes before any "..." starts the path.
void ExpectNotWrittenLabel(const std::string& label, const std::string& lead,
                           const std::string& first)
{
    const std::string name = first.substr(first.rfind('\\'));
    ASSERT_EQ(lead, label.substr(0, lead.size())) << label;
    ASSERT_GE(label.size(), lead.size() + name.size()) << label;
    EXPECT_EQ(name, label.substr(label.size() - name.size())) << label;
    const std::string shown = label.substr(lead.size());
    const size_t dots = shown.find("...");
    EXPECT_EQ(0u, first.find(dots == std::string::npos ? shown : shown.substr(0, dots))) << label;
}

struct FailedRun
{
    const char* what;
    std::vector<RecordLayout> records;
    std::vector<std::string> inTheWay; // folders made where these files go
    int notWritten;                    // 0: the label says the image is damaged
    std::string first;                 // the first file not written
};

// With the scratch folder, its path and the label's lead outgrow the
// label's 255 characters.
const std::string kLongName = std::string(150, 'n') + ".txt";

const std::vector<FailedRun> kFailedRuns = {
    // The last record's method byte is one no builder writes.
    {"damaged image",
     {{"\\good.txt", "fine", kMethodStored}, {"\\bad.txt", "broken", 'X'}},
     {},
     0,
     "bad.txt"},
    {"one file in the way",
     {{"\\bad.txt", "in the way", kMethodStored}, {"\\good.txt", "fine", kMethodStored}},
     {"bad.txt"},
     1,
     "bad.txt"},
    {"two files in the way",
     {{"\\bad.txt", "in the way", kMethodStored},
      {"\\good.txt", "fine", kMethodStored},
      {"\\zed.txt", "in the way too", kMethodStored}},
     {"zed.txt", "bad.txt"},
     2,
     "bad.txt"},
    {"a long name in the way",
     {{"\\" + kLongName, "in the way", kMethodStored}, {"\\good.txt", "fine", kMethodStored}},
     {kLongName},
     1,
     kLongName},
};

typedef ScratchTest InstallRunTest;

TEST_F(InstallRunTest, AFailedExtractionEndsTheRunAfterTheProgressPage)
{
    for (const FailedRun& run : kFailedRuns)
    {
        SCOPED_TRACE(run.what);
        std::error_code error;
        for (const std::string& name : run.inTheWay)
            std::filesystem::create_directory(Path(name));
        const Bytes bytes = ArchiveBytes(run.records);
        ASSERT_LE(bytes.size(), 4 * kTestImageWords);
        memcpy(gDatfile, bytes.data(), bytes.size());
        gSizeDatfile = (unsigned int)bytes.size();
        ASSERT_LT(scratch.size(), sizeof gInstallFolder);
        strcpy(gInstallFolder, scratch.c_str());
        gCaptions.clear();
        gComOnWelcome = false;

        gStarted = GetTickCount();
        UINT_PTR timer = SetTimer(NULL, 0, 50, WorkThePages);
        EXPECT_EQ(1, RunInstall(GetModuleHandleA(NULL)));
        KillTimer(NULL, timer);

        EXPECT_TRUE(gComOnWelcome);
        EXPECT_EQ(S_OK, CoInitialize(NULL)) << "COM was left set up after the run";
        CoUninitialize();
        EXPECT_EQ((std::vector<std::string>{"Install Tremlok 0.63", "Installing Tremlok"}),
                  gCaptions);
        if (run.notWritten == 0)
            EXPECT_EQ(kDamagedText, gLabel);
        else
            ExpectNotWrittenLabel(gLabel,
                                  std::to_string(run.notWritten) + (run.notWritten == 1
                                                                        ? kNotWrittenOneText
                                                                        : kNotWrittenManyText),
                                  Path(run.first));
        EXPECT_EQ("fine", ReadFile(Path("good.txt")));
        EXPECT_FALSE(std::filesystem::is_regular_file(Path(run.first)));
        EXPECT_EQ("REM This will uninstall Tremlok\r\n\r\ndel \"" + Path("good.txt") +
                      "\"\r\n\r\n\r\ndel \"" + Path("uninst.bat") + "\"\r\n",
                  ReadFile(Path("uninst.bat")));
        for (const std::string& name : run.inTheWay)
            std::filesystem::remove(Path(name), error);
        std::filesystem::remove(Path("good.txt"), error);
        // None made; one found is removed, so that a faulty run does not fail the next.
        for (auto [csidl, name] : {std::pair{CSIDL_PROGRAMS, "Tremlok"},
                                   std::pair{CSIDL_DESKTOPDIRECTORY, "Tremlok.lnk"}})
        {
            char folder[kShellPathSize] = "";
            GetSpecialFolderPath(csidl, folder, sizeof folder);
            EXPECT_EQ(0u, std::filesystem::remove_all(folder + std::string(name), error)) << name;
        }
    }
}

std::string gNote; // the welcome page's note, or the message box's text

// Presses Install on the welcome page, keeps its note, then Cancel; or
// reads and closes a message box.
VOID CALLBACK RefuseOrAcknowledge(HWND, UINT, UINT_PTR, DWORD)
{
    HWND window = NULL;
    char text[1024];
    EnumThreadWindows(GetCurrentThreadId(), FindVisible, (LPARAM)&window);
    if (window == NULL)
        return;
    if (GetDlgItem(window, IDC_WELCOME_NOTE) == NULL)
    {
        GetDlgItemTextA(window, 0xFFFF, text, sizeof text); // the message box's text
        gNote = text;
        PostMessageA(window, WM_COMMAND, IDOK, 0);
        return;
    }
    SendMessageA(window, WM_COMMAND, MAKEWPARAM(IDC_NEXT, BN_CLICKED), 0);
    GetDlgItemTextA(window, IDC_WELCOME_NOTE, text, sizeof text);
    gNote = text;
    SendMessageA(window, WM_COMMAND, MAKEWPARAM(IDC_CANCEL, BN_CLICKED), 0);
}

// Before anything is written: a folder too long for the archive's longest
// path (found past a coded entry, whose length only decoding gives) keeps
// the welcome page with a note naming it; a page that cannot be shown (no
// template in the module) ends the run with a message.
TEST_F(InstallRunTest, ARunThatCannotGoOnWritesNothing)
{
    const std::string longName = "\\" + std::string(230, 'n');
    const Bytes bytes =
        ArchiveBytes({{"\\Data\\" + std::string(200, 'd') + "\\x.txt", "lzw", kMethodLzw},
                      {longName, "stored", kMethodStored},
                      {"\\a.txt", "a", kMethodStored}});
    memcpy(gDatfile, bytes.data(), bytes.size());
    gSizeDatfile = (unsigned int)bytes.size();
    strcpy(gInstallFolder, Path("Tremlok").c_str());
    for (HINSTANCE module : {GetModuleHandleA(NULL), GetModuleHandleA("kernel32.dll")})
    {
        gNote.clear();
        UINT_PTR timer = SetTimer(NULL, 0, 50, RefuseOrAcknowledge);
        EXPECT_EQ(1, RunInstall(module));
        KillTimer(NULL, timer);
        EXPECT_FALSE(std::filesystem::exists(Path("Tremlok")));
        EXPECT_EQ(module == GetModuleHandleA(NULL)
                      ? "Please choose a folder of at most 28 characters: the path of " + longName +
                            " would be too long."
                      : "Setup could not open its window.",
                  gNote);
    }
}

} // namespace
