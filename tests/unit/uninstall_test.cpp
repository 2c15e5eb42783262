// uninst.bat must delete exactly what setup made, newest first, and open
// with its comment line; no line may be cut or dropped on the way.
#include "tests/unit/scratch_folder.h"

namespace
{

typedef ScratchTest UninstallTest;

// The install run's order: extraction, comment and mark, then shortcuts;
// the folders holding uninst.bat on its last line, innermost first, a
// subfolder and a look-alike left; cmd reads "%%" as one '%'.
TEST_F(UninstallTest, TwoReversedRunsWithoutTheMarkLine)
{
    const char* extraction[] = {"rmdir \"P\"", "rmdir \"P\\X\"", "rmdir \"P\\X\\X\"",
                                "rmdir \"P\\Xy\""};
    std::filesystem::create_directories("P/X");
    ASSERT_TRUE(WriteFile("P\\X\\uninst.bat", std::string(5000, 'o'))); // older, longer
    for (const char* line : extraction)
        AddUninstallLine(line);
    AddUninstallCommand("del", "P\\X\\100% %PATH%");
    EXPECT_EQ(MakeLoggedDir("P"), -1); // exists: not made, not logged
    AddUninstallLine("");
    AddUninstallLine("REM This will uninstall Tremlok");
    SetUninstallMark();
    for (const char* line : {"", "del \"P\\X\\uninst.bat\"", "", "del \"M\\Tremlok.lnk\"", ""})
        AddUninstallLine(line);
    ASSERT_EQ(WriteUninstallScript("P\\X\\uninst.bat", false), 0);
    EXPECT_EQ(ReadFile("P\\X\\uninst.bat"),
              "REM This will uninstall Tremlok\r\n\r\ndel \"P\\X\\100%% %%PATH%%\"\r\n"
              "rmdir \"P\\Xy\"\r\nrmdir \"P\\X\\X\"\r\n\r\ndel \"M\\Tremlok.lnk\"\r\n\r\ncd \\ & "
              "del \"P\\X\\uninst.bat\" & start \"\" /b cmd /c for /l %%i in (1,1,300) do rmdir "
              "\"P\\X\" 2^>nul ^& rmdir \"P\" 2^>nul\r\n");
    // COMMAND.COM's form: plain lines, its own "del" last, its folders left.
    ASSERT_EQ(WriteUninstallScript("P\\X\\uninst.bat", true), 0);
    EXPECT_EQ(
        ReadFile("P\\X\\uninst.bat"),
        "REM This will uninstall Tremlok\r\n\r\ndel \"P\\X\\100%% %%PATH%%\"\r\nrmdir \"P\\Xy\"\r\n"
        "rmdir \"P\\X\\X\"\r\n\r\ndel \"M\\Tremlok.lnk\"\r\n\r\ndel \"P\\X\\uninst.bat\"\r\n");
}

// Past the 256 lines and 509 characters of the old fixed table, the log is
// written whole. A lost line would leave its file behind and could move the
// mark: no script then, the earlier one kept. One a full disk cuts short is
// removed.
TEST_F(UninstallTest, NoLineIsCutOrLost)
{
    std::string expected;
    AddUninstallLine(""); // the mark's, left out
    for (int i = 1; i <= 300; ++i)
    {
        const std::string line =
            "del \"" + std::to_string(i) + std::string(i % 100 ? 9 : 600, 'p') + "\"";
        EXPECT_EQ(AddUninstallLine(line.c_str()), i + 1);
        expected = line + "\r\n" + expected;
    }
    ASSERT_EQ(WriteUninstallScript("uninst.bat", false), 0);
    EXPECT_TRUE(ReadFile("uninst.bat") == expected);
    gUninstallLineLost = 1; // as a failed allocation leaves it
    EXPECT_EQ(WriteUninstallScript("uninst.bat", false), -1);
    EXPECT_TRUE(ReadFile("uninst.bat") == expected);
#ifndef _WIN32
    gUninstallLineLost = 0;
    ASSERT_TRUE(LimitFileSize(4));
    EXPECT_EQ(WriteUninstallScript("uninst.bat", false), -1);
    LimitFileSize(RLIM_INFINITY);
    EXPECT_FALSE(std::filesystem::exists("uninst.bat"));
#endif
}

} // namespace
