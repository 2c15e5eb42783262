// Limits of the install run's paths, the Notepad command line, the DLL
// search and the tool modes' error reports: what an install of the sample
// game under Wine never reaches.
#include "app/dll_search.h"
#include "app/install_paths.h"
#include "app/notepad.h"
#include "platform/platform.h"

#include "tests/unit/scratch_folder.h"

#include <gtest/gtest.h>
#include <string.h>
#include <string>
#include <windows.h>

namespace
{

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
        EXPECT_EQ(1, paths.haveInstall);
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

TEST(NotepadCommandLine, QuotesThePathOrRefusesIt)
{
    struct Case
    {
        std::string path;
        bool refused;
    } cases[] = {
        {"C:\\Program Files\\Readme.txt", false},
        {"C:\\a\"b", true},            // a quote would end the argument early
        {std::string(53, 'a'), false}, // exactly fills 64 bytes
        {std::string(54, 'a'), true},
    };
    for (const Case& c : cases)
    {
        char out[64];
        EXPECT_EQ(c.refused ? -1 : 0, NotepadCommandLine(c.path.c_str(), out, sizeof out));
        EXPECT_EQ(c.refused ? "" : "notepad \"" + c.path + "\"", out);
    }
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

typedef ScratchTest ReportErrorTest;

// Longer than the output buffer and than wvsprintfA's 1,024 characters, and
// ended with CR LF as text-mode standard error would.
TEST_F(ReportErrorTest, WritesALongMessageWholeToStandardError)
{
    HANDLE saved = GetStdHandle(STD_ERROR_HANDLE);
    HANDLE file = CreateFileA("stderr.txt", GENERIC_WRITE, 0, NULL, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, NULL);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    SetStdHandle(STD_ERROR_HANDLE, file);
    std::string path = "C:\\" + std::string(5000, 'd');
    ReportError("%s%c%s: path longer than %d characters", path.c_str(), '\\', "a.txt", 511);
    SetStdHandle(STD_ERROR_HANDLE, saved);
    CloseHandle(file);
    EXPECT_EQ("setup: " + path + "\\a.txt: path longer than 511 characters\r\n",
              ReadText("stderr.txt"));
}

} // namespace
