// Limits an install of the sample game never reaches: the install run's
// paths, the Notepad command line, error reports.
#include "app/install_paths.h"
#include "app/notepad.h"
#include "tests/unit/scratch_folder.h"

#include <windows.h>

namespace
{

// Never a relative "Tremlok" that would land in the current directory.
TEST(BuildInstallPaths, LeavesOutAGroupWhoseFolderIsUnknownOrTooLong)
{
    static InstallPaths paths;
    const std::string longFolder = "C:\\" + std::string(1008, 'p') + "\\";
    // programs, desktop, haveMenu, haveDesktop: "Tremlok.lnk" still fits.
    for (auto [programs, desktop, haveMenu, haveDesktop] :
         std::vector<std::tuple<std::string, std::string, int, int>>{
             {"", "C:\\Desk\\", 0, 1}, {"C:\\Menu\\", "", 1, 0}, {longFolder, longFolder, 0, 1}})
    {
        BuildInstallPaths("C:\\Tremlok", programs.c_str(), desktop.c_str(), false, &paths);
        EXPECT_EQ(1, paths.haveInstall);
        EXPECT_EQ(haveMenu, paths.haveMenu);
        EXPECT_EQ(haveDesktop, paths.haveDesktop);
        EXPECT_TRUE(haveMenu || (paths.menuLink[0] == 0 && paths.uninstallLink[0] == 0));
    }
}

// A quote would end the argument early; 53 characters exactly fill 64 bytes.
TEST(NotepadCommandLine, QuotesThePathOrRefusesIt)
{
    for (auto [path, refused] : std::vector<std::pair<std::string, bool>>{
             {"C:\\a\"b", true}, {std::string(53, 'a'), false}, {std::string(54, 'a'), true}})
    {
        char out[64];
        EXPECT_EQ(refused ? -1 : 0, NotepadCommandLine(path.c_str(), out, sizeof out));
        EXPECT_EQ(refused ? "" : "notepad \"" + path + "\"", out);
    }
}

typedef ScratchTest ReportErrorTest;

// Longer than wvsprintfA's 1,024 characters, ended with CR LF as text-mode
// standard error would.
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
              ReadFile("stderr.txt"));
}

} // namespace
