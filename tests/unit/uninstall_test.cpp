// uninst.bat must delete exactly what setup made, newest first, and open
// with its comment line.
#include "uninstall/uninstall_log.h"

#include "tests/unit/logged_lines.h"
#include "tests/unit/scratch_folder.h"

#include <gtest/gtest.h>

#include <string>

namespace
{

struct UninstallTest : ScratchTest
{
    void SetUp() override
    {
        ScratchTest::SetUp();
        ResetUninstallLog();
    }
};

// The install run's order: extraction, comment and mark, then shortcuts.
TEST_F(UninstallTest, ScriptIsTheLogReversedInTwoRuns)
{
    AddUninstallLine("rmdir \"X\"");
    AddUninstallLine("del \"X\\a.exe\"");
    AddUninstallLine("");
    AddUninstallLine("REM This will uninstall Tremlok");
    SetUninstallMark();
    AddUninstallLine("");
    AddUninstallLine("del \"X\\uninst.bat\"");
    AddUninstallLine("");
    AddUninstallLine("del \"M\\Tremlok.lnk\"");
    AddUninstallLine("");
    EXPECT_EQ(gUninstallMark, 4);
    ASSERT_EQ(WriteUninstallScript("uninst.bat"), 0);
    EXPECT_EQ(ReadText("uninst.bat"), "REM This will uninstall Tremlok\r\n"
                                      "\r\n"
                                      "del \"X\\a.exe\"\r\n"
                                      "rmdir \"X\"\r\n"
                                      "\r\n"
                                      "del \"M\\Tremlok.lnk\"\r\n"
                                      "\r\n"
                                      "del \"X\\uninst.bat\"\r\n");
}

TEST_F(UninstallTest, NothingExtracted)
{
    AddUninstallLine("");
    AddUninstallLine("REM This will uninstall Tremlok");
    SetUninstallMark();
    AddUninstallLine("");
    AddUninstallLine("del \"u\"");
    ASSERT_EQ(WriteUninstallScript("uninst.bat"), 0);
    EXPECT_EQ(ReadText("uninst.bat"), "REM This will uninstall Tremlok\r\n\r\ndel \"u\"\r\n");
}

TEST_F(UninstallTest, EmptyLogWritesEmptyScript)
{
    ASSERT_EQ(WriteUninstallScript("uninst.bat"), 0);
    EXPECT_TRUE(Exists("uninst.bat"));
    EXPECT_EQ(ReadText("uninst.bat"), "");
}

TEST_F(UninstallTest, MarkAtEndWritesFirstRunOnly)
{
    AddUninstallLine("one");
    AddUninstallLine("two");
    SetUninstallMark();
    ASSERT_EQ(WriteUninstallScript("uninst.bat"), 0);
    EXPECT_EQ(ReadText("uninst.bat"), "two\r\none\r\n");
}

TEST_F(UninstallTest, PercentInPathsIsDoubled)
{
    AddUninstallCommand("del", "C:\\100% Games\\%PATH%.txt");
    EXPECT_EQ(LoggedLines(),
              std::vector<std::string>({"del \"C:\\100%% Games\\%%PATH%%.txt\"\r\n"}));
}

TEST_F(UninstallTest, LogKeepsEveryLineWhole)
{
    std::string longLine = "del \"" + std::string(600, 'x') + "\"";
    for (int i = 0; i < 300; ++i)
        AddUninstallLine(("del \"" + std::to_string(i) + "\"").c_str());
    EXPECT_EQ(AddUninstallLine(longLine.c_str()), 301);
    SetUninstallMark();
    EXPECT_EQ(gUninstallCount, 301);
    ASSERT_EQ(WriteUninstallScript("uninst.bat"), 0);
    std::string script = ReadText("uninst.bat");
    EXPECT_EQ(script.substr(0, longLine.size() + 2), longLine + "\r\n");
    EXPECT_EQ(script.substr(script.size() - 9), "del \"0\"\r\n");
}

TEST_F(UninstallTest, OverwritingALongerScriptLeavesNothingOfIt)
{
    ASSERT_TRUE(WriteText("uninst.bat", std::string(5000, 'o')));
    AddUninstallLine("del \"a\"");
    SetUninstallMark();
    ASSERT_EQ(WriteUninstallScript("uninst.bat"), 0);
    EXPECT_EQ(ReadText("uninst.bat"), "del \"a\"\r\n");
}

TEST_F(UninstallTest, UnopenableScriptIsReported)
{
    AddUninstallLine("del \"a\"");
    EXPECT_EQ(WriteUninstallScript(Join("missing", "uninst.bat").c_str()), -1);
    EXPECT_FALSE(Exists("missing"));
}

// A line that could not be stored would leave its file behind, and could
// move the mark off its separator: such a log writes no script at all, and
// an earlier script stays as it was.
TEST_F(UninstallTest, LogThatLostALineWritesNoScript)
{
    ASSERT_TRUE(WriteText("uninst.bat", "earlier\r\n"));
    AddUninstallLine("del \"a\"");
    gUninstallLineLost = 1; // as a failed allocation leaves it
    AddUninstallLine("del \"b\"");
    EXPECT_EQ(WriteUninstallScript("uninst.bat"), -1);
    EXPECT_EQ(ReadText("uninst.bat"), "earlier\r\n");
    ResetUninstallLog();
    EXPECT_EQ(gUninstallLineLost, 0);
    EXPECT_EQ(gUninstallCount, 0);
    AddUninstallLine("del \"c\"");
    SetUninstallMark();
    ASSERT_EQ(WriteUninstallScript("uninst.bat"), 0);
    EXPECT_EQ(ReadText("uninst.bat"), "del \"c\"\r\n");
}

TEST_F(UninstallTest, MakeLoggedDirLogsOnlyWhatItCreated)
{
    EXPECT_EQ(MakeLoggedDir("new%dir"), 0);
    EXPECT_EQ(MakeLoggedDir("new%dir"), -1);
    EXPECT_EQ(LoggedLines(), std::vector<std::string>({"rmdir \"new%%dir\"\r\n"}));
}

} // namespace
