// The extraction engine, both drivers. Sound data files: one entry per call
// with the progress page's percentages, files replaced whole. Data files
// damaged in every way the format leaves open: damage reported, never
// "Complete"; nothing outside the destination; exactly the records before
// the damage come out, whole.
#include "app/command_line.h"
#include "app/tool_summary.h"
#include "datafile/entry_record.h"
#include "datafile/percent.h"
#include "tests/unit/scratch_folder.h"

#include <random>

namespace
{

typedef ScratchTest ExtractTest;

// 29 + 0 + 71 bytes: k entries take k + 1 calls, each naming its file. 29
// of 100 is 28%, truncated in double precision, which the x87 once got wrong.
const std::vector<RecordLayout> kThree = {
    {"\\a.exe", "abcabcabcabcabcabcabcabcabcab", kMethodLzw},
    {"\\Data\\b.dat", "", kMethodStored},
    {"\\Data\\c.bin", std::string(71, '\x05'), kMethodDelta},
};

// A second run into the folder, removed between, makes its folders again.
// A third, with a folder where the first two files go and a longer file
// where the third goes: that file is replaced whole, the two skipped without
// a "del" line, counted, the first one's path kept for the page; the same
// for the tool, each given its root with a trailing separator.
TEST_F(ExtractTest, OneEntryPerCall)
{
    char currentFile[kCurrentFileSize] = "";
    const Bytes bytes = ArchiveBytes(kThree);
    EXPECT_EQ(BeginExtract("X", (const unsigned int*)bytes.data(), (uint32_t)bytes.size()), 1);
    EXPECT_FALSE(std::filesystem::exists("X"));
    for (const RecordLayout& r : kThree)
    {
        ExtractNext("X", currentFile);
        EXPECT_EQ(std::string(currentFile), Under("X", r.name));
        EXPECT_EQ(ReadFile(Under("X", r.name)), r.content);
    }
    std::filesystem::remove_all("X");
    EXPECT_EQ(ExtractImage("X", bytes), std::vector<int>({1, 28, 28, 99, 100}));
    EXPECT_EQ(TreeOf("X").size(), 4u); // three files and Data
    EXPECT_EQ(gExtractSkipped, 0);
    EXPECT_STREQ(gExtractFirstSkipped, "");

    ASSERT_TRUE(WriteFile("data.bin", bytes));
    for (const char* root : {"image", "bin"})
    {
        MakePath(Under(root, "\\a.exe").c_str());
        MakePath(Under(root, "\\Data\\b.dat").c_str());
        ASSERT_TRUE(WriteFile(Under(root, "\\Data\\c.bin"), std::string(500, 'o')));
    }
    ResetUninstallLog();
    const std::string image = std::string("image") + kPathSeparator;
    EXPECT_EQ(ExtractImage(image, bytes), std::vector<int>({1, 28, 28, 99, 100}));
    EXPECT_EQ(gExtractSkipped, 2);
    EXPECT_EQ(gExtractFirstSkipped, Under(image, kThree[0].name));
    EXPECT_EQ(gUninstallCount, 1); // c.bin
    EXPECT_EQ(ExtractDataBin((std::string("bin") + kPathSeparator).c_str()), 1);
    EXPECT_EQ(gExtractFiles, 1u);
    EXPECT_EQ(gExtractBytes, 71u);
    for (const char* root : {"X", "image", "bin"})
        EXPECT_EQ(TreeOf(root)["Data/c.bin"], kThree[2].content) << root;
    // The tool's temporaries are renamed into place or removed, never left.
    EXPECT_EQ(TreeOf("bin").size(), 4u);
}

// data.bin is read a window at a time: records straddling its refills and
// moves, a long name and an LZW payload longer than a read among them, come out
// whole; a second run, the folder removed between, counts afresh.
TEST_F(ExtractTest, LargeDataBinThroughTheWindow)
{
    std::string large(7000001, 0), noise(6000000, 0);
    std::mt19937 random(7);
    std::generate(large.begin(), large.end(), random);
    std::generate(noise.begin(), noise.end(), random);
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
    EXPECT_STREQ(summary, "4 files, 20000007 bytes: out\n");
#endif
}

// What the bar has always shown: done / total * 100 computed in doubles,
// both signed, truncated and kept within 1 to 99. Each step is stored, so
// that the x87 rounds as other processors do; no quotient tried here lies
// near enough to a whole number for its wider registers to matter.
int DoublePercent(uint32_t done, uint32_t total)
{
    if (total == 0)
        return 1;
    volatile double quotient = (double)(int32_t)done / (int32_t)total;
    volatile double scaled = quotient * 100;
    return scaled < 1 ? 1 : scaled >= 99 ? 99 : (int)scaled;
}

// Every done of small totals, among them the quotients that doubles round
// just below a whole number (29, 57 and 58 of 100), and every pair of
// values at the ends of both signed ranges.
TEST(ExtractPercent, GivesWhatTheDoubleArithmeticGave)
{
    for (uint32_t total : {1u, 3u, 100u, 200u, 300u, 1000u})
        for (uint32_t done = 0; done <= total + 2; ++done)
            EXPECT_EQ(ExtractPercent(done, total), DoublePercent(done, total))
                << done << "/" << total;
    const uint32_t ends[] = {0,          1,          5,          100,        0x147ae147, 0x3fffffff,
                             0x7fffffff, 0x80000000, 0xffffff9c, 0xfffffffe, 0xffffffff};
    for (uint32_t done : ends)
        for (uint32_t total : ends)
            EXPECT_EQ(ExtractPercent(done, total), DoublePercent(done, total))
                << done << "/" << total;
}

// Without a folder the names would land at the top of the drive; a link
// standing where a folder goes would carry the files elsewhere: -e stops
// at it and writes nothing through it.
TEST_F(ExtractTest, NothingOutsideTheDestination)
{
    const std::vector<RecordLayout> records = {{"\\tremlok-no-root.txt", "x", kMethodStored},
                                               {"\\Data\\b.dat", "", kMethodStored}};
    const Bytes bytes = ArchiveBytes(records);
    ASSERT_TRUE(WriteFile("data.bin", bytes));
    EXPECT_EQ(ExtractDataBin(""), 1);
    EXPECT_EQ(ExtractImage("", bytes), std::vector<int>({1, kExtractDamaged}));
    EXPECT_FALSE(std::filesystem::exists(Under("", records[0].name)));
#ifndef _WIN32
    std::filesystem::create_directories("out");
    std::filesystem::create_directories("elsewhere");
    std::filesystem::create_directory_symlink("../elsewhere", "out/Data");
    EXPECT_EQ(ExtractDataBin("out"), 1);
    EXPECT_TRUE(std::filesystem::is_empty("elsewhere"));
#endif
}

enum Outcome
{
    kWhole,   // both drivers write every record
    kDamaged, // reported as damage at record r: only the records before it
    kSkipped  // record r is passed over and reported; the rest come out
};

// Adds what record r leaves under the destination, as TreeOf lists it.
void AddRecord(std::map<std::string, std::string>* tree, const RecordLayout& r)
{
    std::string path = r.name.substr(1);
    for (size_t at = 0; (at = path.find('\\', at)) != std::string::npos; ++at)
        (*tree)[path.replace(at, 1, "/").substr(0, at)] = "/";
    (*tree)[path] = r.content;
}

// A name of length bytes in levels of at most 200 characters.
std::string LongName(size_t length, char c)
{
    std::string name;
    while (name.size() < length)
        name += "\\" + std::string(std::min<size_t>(200, length - name.size() - 1), c);
    return name;
}

// A stored, an LZW and a delta record, an empty file and two folder levels.
const std::vector<RecordLayout> kRecords = {
    {"\\readme.txt", "Tremlok sails the sea. Tremlok sails the sea.", kMethodLzw},
    {"\\noise.bin", "\x93\x07q\xe2Z\x11\xc8!\x7f\x80\x01", kMethodStored},
    {"\\Audio\\pop.wav", "\x10\x12\x13\x11\x0f\x0e\x10\x13\x15\x14\x12\x11\x13", kMethodDelta},
    {"\\empty.dat", "", kMethodStored},
    {"\\Audio\\Deep\\tune.txt", "la la la la la la la", kMethodLzw},
};

void Check(const std::string& label, const Bytes& bytes, Outcome outcome, size_t r,
           const std::vector<RecordLayout>& records = kRecords)
{
    int fileResult;
    std::vector<int> results;
    EXPECT_EQ(ExtractBoth(bytes, &fileResult, &results), "") << label;
    const int percent = results.back();
    const bool asExpected =
        (outcome == kWhole && fileResult == 0 && percent == 100) ||
        (outcome == kDamaged && fileResult == 1 && percent == kExtractDamaged) ||
        (outcome == kSkipped && fileResult == 1 && percent == 100 && gExtractSkipped == 1);
    EXPECT_TRUE(asExpected) << label << ": " << fileResult << ", " << percent;
    if (outcome == kSkipped) // the label's 255 characters: the path's start, "...", its end
    {
        EXPECT_EQ(strlen(gExtractFirstSkipped), 255u) << label;
        EXPECT_EQ(std::string(gExtractFirstSkipped, 129),
                  Under(kMem, records[r].name).substr(0, 126) + "...");
    }
    std::map<std::string, std::string> expected;
    for (size_t i = 0; i < records.size(); ++i)
        if (i < r || outcome == kWhole || (outcome == kSkipped && i != r))
            AddRecord(&expected, records[i]);
    EXPECT_TRUE(TreeOf(kOut) == expected) << label << ": in " << kOut;
    EXPECT_TRUE(TreeOf(kMem) == expected) << label << ": in " << kMem;
    std::filesystem::remove_all("w");
}

TEST_F(ExtractTest, EveryDamageIsCaught)
{
    std::vector<size_t> at;
    const Bytes original = ArchiveBytes(kRecords, &at);
    const size_t n = kRecords.size();
    // A field of width 4 or 1 at offset set to value; width 0 cuts there.
    auto add = [&](const std::string& label, size_t offset, uint32_t value, int width,
                   Outcome outcome, size_t r)
    {
        Bytes bytes = original;
        bytes.resize(width ? bytes.size() : offset);
        for (int i = 0; i < width; ++i)
            bytes[offset + i] = (unsigned char)(value >> 8 * i);
        Check(label + " " + std::to_string(offset) + ": " + std::to_string(value), bytes, outcome,
              r);
    };
    add("undamaged, cut at", original.size(), 0, 0, kWhole, 0);
    // The total only feeds the percentage.
    for (uint32_t total : {0u, 1u, 0xFFFFFFFFu})
        add("total size", 0, total, 4, kWhole, 0);
    // Cut anywhere: the records wholly before the cut come out.
    for (size_t offset = 0, r = 0; offset < original.size(); ++offset)
    {
        while (r < n && at[r + 1] <= offset)
            ++r;
        add("cut at", offset, 0, 0, kDamaged, r);
    }
    for (size_t r = 0; r < n; ++r)
    {
        const size_t sizeField = at[r] + kRecords[r].name.size() + 1;
        for (uint32_t size : {0xFFFFFFFFu, 0x80000000u, 0x7FFFFFFFu, 0x01000000u,
                              (uint32_t)kRecords[r].content.size() + 1})
            if (kRecords[r].method || size >= 0x01000000u)
                add("size", sizeField, size, 4, kDamaged, r);
        for (uint32_t method : {1u, 0x4Bu, 0x77u, 0xFFu}) // 'K', 'w'
            add("method", sizeField + 4, method, 1, kDamaged, r);
    }
    // Record 2 renamed: names that leave the destination, or that Windows
    // takes for a device or changes, are damage.
    std::vector<std::pair<std::string, Outcome>> names;
    for (const char* name :
         {"\\..\\x", "\\a\\..\\..\\x", "\\..\\..\\..\\..\\x", "\\.\\x", "\\C:x", "\\C:\\x", "\\a:b",
          "\\a/b", "\\a/../../x", "\\a\\\\b", "\\\\x", "\\", "\\a\\"})
        names.push_back({name, kDamaged});
    for (const char* name :
         {"x", "\\CON", "\\a\\NUL.txt", "\\aux .txt", "\\lpt9.log", "\\b.", "\\b ", "\\a.\\b",
          "\\a\tb", "\\a<b", "\\a|b", "\\a?b", "\\*.txt", "\\a\"b"})
        names.push_back({name, kDamaged});
    for (const char* name :
         {"\\.config", "\\a..b", "\\COM0", "\\CONFIG.SYS", "\\Program Files\\a b", "\\tremlok~0"})
        names.push_back({name, kWhole});
    // Too long for the 512-byte buffers: skipped, never cut into another path.
    for (size_t length : {511u, 512u})
        names.push_back({LongName(length, 'n'), kSkipped});
#ifndef _WIN32
    // Windows paths of this length need the \\?\ form, which setup never uses.
    for (size_t length : {511u, 512u})
        names.push_back({LongName(length - strlen(kOut), 'p'), length == 511 ? kWhole : kSkipped});
    // A level of 250 bytes fits 255, and so must the tool's temporary.
    names.push_back({"\\" + std::string(250, 'l'), kWhole});
#endif
    for (const auto& [name, outcome] : names)
    {
        std::vector<RecordLayout> renamed = kRecords;
        renamed[2].name = name;
        Check("name " + name, ArchiveBytes(renamed), outcome, 2, renamed);
    }
}

// A size no coding of the bytes left could reach is damage before anything
// is allocated: a few damaged bytes must not ask for 256 MiB.
TEST(EntryRecordTest, SizeBeyondAnyDecodingIsDamage)
{
    for (unsigned char method : {kMethodLzw, kMethodDelta})
    {
        Bytes record = {'\\', 'a', 0, 0, 0, 0, 0x10, method, 1, 2, 3, 4};
        DataFileSpan span = {record.data(), record.data() + record.size()};
        EntryRecord head;
        EXPECT_EQ(ReadRecordHead(&span, &head), kRecordDamaged) << method;
    }
}

} // namespace
