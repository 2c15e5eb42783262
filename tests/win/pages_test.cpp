// The three pages driven through their dialog procedures on real templates:
// which commands close them, which flags they set, and how the progress page
// follows the extraction.
#include "datafile/embedded_image.h"
#include "res/resource_ids.h"
#include "uninstall/uninstall_log.h"
#include "wizard/completion_page.h"
#include "wizard/progress_page.h"
#include "wizard/welcome_page.h"

#include "tests/unit/archive_image.h"
#include "tests/unit/scratch_folder.h"

#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>
#include <string.h>
#include <string>

extern const unsigned kTestImageWords; // room in the stand-in gDatfile

namespace
{

// Runs the page's message loop until done() holds or the time runs out.
template <typename Done> bool PumpUntil(HWND page, Done done, DWORD timeoutMs)
{
    DWORD start = GetTickCount();
    while (!done())
    {
        if (GetTickCount() - start > timeoutMs)
            return false;
        MSG message;
        while (PeekMessageA(&message, NULL, 0, 0, PM_REMOVE))
        {
            if (!IsDialogMessageA(page, &message))
            {
                TranslateMessage(&message);
                DispatchMessageA(&message);
            }
        }
        Sleep(5);
    }
    return true;
}

void Pump(HWND page)
{
    PumpUntil(
        page, [] { return false; }, 50);
}

std::string ItemText(HWND page, int id)
{
    char text[512];
    GetDlgItemTextA(page, id, text, sizeof text);
    return text;
}

void Command(HWND page, int id)
{
    SendMessageA(page, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), (LPARAM)GetDlgItem(page, id));
}

// A page is left by EndDialog, which hides a modeless page instead of
// destroying it.
bool Open(HWND page)
{
    return IsWindow(page) && IsWindowVisible(page);
}

// Escape and the close button both arrive as IDCANCEL; Alt+F4 as SC_CLOSE.
void TryToClose(HWND page)
{
    Command(page, IDCANCEL);
    SendMessageA(page, WM_SYSCOMMAND, SC_CLOSE, 0);
    SendMessageA(page, WM_CLOSE, 0, 0);
    Pump(page);
}

struct PageTest : ScratchTest
{
    HWND page = NULL;
    char savedFolder[kInstallFolderSize];

    void SetUp() override
    {
        ScratchTest::SetUp();
        InitCommonControls();
        memcpy(savedFolder, gInstallFolder, sizeof savedFolder);
        gCancelled = 0;
        gDesktopShortcut = 0;
        gViewReadme = 0;
    }

    void TearDown() override
    {
        if (page)
            DestroyWindow(page);
        memcpy(gInstallFolder, savedFolder, sizeof savedFolder);
        ScratchTest::TearDown();
    }

    void OpenPage(int templateId, DLGPROC procedure)
    {
        page = CreateDialogParamA(GetModuleHandleA(NULL), MAKEINTRESOURCEA(templateId), NULL,
                                  procedure, 0);
        ASSERT_NE(nullptr, page) << "no window could be made: is there a display?";
        ShowWindow(page, SW_SHOW);
        Pump(page);
    }

    void ExpectPageIcons()
    {
        EXPECT_NE(0, SendMessageA(page, WM_GETICON, ICON_BIG, 0));
        EXPECT_NE(0, SendMessageA(page, WM_GETICON, ICON_SMALL, 0));
    }
};

typedef PageTest WelcomePageTest;

TEST_F(WelcomePageTest, OpensWithTheFolderShownAndTheBoxClear)
{
    OpenPage(IDD_WELCOME_PAGE, WelcomePageProc);
    EXPECT_STREQ("C:\\Program Files\\Tremlok", gInstallFolder);
    EXPECT_EQ("C:\\Program Files\\Tremlok", ItemText(page, IDC_INSTALL_FOLDER));
    EXPECT_EQ((UINT)BST_UNCHECKED, IsDlgButtonChecked(page, IDC_DESKTOP_SHORTCUT));
    ExpectPageIcons();
}

TEST_F(WelcomePageTest, IgnoresEscapeAndTheCloseButton)
{
    OpenPage(IDD_WELCOME_PAGE, WelcomePageProc);
    CheckDlgButton(page, IDC_DESKTOP_SHORTCUT, BST_CHECKED);
    TryToClose(page);
    EXPECT_TRUE(Open(page));
    EXPECT_EQ(0, gCancelled);
    EXPECT_EQ(0, gDesktopShortcut);
}

TEST_F(WelcomePageTest, InstallTakesTheDesktopBoxAsItStands)
{
    struct Case
    {
        UINT box;
        int shortcut;
    } cases[] = {{BST_CHECKED, 1}, {BST_UNCHECKED, 0}};
    for (const Case& c : cases)
    {
        gDesktopShortcut = 0;
        OpenPage(IDD_WELCOME_PAGE, WelcomePageProc);
        CheckDlgButton(page, IDC_DESKTOP_SHORTCUT, c.box);
        Command(page, IDC_NEXT);
        EXPECT_FALSE(Open(page));
        EXPECT_EQ(c.shortcut, gDesktopShortcut);
        EXPECT_EQ(0, gCancelled);
        EXPECT_STREQ("C:\\Program Files\\Tremlok", gInstallFolder);
        DestroyWindow(page);
        page = NULL;
    }
}

TEST_F(WelcomePageTest, CancelSetsOnlyTheCancelFlag)
{
    OpenPage(IDD_WELCOME_PAGE, WelcomePageProc);
    CheckDlgButton(page, IDC_DESKTOP_SHORTCUT, BST_CHECKED);
    Command(page, IDC_CANCEL);
    EXPECT_FALSE(Open(page));
    EXPECT_EQ(1, gCancelled);
    EXPECT_EQ(0, gDesktopShortcut);
    EXPECT_STREQ("C:\\Program Files\\Tremlok", gInstallFolder);
}

typedef PageTest CompletionPageTest;

TEST_F(CompletionPageTest, FinishReadsTheReadmeBoxOnlyAsItStandsThen)
{
    struct Case
    {
        std::vector<UINT> clicks;
        int viewReadme;
    } cases[] = {{{}, 0}, {{BST_CHECKED}, 1}, {{BST_CHECKED, BST_UNCHECKED}, 0}};
    for (const Case& c : cases)
    {
        gViewReadme = 0;
        OpenPage(IDD_COMPLETION_PAGE, CompletionPageProc);
        EXPECT_EQ((UINT)BST_UNCHECKED, IsDlgButtonChecked(page, IDC_VIEW_README));
        for (UINT state : c.clicks)
        {
            CheckDlgButton(page, IDC_VIEW_README, state);
            EXPECT_EQ(0, gViewReadme); // only Finish reads the box
        }
        TryToClose(page);
        EXPECT_TRUE(Open(page));
        EXPECT_EQ(0, gViewReadme);
        Command(page, IDC_NEXT);
        EXPECT_FALSE(Open(page));
        EXPECT_EQ(c.viewReadme, gViewReadme);
        DestroyWindow(page);
        page = NULL;
    }
}

TEST_F(CompletionPageTest, SetsThePageIcons)
{
    OpenPage(IDD_COMPLETION_PAGE, CompletionPageProc);
    ExpectPageIcons();
}

struct ProgressPageTest : PageTest
{
    void UseImage(const Bytes& bytes)
    {
        std::vector<unsigned int> words = ImageWords(bytes);
        ASSERT_LE(words.size(), kTestImageWords);
        memcpy(gDatfile, words.data(), words.size() * sizeof words[0]);
        gSizeDatfile = (unsigned int)bytes.size();
        ASSERT_LT(scratch.size(), sizeof gInstallFolder);
        strcpy(gInstallFolder, scratch.c_str());
        ResetUninstallLog();
    }

    int BarPosition() { return (int)SendDlgItemMessageA(page, IDC_PROGRESS_BAR, PBM_GETPOS, 0, 0); }
    bool NextEnabled() { return IsWindowEnabled(GetDlgItem(page, IDC_NEXT)) != 0; }
};

TEST_F(ProgressPageTest, ExtractsOneEntryPerTickAndEnablesNextOnlyAtTheEnd)
{
    // The first entry is nearly all of the bytes, so the bar reaches 99 with
    // an entry still to come.
    UseImage(ArchiveBytes({{"\\big.dat", std::string(5000, 'b'), kMethodStored},
                           {"\\Sub\\small.txt", "tiny", kMethodLzw},
                           {"\\Sub\\empty.sav", "", kMethodStored}}));
    OpenPage(IDD_PROGRESS_PAGE, ProgressPageProc);
    // Right after opening, before any tick has run.
    EXPECT_EQ(1, BarPosition());
    EXPECT_FALSE(NextEnabled());
    ExpectPageIcons();

    std::vector<std::string> labels;
    bool finished = PumpUntil(
        page,
        [&]
        {
            std::string label = ItemText(page, IDC_CURRENT_FILE);
            if (labels.empty() || labels.back() != label)
            {
                labels.push_back(label);
                // Next stays disabled while any entry remains, even at 99.
                EXPECT_EQ(label == "Complete", NextEnabled()) << label;
            }
            return NextEnabled();
        },
        5000);
    ASSERT_TRUE(finished);
    std::vector<std::string> expected = {"Current file :", scratch + "\\big.dat",
                                         scratch + "\\Sub\\small.txt", scratch + "\\Sub\\empty.sav",
                                         "Complete"};
    // A fast tick may be missed by the sampling, but never reordered.
    ASSERT_GE(labels.size(), 2u);
    EXPECT_EQ("Complete", labels.back());
    size_t at = 0;
    for (const std::string& label : labels)
    {
        while (at < expected.size() && expected[at] != label)
            at++;
        EXPECT_LT(at, expected.size()) << "unexpected label " << label;
    }
    EXPECT_EQ(100, BarPosition());
    EXPECT_EQ("tiny", ReadText(Path("Sub\\small.txt")));
    EXPECT_TRUE(Exists(Path("Sub\\empty.sav")));

    // Later ticks change nothing; the page stays until Next.
    Pump(page);
    Pump(page);
    TryToClose(page);
    EXPECT_TRUE(Open(page));
    EXPECT_EQ("Complete", ItemText(page, IDC_CURRENT_FILE));
    EXPECT_EQ(100, BarPosition());
    Command(page, IDC_NEXT);
    EXPECT_FALSE(Open(page));
    EXPECT_EQ(0, gInstallDamaged);
}

TEST_F(ProgressPageTest, AnEmptyArchiveCompletesAtTheFirstTick)
{
    UseImage(ArchiveBytes({}));
    OpenPage(IDD_PROGRESS_PAGE, ProgressPageProc);
    ASSERT_TRUE(PumpUntil(
        page, [&] { return NextEnabled(); }, 2000));
    EXPECT_EQ("Complete", ItemText(page, IDC_CURRENT_FILE));
    EXPECT_EQ(100, BarPosition());
}

TEST_F(ProgressPageTest, ADamagedImageIsNeverShownAsComplete)
{
    Bytes bytes = ArchiveBytes(
        {{"\\good.txt", "fine", kMethodStored}, {"\\bad.txt", "broken", kMethodStored}});
    // The second record's method byte becomes one no builder writes.
    size_t method = 4 + strlen("\\good.txt") + 1 + 4 + 1 + 4 + strlen("\\bad.txt") + 1 + 4;
    ASSERT_EQ(0, bytes[method]);
    bytes[method] = 'X';
    UseImage(bytes);
    OpenPage(IDD_PROGRESS_PAGE, ProgressPageProc);
    ASSERT_TRUE(PumpUntil(
        page, [&] { return NextEnabled(); }, 3000));
    EXPECT_EQ(1, gInstallDamaged);
    EXPECT_STREQ(kDamagedText, ItemText(page, IDC_CURRENT_FILE).c_str());
    EXPECT_NE(100, BarPosition());
    Pump(page);
    EXPECT_STREQ(kDamagedText, ItemText(page, IDC_CURRENT_FILE).c_str());
    EXPECT_FALSE(Exists(Path("bad.txt")));
    TryToClose(page);
    EXPECT_TRUE(Open(page));
    Command(page, IDC_NEXT);
    EXPECT_FALSE(Open(page));
}

} // namespace
