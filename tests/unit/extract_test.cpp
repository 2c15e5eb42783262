// The extraction engine on sound data files: one entry per call with the
// progress page's percentages, and files replaced whole. (The uninstall
// log's order: the end-to-end install; damaged files: damaged_archive_test.)
#include "app/command_line.h"
#include "app/tool_summary.h"
#include "tests/unit/scratch_folder.h"

#include <random>

namespace
{

typedef ScratchTest ExtractTest;

// 29 + 0 + 71 bytes: k entries take k + 1 calls. 29 of 100 is 28%, truncated
// in double precision, which the x87 unit once got wrong.
const std::vector<RecordLayout> kThree = {
    {"\\a.exe", "abcabcabcabcabcabcabcabcabcab", kMethodLzw},
    {"\\Data\\b.dat", "", kMethodStored},
    {"\\Data\\c.bin", std::string(71, '\x05'), kMethodDelta},
};

TEST_F(ExtractTest, OneEntryPerCallThenCompleteForever)
{
    char currentFile[kCurrentFileSize] = "";
    const std::string x = Path("X");
    const Bytes bytes = ArchiveBytes(kThree);
    // Twice, the folders removed between: the second run makes them again.
    for (int run = 0; run < 2; ++run)
    {
        std::filesystem::remove_all(x);
        EXPECT_EQ(
            BeginExtract(x.c_str(), (const unsigned int*)bytes.data(), (uint32_t)bytes.size()), 1);
        EXPECT_FALSE(std::filesystem::exists(x));
        const int percents[] = {28, 28, 99};
        for (size_t i = 0; i < kThree.size(); ++i)
        {
            EXPECT_EQ(ExtractNext(x.c_str(), currentFile), percents[i]) << i;
            EXPECT_EQ(std::string(currentFile), Under(x, kThree[i].name));
            EXPECT_EQ(ReadFile(Under(x, kThree[i].name)), kThree[i].content);
        }
        // Then 100 and "Complete", and 100 ever after with the label left alone.
        for (const char* shown : {"Complete", "untouched"})
        {
            EXPECT_EQ(ExtractNext(x.c_str(), currentFile), 100);
            EXPECT_STREQ(currentFile, shown);
            strcpy(currentFile, "untouched");
        }
        EXPECT_EQ(gExtractSkipped, 0);
        EXPECT_STREQ(gExtractFirstSkipped, "");
    }
}

// Whatever is in the way: a longer file is replaced whole; a folder where a
// file must go makes that entry skipped, without a "del" line, and the rest
// follow; the engine counts the skipped and keeps the first one's path for
// the page. Both drivers, each given its root with a trailing separator,
// which doubles the separator in every path.
TEST_F(ExtractTest, ThingsInTheWay)
{
    ASSERT_TRUE(WriteFile("data.bin", ArchiveBytes(kThree)));
    for (const char* root : {"image", "bin"})
    {
        MakePath(Under(root, "\\a.exe").c_str());
        MakePath(Under(root, "\\Data\\b.dat").c_str());
        ASSERT_TRUE(WriteFile(Under(root, "\\Data\\c.bin"), std::string(500, 'o')));
    }
    ResetUninstallLog();
    const std::string image = std::string("image") + kPathSeparator;
    EXPECT_EQ(ExtractImage(image, ArchiveBytes(kThree)), std::vector<int>({1, 28, 28, 99, 100}));
    EXPECT_EQ(gExtractSkipped, 2);
    EXPECT_EQ(gExtractFirstSkipped, Under(image, kThree[0].name));
    EXPECT_EQ(gUninstallCount, 1); // c.bin
    EXPECT_EQ(ExtractDataBin((std::string("bin") + kPathSeparator).c_str()), 1);
    EXPECT_EQ(gExtractFiles, 1u);
    EXPECT_EQ(gExtractBytes, 71u);
    for (const char* root : {"image", "bin"})
        EXPECT_EQ(ReadFile(Under(root, "\\Data\\c.bin")), kThree[2].content) << root;
    // The tool's temporaries are renamed into place or removed, never left.
    for (const auto& item : std::filesystem::recursive_directory_iterator("bin"))
        EXPECT_EQ(item.path().string().find('~'), std::string::npos) << item.path();
}

// data.bin is read a window at a time: records and payloads that straddle
// its refills, a long name and an LZW payload longer than its size among
// them, come out whole; then the summary. A second run into the same
// folder, removed between, counts and makes its folders afresh.
TEST_F(ExtractTest, LargeDataBinThroughTheWindow)
{
    std::string large(3000001, 0), noise(6000000, 0);
    std::mt19937 random(7);
    for (std::string* bytes : {&large, &noise})
        for (char& c : *bytes)
            c = (char)random();
    const std::vector<RecordLayout> records = {
        {"\\a.bin", large, kMethodStored},
        {"\\b\\" + std::string(200, 'n'), "short", kMethodStored},
        {"\\b\\c.raw", noise, kMethodLzw},
        {"\\d.bin", large, kMethodStored},
    };
    ASSERT_TRUE(WriteFile("data.bin", ArchiveBytes(records)));
    for (int run = 0; run < 2; ++run)
    {
        std::filesystem::remove_all("out");
        EXPECT_EQ(ExtractDataBin("out"), 0);
        for (const RecordLayout& r : records)
            EXPECT_TRUE(ReadFile(Under("out", r.name)) == r.content) << r.name;
    }
#ifndef _WIN32
    char summary[100];
    strcpy(gFolderArg, "out");
    ASSERT_TRUE(ToolSummary(kActionExtract, summary, sizeof summary));
    EXPECT_STREQ(summary, "4 files, 12000007 bytes: out\n");
#endif
}

// Without a folder the names, which begin with a separator, would land at
// the top of the drive: both drivers refuse.
TEST_F(ExtractTest, NoFolderNoFiles)
{
    const std::vector<RecordLayout> records = {{"\\tremlok-no-root.txt", "x", kMethodStored}};
    ASSERT_TRUE(WriteFile("data.bin", ArchiveBytes(records)));
    EXPECT_EQ(ExtractDataBin(""), 1);
    EXPECT_EQ(ExtractImage("", ArchiveBytes(records)), std::vector<int>({1, kExtractDamaged}));
    EXPECT_FALSE(std::filesystem::exists(Under("", records[0].name)));
}

} // namespace
