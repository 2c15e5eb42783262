// Paths the install run builds, the install folder a browsed folder gives,
// how Notepad is started, and when the DLL search may be restricted.
#include "app/dll_search.h"
#include "app/install_paths.h"
#include "app/notepad.h"
#include "wizard/folder_browser.h"
#include "wizard/welcome_page.h"

#include <gtest/gtest.h>
#include <string.h>
#include <string>
#include <windows.h>
#include <shlobj.h>

namespace
{

TEST(JoinPath, RefusesAnythingThatWouldBeCut)
{
    struct Case
    {
        size_t size;
        const char* head;
        const char* tail;
        int result;
        const char* expected;
    } cases[] = {
        {13, "C:\\Tremlok", "\\a", 0, "C:\\Tremlok\\a"}, // exactly fills the buffer
        {13, "C:\\Tremlok", "\\ab", -1, ""},             // one byte short
        {1, "", "", 0, ""},
        {1, "a", "", -1, ""},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(std::string(c.head) + c.tail);
        char out[16];
        memset(out, 'x', sizeof out);
        EXPECT_EQ(c.result, JoinPath(out, c.size, c.head, c.tail));
        EXPECT_STREQ(c.expected, out);
        EXPECT_EQ('x', out[c.size]); // nothing written past the buffer
    }
}

TEST(BuildInstallPaths, FollowsTheInstallFolderAndTheShellFolders)
{
    static InstallPaths paths;
    BuildInstallPaths("C:\\Games\\Tremlok", "C:\\Menu\\Programs\\", "C:\\Desk\\", &paths);
    EXPECT_TRUE(paths.haveInstall);
    EXPECT_TRUE(paths.haveMenu);
    EXPECT_TRUE(paths.haveDesktop);
    EXPECT_STREQ("C:\\Games\\Tremlok\\tremlok.exe", paths.exePath);
    EXPECT_STREQ("C:\\Games\\Tremlok\\Readme.txt", paths.readmePath);
    EXPECT_STREQ("C:\\Games\\Tremlok\\uninst.bat", paths.uninstPath);
    EXPECT_STREQ("C:\\Menu\\Programs\\Tremlok", paths.menuFolder);
    EXPECT_STREQ("C:\\Menu\\Programs\\Tremlok\\Tremlok.lnk", paths.menuLink);
    EXPECT_STREQ("C:\\Menu\\Programs\\Tremlok\\Tremlok Help.lnk", paths.helpLink);
    EXPECT_STREQ("C:\\Menu\\Programs\\Tremlok\\Tremlok Uninstall.pif", paths.uninstallLink);
    EXPECT_STREQ("C:\\Desk\\Tremlok.lnk", paths.desktopLink);
}

TEST(BuildInstallPaths, LeavesOutAGroupWhoseFolderIsUnknownOrTooLong)
{
    static InstallPaths paths;
    std::string longFolder = "C:\\" + std::string(1008, 'p') + "\\";
    struct Case
    {
        const char* programs;
        const char* desktop;
        int haveMenu;
        int haveDesktop;
    } cases[] = {
        {"", "C:\\Desk\\", 0, 1},
        {"C:\\Menu\\", "", 1, 0},
        {longFolder.c_str(), longFolder.c_str(), 0, 1}, // "Tremlok.lnk" still fits
    };
    for (const Case& c : cases)
    {
        BuildInstallPaths("C:\\Tremlok", c.programs, c.desktop, &paths);
        EXPECT_EQ(c.haveMenu, paths.haveMenu);
        EXPECT_EQ(c.haveDesktop, paths.haveDesktop);
        if (!c.haveMenu)
        {
            // Never a relative "Tremlok" that would land in the current directory.
            EXPECT_STREQ("", paths.menuLink);
            EXPECT_STREQ("", paths.uninstallLink);
        }
    }
}

TEST(JoinProductName, AppendsTheProductNameToTheChosenFolder)
{
    char out[kInstallFolderSize];
    ASSERT_EQ(0, JoinProductName("C:\\Program Files\\", out, sizeof out));
    EXPECT_STREQ("C:\\Program Files\\Tremlok", out);
    ASSERT_EQ(0, JoinProductName("C:\\", out, sizeof out));
    EXPECT_STREQ("C:\\Tremlok", out);
    EXPECT_EQ(-1, JoinProductName("", out, sizeof out));
    EXPECT_STREQ("", out);
}

TEST(JoinProductName, RefusesAFolderTheInstallFolderCannotHold)
{
    char out[kInstallFolderSize];
    // 248 characters and "Tremlok" make 255, the most the install folder holds.
    std::string longest = "C:\\" + std::string(244, 'f') + "\\";
    ASSERT_EQ(248u, longest.size());
    EXPECT_EQ(0, JoinProductName(longest.c_str(), out, sizeof out));
    EXPECT_EQ(255u, strlen(out));
    std::string tooLong = "C:\\" + std::string(245, 'f') + "\\";
    EXPECT_EQ(-1, JoinProductName(tooLong.c_str(), out, sizeof out));
    EXPECT_STREQ("", out);
}

TEST(NotepadCommandLine, QuotesThePathSoBlanksSurvive)
{
    char out[64];
    ASSERT_EQ(0, NotepadCommandLine("C:\\Program Files\\Tremlok\\Readme.txt", out, sizeof out));
    EXPECT_STREQ("notepad \"C:\\Program Files\\Tremlok\\Readme.txt\"", out);
    EXPECT_EQ(-1, NotepadCommandLine("C:\\a\"b", out, sizeof out));
    EXPECT_STREQ("", out);
    std::string tooLong(60, 'a');
    EXPECT_EQ(-1, NotepadCommandLine(tooLong.c_str(), out, sizeof out));
    EXPECT_STREQ("", out);
}

TEST(NotepadProgramPath, NamesNotepadInTheWindowsFolder)
{
    char path[MAX_PATH];
    ASSERT_EQ(0, NotepadProgramPath(path, sizeof path));
    char windows[MAX_PATH];
    GetWindowsDirectoryA(windows, sizeof windows);
    EXPECT_EQ(0, _strnicmp(path, windows, strlen(windows))) << path;
    EXPECT_STRCASEEQ("\\notepad.exe", path + strlen(path) - strlen("\\notepad.exe"));
    EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(path)) << path;
    EXPECT_EQ(-1, NotepadProgramPath(path, 4));
}

TEST(DllSearch, IsRestrictedEverywhereButWindowsVista)
{
    // GetVersion() keeps the major version in the low byte, the minor in the next.
    struct Case
    {
        unsigned major, minor;
        bool restrict;
    } cases[] = {{4, 0, true}, {5, 1, true}, {6, 0, false},
                 {6, 1, true}, {6, 2, true}, {10, 0, true}};
    for (const Case& c : cases)
    {
        unsigned long version = c.major | (c.minor << 8) | (0x1DB1ul << 16);
        EXPECT_EQ(c.restrict, MayRestrictDllDirectories(version)) << c.major << "." << c.minor;
    }
}

TEST(DllSearch, HardeningLeavesShellLinksWorking)
{
    HardenDllSearch();
    CoInitialize(NULL);
    IUnknown* link = NULL;
    HRESULT result = CoCreateInstance(CLSID_ShellLink, NULL, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                      (void**)&link);
    EXPECT_EQ(S_OK, result);
    if (link)
        link->Release();
    CoUninitialize();
}

} // namespace
