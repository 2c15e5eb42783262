// uninst.bat must delete exactly what setup made, newest first, and open
// with its comment line; no line may be cut or dropped on the way.
#include "tests/unit/scratch_folder.h"

namespace
{

typedef ScratchTest UninstallTest;

// The install run's order: extraction, comment and mark, then shortcuts.
TEST_F(UninstallTest, TwoReversedRunsWithoutTheMarkLine)
{
    ASSERT_TRUE(WriteText("uninst.bat", std::string(5000, 'o'))); // an older, longer script
    for (const char* line :
         {"rmdir \"X\"", "del \"X\\a.exe\"", "", "REM This will uninstall Tremlok"})
        AddUninstallLine(line);
    SetUninstallMark();
    for (const char* line : {"", "del \"X\\uninst.bat\"", "", "del \"M\\Tremlok.lnk\"", ""})
        AddUninstallLine(line);
    ASSERT_EQ(WriteUninstallScript("uninst.bat"), 0);
    EXPECT_EQ(ReadText("uninst.bat"),
              "REM This will uninstall Tremlok\r\n\r\ndel \"X\\a.exe\"\r\nrmdir \"X\"\r\n\r\n"
              "del \"M\\Tremlok.lnk\"\r\n\r\ndel \"X\\uninst.bat\"\r\n");
}

// cmd reads "%%" as one '%'.
TEST_F(UninstallTest, PercentSignsAreDoubled)
{
    AddUninstallCommand("del", "C:\\100% Games\\%PATH%.txt");
    EXPECT_EQ(MakeLoggedDir("new%dir"), 0);
    EXPECT_EQ(MakeLoggedDir("new%dir"), -1); // exists: not made, not logged
    EXPECT_EQ(LoggedLines(), std::vector<std::string>({"del \"C:\\100%% Games\\%%PATH%%.txt\"\r\n",
                                                       "rmdir \"new%%dir\"\r\n"}));
}

// Past the 256 lines and 509 characters of the old fixed table.
TEST_F(UninstallTest, LongLogsAndLongLinesAreKeptWhole)
{
    std::vector<std::string> lines;
    for (int i = 0; i < 300; ++i)
    {
        lines.push_back("del \"" + std::to_string(i) + std::string(i % 100 ? 10 : 600, 'p') + "\"");
        EXPECT_EQ(AddUninstallLine(lines.back().c_str()), i + 1);
        if (i == 149)
            SetUninstallMark();
    }
    ASSERT_EQ(WriteUninstallScript("uninst.bat"), 0);
    std::string expected;
    for (int i = 149; i >= 0; --i)
        expected += lines[i] + "\r\n";
    for (int i = 299; i > 150; --i)
        expected += lines[i] + "\r\n";
    EXPECT_TRUE(ReadText("uninst.bat") == expected);
}

// A lost line would leave its file behind and could move the mark off its
// separator: no script then, and an earlier one stays.
TEST_F(UninstallTest, LostLineWritesNoScript)
{
    ASSERT_TRUE(WriteText("uninst.bat", "earlier\r\n"));
    AddUninstallLine("del \"a\"");
    gUninstallLineLost = 1; // as a failed allocation leaves it
    EXPECT_EQ(WriteUninstallScript("uninst.bat"), -1);
    EXPECT_EQ(ReadText("uninst.bat"), "earlier\r\n");
}

} // namespace
