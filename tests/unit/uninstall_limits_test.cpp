// The uninstall log past the sizes a fixed table would have: more than 256
// lines, lines longer than 509 characters. Nothing may be cut or dropped,
// and the script must come out whole: a lost line is a file the uninstall
// leaves behind, a cut one may delete the wrong thing.
#include "datafile/extract.h"
#include "tests/unit/archive_image.h"
#include "tests/unit/scratch_folder.h"
#include "uninstall/uninstall_log.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace
{

struct UninstallLimitsTest : ScratchTest
{
    void SetUp() override
    {
        ScratchTest::SetUp();
        ResetUninstallLog();
    }
    void TearDown() override
    {
        ResetUninstallLog();
        ScratchTest::TearDown();
    }
};

std::string LogLine(size_t i)
{
    return std::string(gUninstallLines[i]);
}

// The script the log must give: lines mark - 1 down to 0, then count - 1
// down to mark + 1, each with CR LF.
std::string ExpectedScript(const std::vector<std::string>& lines, size_t mark)
{
    std::string script;
    for (size_t i = mark; i-- > 0;)
        script += lines[i] + "\r\n";
    for (size_t i = lines.size(); i-- > mark + 1;)
        script += lines[i] + "\r\n";
    return script;
}

std::string LineOfLength(size_t length, size_t serial)
{
    std::string line = "del \"" + std::to_string(serial) + "-";
    line += std::string(length - line.size() - 1, 'p');
    return line + "\"";
}

struct LimitCase
{
    const char* label;
    size_t lines;
    size_t lineLength;
    size_t mark;
};

const LimitCase kLimitCases[] = {
    {"256 lines, the old table full", 256, 40, 100},
    {"257 lines, one past it", 257, 40, 100},
    {"5000 lines", 5000, 40, 2500},
    {"lines of 509 characters, the old slot full", 10, 509, 5},
    {"lines of 510 characters", 10, 510, 5},
    {"lines of 511 characters", 10, 511, 5},
    {"lines of 1024 characters", 10, 1024, 5},
    {"lines of 5000 characters", 10, 5000, 5},
    {"one line of 100000 characters", 1, 100000, 1},
    {"300 lines of 600 characters", 300, 600, 150},
    {"mark at the end", 300, 40, 300},
};

TEST_F(UninstallLimitsTest, ScriptHoldsEveryLineWhole)
{
    for (const LimitCase& c : kLimitCases)
    {
        ResetUninstallLog();
        std::vector<std::string> lines;
        for (size_t i = 0; i < c.lines; ++i)
        {
            lines.push_back(i == c.mark ? std::string() : LineOfLength(c.lineLength, i));
            EXPECT_EQ(AddUninstallLine(lines.back().c_str()), (int)i + 1) << c.label;
            if (i + 1 == c.mark)
                SetUninstallMark();
        }
        if (c.mark == c.lines)
            SetUninstallMark();
        ASSERT_EQ(gUninstallCount, (int)c.lines) << c.label;
        EXPECT_EQ(gUninstallLineLost, 0) << c.label;
        for (size_t i = 0; i < c.lines; ++i)
            ASSERT_EQ(LogLine(i), lines[i] + "\r\n") << c.label << ", line " << i;
        ASSERT_EQ(WriteUninstallScript("uninst.bat"), 0) << c.label;
        EXPECT_TRUE(ReadText("uninst.bat") == ExpectedScript(lines, c.mark)) << c.label;
    }
}

// Doubling every '%' makes a command longer than its path; a path of 509
// characters that is all '%' still comes out whole.
TEST_F(UninstallLimitsTest, DoubledPercentsAreNotCut)
{
    std::string path(509, '%');
    AddUninstallCommand("del", path.c_str());
    ASSERT_EQ(gUninstallCount, 1);
    EXPECT_EQ(LogLine(0), "del \"" + std::string(1018, '%') + "\"\r\n");
}

// MakePath logs each folder it made with its whole path, however deep.
TEST_F(UninstallLimitsTest, DeepFolderChainIsLoggedWhole)
{
#ifdef _WIN32
    const size_t levels = 20; // within MAX_PATH
#else
    const size_t levels = 300; // paths up to 1,500 characters
#endif
    std::string path = "deep";
    std::vector<std::string> made = {path};
    for (size_t i = 1; i < levels; ++i)
    {
        path = Join(path, "lvl" + std::to_string(i % 10));
        made.push_back(path);
    }
    MakePath(path.c_str());
    ASSERT_EQ(gUninstallCount, (int)levels);
    for (size_t i = 0; i < levels; ++i)
        EXPECT_EQ(LogLine(i), "rmdir \"" + made[i] + "\"\r\n") << "level " << i;
}

// An install of more entries than the old table had lines logs every one:
// 300 files in a new folder and two new subfolders give 300 "del" and 3
// "rmdir" lines.
TEST_F(UninstallLimitsTest, InstallOfManyEntriesLogsEveryFile)
{
    std::vector<RecordSpec> records;
    for (int i = 0; i < 300; ++i)
    {
        std::string folder = i % 3 == 0 ? "" : (i % 3 == 1 ? "\\Audio" : "\\Bitmap");
        records.push_back(
            {folder + "\\file" + std::to_string(i) + ".dat", std::to_string(i), kMethodStored});
    }
    Bytes bytes = ArchiveBytes(records);
    std::vector<unsigned int> image = ImageWords(bytes);
    char currentFile[kCurrentFileSize];
    BeginExtract("inst", image.data(), (uint32_t)bytes.size());
    int percent = 0;
    for (int calls = 0; calls < 400 && percent != 100 && percent != kExtractDamaged; ++calls)
        percent = ExtractNext("inst", currentFile);
    ASSERT_EQ(percent, 100);
    ASSERT_EQ(gUninstallCount, 303);
    AddUninstallLine("");
    AddUninstallLine("REM This will uninstall Tremlok");
    SetUninstallMark();
    AddUninstallLine("");
    ASSERT_EQ(WriteUninstallScript(Join("inst", "uninst.bat").c_str()), 0);
    std::string script = ReadText(Join("inst", "uninst.bat"));
    for (const RecordSpec& r : records)
    {
        std::string path = "inst" + r.name;
        for (char& c : path)
            c = c == '\\' ? kPathSeparator : c;
        std::string line = "del \"" + path + "\"\r\n";
        size_t at = script.find(line);
        EXPECT_NE(at, std::string::npos) << r.name;
        EXPECT_EQ(script.find(line, at + 1), std::string::npos) << r.name << " twice";
    }
    for (const char* folder : {"inst", "inst/Audio", "inst/Bitmap"})
    {
        std::string path = folder;
        for (char& c : path)
            c = c == '/' ? kPathSeparator : c;
        EXPECT_NE(script.find("rmdir \"" + path + "\"\r\n"), std::string::npos) << folder;
    }
    EXPECT_EQ(script.rfind("REM This will uninstall Tremlok\r\n", 0), 0u);
}

} // namespace
