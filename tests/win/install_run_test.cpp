// Install runs that cannot complete, their pages worked from a timer as a
// user would: over a damaged image, or with files that cannot be written,
// the progress page says so in place of "Complete", and the run ends there
// with a script for what was written, no completion page and no shortcut.
// COM is ready on the pages' thread for the folder browser, and taken down
// at the end.
#include "app/install_run.h"
#include "datafile/embedded_image.h"
#include "res/resource_ids.h"
#include "wizard/progress_page.h"
#include "wizard/shell_path.h"
#include "wizard/welcome_page.h"

#include "tests/unit/scratch_folder.h"

#include <windows.h>

// The unit tests' stand-in for the generated data.cpp: an image each run
// fills with the archive it needs.
unsigned int gSizeDatfile = 0;
unsigned int gDatfile[4096];

namespace
{

std::vector<std::string> gCaptions; // each page, in the order seen
std::string gLabel;                 // the current-file label when Next was pressed
std::string gNote;                  // the welcome page's refusal, or a message box's text
DWORD gStarted;
bool gComOnWelcome; // COM was already set up on the thread when the welcome page showed

BOOL CALLBACK FindVisible(HWND window, LPARAM found)
{
    *(HWND*)found = IsWindowVisible(window) ? window : NULL;
    return *(HWND*)found == NULL;
}

// Ticks the desktop box and presses the default button of whichever page is
// open; the progress page's only once it is enabled, or after ten seconds.
// A welcome page that refuses its folder is cancelled, a message box read
// and closed.
VOID CALLBACK WorkThePages(HWND, UINT, UINT_PTR, DWORD)
{
    HWND page = NULL;
    char text[1024];
    EnumThreadWindows(GetCurrentThreadId(), FindVisible, (LPARAM)&page);
    HWND next = GetDlgItem(page, IDC_NEXT);
    if (page != NULL && next == NULL)
    {
        GetDlgItemTextA(page, 0xFFFF, text, sizeof text); // the message box's text
        gNote = text;
        PostMessageA(page, WM_COMMAND, IDOK, 0);
        return;
    }
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
    CheckDlgButton(page, IDC_DESKTOP_SHORTCUT, BST_CHECKED);
    if (GetDlgItem(page, IDC_PROGRESS_BAR) != NULL)
    {
        if (!IsWindowEnabled(next) && GetTickCount() - gStarted < 10000)
            return;
        GetDlgItemTextA(page, IDC_CURRENT_FILE, text, sizeof text);
        gLabel = text;
    }
    SendMessageA(page, WM_COMMAND, MAKEWPARAM(IDC_NEXT, BN_CLICKED), (LPARAM)next);
    // The note holds a space until the page refuses.
    if (GetDlgItemTextA(page, IDC_WELCOME_NOTE, text, sizeof text) > 1)
    {
        gNote = text;
        SendMessageA(page, WM_COMMAND, MAKEWPARAM(IDC_CANCEL, BN_CLICKED), 0);
    }
}

// The label: lead, then the first file's path whole or shortened in the
// middle.
void ExpectNotWrittenLabel(const std::string& label, const std::string& lead,
                           const std::string& first)
{
    const std::string name = first.substr(first.rfind('\\'));
    const std::string shown = label.substr(std::min(lead.size(), label.size()));
    EXPECT_EQ(lead + shown, label);
    EXPECT_EQ(0u, first.find(shown.substr(0, shown.find("...")))) << label;
    EXPECT_EQ(name, label.substr(label.size() - std::min(name.size(), label.size()))) << label;
}

void Embed(const std::vector<RecordLayout>& records)
{
    const Bytes bytes = ArchiveBytes(records);
    ASSERT_LE(bytes.size(), sizeof gDatfile);
    memcpy(gDatfile, bytes.data(), bytes.size());
    gSizeDatfile = (unsigned int)bytes.size();
}

// With the scratch folder's path and the lead, past the label's 255.
const std::string kLongName = std::string(150, 'n') + ".txt";

// Records and the folders made where files go, the first in the label last.
// With none in the way, the last method byte is one no builder writes.
const std::vector<std::pair<std::vector<RecordLayout>, std::vector<std::string>>> kFailedRuns = {
    {{{"\\good.txt", "fine", kMethodStored}, {"\\bad.txt", "broken", 'X'}}, {}},
    {{{"\\bad.txt", "in the way", kMethodStored}, {"\\good.txt", "fine", kMethodStored}},
     {"bad.txt"}},
    {{{"\\" + kLongName, "in the way", kMethodStored},
      {"\\good.txt", "fine", kMethodStored},
      {"\\zed.txt", "in the way too", kMethodStored}},
     {"zed.txt", kLongName}},
};

typedef ScratchTest InstallRunTest;

TEST_F(InstallRunTest, AFailedExtractionEndsTheRunAfterTheProgressPage)
{
    std::error_code error;
    for (const auto& [records, inTheWay] : kFailedRuns)
    {
        SCOPED_TRACE(inTheWay.size());
        for (const std::string& name : inTheWay)
            std::filesystem::create_directory(Path(name));
        Embed(records);
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
        const size_t n = inTheWay.size();
        const std::string first = Path(n ? inTheWay.back() : "bad.txt");
        if (n == 0)
            EXPECT_EQ(kDamagedText, gLabel);
        else
            ExpectNotWrittenLabel(
                gLabel, std::to_string(n) + (n == 1 ? kNotWrittenOneText : kNotWrittenManyText),
                first);
        EXPECT_EQ("fine", ReadFile(Path("good.txt")));
        EXPECT_FALSE(std::filesystem::is_regular_file(first));
        EXPECT_EQ("REM This will uninstall Tremlok\r\n\r\ndel \"" + Path("good.txt") +
                      "\"\r\n\r\n\r\ndel \"" + Path("uninst.bat") + "\"\r\n",
                  ReadFile(Path("uninst.bat")));
        // None made; one found is removed so as not to fail the next run.
        for (auto [csidl, name] : {std::pair{CSIDL_PROGRAMS, "Tremlok"},
                                   std::pair{CSIDL_DESKTOPDIRECTORY, "Tremlok.lnk"}})
        {
            char folder[kShellPathSize] = "";
            GetSpecialFolderPath(csidl, folder, sizeof folder);
            EXPECT_EQ(0u, std::filesystem::remove_all(folder + std::string(name), error)) << name;
        }
    }
}

// Nothing written: a folder too long for the longest path (found past a
// coded entry) keeps the welcome page with a note naming it; a page with no
// template in the module ends the run with a message.
TEST_F(InstallRunTest, ARunThatCannotGoOnWritesNothing)
{
    const std::string longName = "\\" + std::string(230, 'n');
    Embed({{"\\Data\\" + std::string(200, 'd') + "\\x.txt", "lzw", kMethodLzw},
           {longName, "stored", kMethodStored},
           {"\\a.txt", "a", kMethodStored}});
    strcpy(gInstallFolder, Path("Tremlok").c_str());
    for (HINSTANCE module : {GetModuleHandleA(NULL), GetModuleHandleA("kernel32.dll")})
    {
        gNote.clear();
        UINT_PTR timer = SetTimer(NULL, 0, 50, WorkThePages);
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
