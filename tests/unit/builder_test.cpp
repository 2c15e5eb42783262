// The builder's data.bin is what every install extracts: names, order,
// coding and total must be exact, and a failed run must never leave a
// half-made archive where the next build would embed it.
#include "app/command_line.h"
#include "app/tool_summary.h"
#include "datafile/builder.h"
#include "datafile/datacpp_writer.h"
#include "tests/unit/scratch_folder.h"

#include <numeric>
#include <random>
#include <set>
#include <stdlib.h>

#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace
{

namespace fs = std::filesystem;

struct BuilderTest : ScratchTest
{
    void File(const std::string& name, const std::string& content)
    {
        fs::create_directories(fs::path(Under("tree", name)).parent_path());
        ASSERT_TRUE(WriteFile(Under("tree", name), content)) << name;
    }
};

// The strictly shortest coding, else stored: a tie stores, and so does a
// coding exactly as long as the file.
TEST(ChooseMethodTest, StrictlyShortestCodingElseStored)
{
    const uint32_t cases[][4] = {{10, 20, 30, kMethodLzw},    {20, 10, 30, kMethodDelta},
                                 {29, 40, 30, kMethodLzw},    {10, 10, 30, kMethodStored},
                                 {30, 40, 30, kMethodStored}, {40, 30, 30, kMethodStored},
                                 {4, 1, 0, kMethodStored}};
    for (const auto& c : cases) // LZW length, delta length, file length, method
        EXPECT_EQ(ChooseMethod(c[0], c[1], c[2]), c[3]) << c[0] << " " << c[1] << " " << c[2];
}

// data.cpp as the one-word-at-a-time loop writes it.
std::string SourceText(const Bytes& bin)
{
    const char* end = kPathSeparator == '\\' ? "\r\n" : "\n";
    std::string text = "unsigned int gSizeDatfile = " + std::to_string(bin.size()) + ";" + end +
                       "unsigned int gDatfile[" + std::to_string(bin.size() / 4 + 1) +
                       "] = " + end + "{" + end;
    for (size_t o = 0; o < bin.size(); o += 4)
    {
        unsigned char word[4] = {0, 0, 0, 0};
        memcpy(word, &bin[o], std::min<size_t>(4, bin.size() - o));
        char item[16];
        snprintf(item, sizeof item, "0x%x, ", ReadLe32(word));
        text += (o % 32 == 0 ? "    " : "") + std::string(item) + (o % 32 == 28 ? end : "");
    }
    return text + end + "};" + end;
}

// The exact text for every length mod 4, the empty archive among them, a row
// of eight items that ends the list and one followed by more, and a word
// with no zero digit; the reference above is pinned to one literal text.
TEST_F(BuilderTest, DataCppText)
{
    const std::string e = kPathSeparator == '\\' ? "\r\n" : "\n";
    Bytes counting(33);
    std::iota(counting.begin(), counting.end(), 1);
    EXPECT_EQ(SourceText(counting),
              "unsigned int gSizeDatfile = 33;" + e + "unsigned int gDatfile[9] = " + e + "{" + e +
                  "    0x4030201, 0x8070605, 0xc0b0a09, 0x100f0e0d, 0x14131211, 0x18171615, "
                  "0x1c1b1a19, 0x201f1e1d, " +
                  e + "    0x21, " + e + "};" + e);
    for (const Bytes& bin :
         {Bytes(5, 0), Bytes(counting.begin(), counting.end() - 2),
          Bytes(counting.begin(), counting.end() - 1), counting, Bytes(10, 0xFF)})
    {
        ASSERT_TRUE(WriteFile("data.bin", bin));
        EXPECT_EQ(WriteDataCpp("data.bin", "data.cpp"), 0);
        EXPECT_EQ(ReadFile("data.cpp"), SourceText(bin)) << bin.size() << " bytes";
    }
}

// An empty root gives the 5-byte data file. Then: records in listing order,
// a sub-folder's where it is listed, whether coded one at a time or side by
// side; folders named with a dot skipped, files so named kept; each file
// coded the shortest way, an empty one stored; the same data file for the
// root with a trailing separator, and a data.cpp of more than one slice.
TEST_F(BuilderTest, RecordsNamesAndCodings)
{
    fs::create_directories("tree");
    EXPECT_EQ(MakeDataBin("tree"), 0);
    EXPECT_EQ(ReadFile<Bytes>("data.bin"), Bytes(5, 0));
    EXPECT_TRUE(std::filesystem::exists("data.cpp"));
    std::string text, ramp;
    for (int i = 0; text.size() < 900; ++i)
        text += "the quick brown fox " + std::to_string(i % 7) + " jumps. ";
    for (int i = 0; i < 768; ++i)
        ramp += (char)(i / 3);
    std::string noise(1300000, 0), pcm;
    std::mt19937 random(5);
    for (char& c : noise)
        c = (char)random();
    for (int i = 0, level = 0; i < 90000; ++i) // a random walk in small steps
        pcm += (char)(level += (int)(random() % 7) - 3);
    const std::vector<RecordLayout> records = {
        {"\\.config", "cfg", kMethodStored},
        {"\\a.txt", text, kMethodLzw},
        {"\\b\\big.txt", std::string(200000, 'x') + text, kMethodLzw},
        {"\\b\\noise.bin", noise, kMethodStored},
        {"\\b\\pcm.raw", pcm, kMethodDelta},
        {"\\b\\z.bin", ramp, kMethodDelta},
        {"\\c.txt", "\x93\x07q\xe2Z\x11\xc8!\x7f\x80\x01\xfe", kMethodStored},
        {"\\e", "", kMethodStored},
    };
    for (const RecordLayout& r : records)
        File(r.name, r.content);
    File("\\.cache\\x", "x");
    fs::create_directories(Under("tree", "\\empty\\deeper"));
    const Bytes expected = ArchiveBytes(records);
    // Coded side by side too, except where the 32-bit Wine is emulated:
    // there threads that exit together kill the process (scripts/wine-run).
    const int mostThreads = getenv("TREMLOK_EMULATED") ? 1 : 2;
    for (int threads = 1; threads <= mostThreads; ++threads)
        for (const std::string& root : {std::string("tree"), std::string("tree") + kPathSeparator})
        {
            gBuildThreads = threads;
            ASSERT_EQ(MakeDataBin(root.c_str()), 0);
            EXPECT_TRUE(ReadFile<Bytes>("data.bin") == expected) << root << " " << threads;
        }
    gBuildThreads = 2;
    EXPECT_TRUE(ReadFile("data.cpp") == SourceText(expected));
#ifndef _WIN32
    size_t in = 0;
    for (const RecordLayout& r : records)
        in += r.content.size();
    char summary[200], line[200];
    snprintf(line, sizeof line,
             "%zu files, %zu bytes in, %zu bytes out (%.1f%%): data.bin, data.cpp\n",
             records.size(), in, expected.size(), 100.0 * expected.size() / in);
    ASSERT_TRUE(ToolSummary(kActionMake, summary, sizeof summary));
    EXPECT_STREQ(summary, line);
#endif
}

// A run whose current directory lies in the tree leaves out what it writes
// there, finished or left over from a killed run, and nothing else.
TEST_F(BuilderTest, OwnOutputsStayOut)
{
    const std::vector<RecordLayout> records = {{"\\a.txt", "a", kMethodStored},
                                               {"\\sub\\data.bin", "b", kMethodStored}};
    File("\\sub\\data.bin", "b");
    ASSERT_TRUE(WriteFile("tree/a.txt", "a") && WriteFile("tree/data.cpp.tmp", "stale"));
    fs::current_path("tree");
    for (const char* root : {".", "../tree"})
    {
        EXPECT_EQ(MakeDataBin(root), 0);
        EXPECT_EQ(ReadFile<Bytes>("data.bin"), ArchiveBytes(records)) << root;
    }
    fs::current_path("..");
}

// Each failing run returns 1 and leaves the folder as it was: an earlier
// data.bin untouched, no data.cpp, no temporary.
TEST_F(BuilderTest, FailuresLeaveNoData)
{
    struct Case
    {
        const char* label;
        const char* root;
        bool (*prepare)();
    };
    const Case cases[] = {
        {"empty argument", "", [] { return true; }},
        {"missing root", "missing", [] { return true; }},
#ifndef _WIN32
        {"FIFO", "tree", [] { return mkfifo("tree/pipe", 0666) == 0; }},
        {"link loop", "tree", [] { return symlink("loop", "tree/loop") == 0; }},
        {"backslash in a name", "tree", [] { return WriteFile("tree/a\\b.txt", "x"); }},
        {"non-ASCII name", "tree", [] { return WriteFile("tree/caf\xc3\xa9.txt", "x"); }},
#endif
    };
    auto names = []
    {
        std::set<std::string> names;
        for (const auto& item : fs::directory_iterator("."))
            names.insert(item.path().filename().string());
        return names;
    };
    for (const Case& c : cases)
    {
        fs::remove_all("tree");
        File("\\good.txt", "a file the builder can read");
        ASSERT_TRUE(c.prepare() && WriteFile("data.bin", "OLD")) << c.label;
        const std::set<std::string> before = names();
        EXPECT_EQ(MakeDataBin(c.root), 1) << c.label;
        EXPECT_EQ(names(), before) << c.label;
        EXPECT_EQ(ReadFile("data.bin"), "OLD") << c.label;
    }
}

} // namespace
