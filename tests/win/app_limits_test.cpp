// Limits an install of the sample game never reaches: the install run's
// paths, the Notepad command line, names on code page 932, error reports.
#include "app/install_paths.h"
#include "app/notepad.h"
#include "datafile/make_path.h"
#include "uninstall/uninstall_log.h"
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

typedef ScratchTest CodePage932;

// On code page 932 many characters' second byte is 0x5C, a backslash
// ("\x94\x5c", "\x83\x5c"): only whole names are made and logged. Run under
// LANG=ja_JP.UTF-8 (unit_tests_cp932).
TEST_F(CodePage932, MakePathMakesEachFolderWhole)
{
    // Only unit_tests_cp932 runs it; a skipped test brings down the 32-bit
    // test program under the emulated Wine.
    ASSERT_EQ(GetACP(), 932u) << "run under LANG=ja_JP.UTF-8";
    const std::string outer = Path("\x8b\x40\x94\x5c"), inner = outer + "\\\x83\x5c\x83\x74";
    MakePath(inner.c_str());
    EXPECT_EQ(
        std::vector<std::string>({"rmdir \"" + outer + "\"\r\n", "rmdir \"" + inner + "\"\r\n"}),
        std::vector<std::string>(gUninstallLines, gUninstallLines + gUninstallCount));
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
