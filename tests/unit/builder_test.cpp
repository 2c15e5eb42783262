// The builder's data.bin is what every install extracts: names, order,
// coding and total exact; a failed run never leaves a half-made archive.
#include "app/command_line.h"
#include "app/tool_summary.h"
#include "datafile/builder.h"
#include "datafile/datacpp_writer.h"
#include "tests/unit/scratch_folder.h"

#include <numeric>
#include <random>
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
    // One coder alone under the emulated 32-bit Wine, where threads that exit
    // together kill the process.
    BuilderTest() { gBuildThreads = getenv("TREMLOK_EMULATED") ? 1 : 0; }
    ~BuilderTest() { gBuildThreads = 0; }
    void File(const std::string& name, const std::string& content)
    {
        fs::create_directories(fs::path(Under("tree", name)).parent_path());
        ASSERT_TRUE(WriteFile(Under("tree", name), content)) << name;
    }
};

// The strictly shortest coding, else stored: a tie stores, and so does a
// coding as long as the file. Rows: LZW, delta and file length, method.
TEST(ChooseMethodTest, StrictlyShortestCodingElseStored)
{
    const uint32_t cases[][4] = {{10, 20, 30, kMethodLzw},
                                 {20, 10, 30, kMethodDelta},
                                 {10, 10, 30, kMethodStored},
                                 {30, 40, 30, kMethodStored},
                                 {40, 30, 30, kMethodStored}};
    for (const auto& c : cases)
        EXPECT_EQ(ChooseMethod(c[0], c[1], c[2]), c[3]) << c[0] << " " << c[1] << " " << c[2];
}

// The exact text for every length mod 4, the empty archive among them, a
// row of eight items ending the list or followed by more. data.cpp made
// beside the data file is the one made from it, its text held to the end
// or placed by a forecast, right or wrong (fewer digits).
TEST_F(BuilderTest, DataCppText)
{
    Bytes counting(33), noise(70003);
    std::iota(counting.begin(), counting.end(), 1);
    std::mt19937 random(7);
    for (unsigned char& b : noise)
        b = (unsigned char)(random() % 3 ? 0 : random()); // items of every length
    WriteLe32(noise.data(), 0x1234567);
    const std::string row = "    0x4030201, 0x8070605, 0xc0b0a09, 0x100f0e0d, 0x14131211, "
                            "0x18171615, 0x1c1b1a19, ";
    // data.bin, the text after "= " (none for the noise)
    const std::pair<Bytes, std::string> cases[] = {
        {Bytes(5, 0), "5;\nunsigned int gDatfile[2] = \n{\n    0x0, 0x0, \n};\n"},
        {Bytes(10, 0xFF),
         "10;\nunsigned int gDatfile[3] = \n{\n    0xffffffff, 0xffffffff, 0xffff, \n};\n"},
        {Bytes(counting.begin(), counting.end() - 2),
         "31;\nunsigned int gDatfile[8] = \n{\n" + row + "0x1f1e1d, \n\n};\n"},
        {Bytes(counting.begin(), counting.end() - 1),
         "32;\nunsigned int gDatfile[9] = \n{\n" + row + "0x201f1e1d, \n\n};\n"},
        {counting,
         "33;\nunsigned int gDatfile[9] = \n{\n" + row + "0x201f1e1d, \n    0x21, \n};\n"},
        {Bytes(noise.begin(), noise.end() - 3), ""},
        {noise, ""},
    };
    // held, forecast length (0: the data file's), forecast total (0: its own)
    const uint32_t beside[][3] = {
        {1 << 20, 0, 0}, {4096, 0, 0}, {4096, 9999, 0}, {4096, 0, 0x12345}};
    for (const auto& [bin, text] : cases)
    {
        std::string expected = "unsigned int gSizeDatfile = " + text;
        for (size_t at = 0;
             kPathSeparator == '\\' && (at = expected.find('\n', at)) != expected.npos; at += 2)
            expected.insert(at, "\r");
        ASSERT_TRUE(WriteFile("data.bin", bin));
        EXPECT_EQ(WriteDataCpp("data.bin", "whole.cpp"), 0);
        if (!text.empty())
        {
            EXPECT_EQ(ReadFile("whole.cpp"), expected) << bin.size() << " bytes";
        }
        const uint32_t n = (uint32_t)bin.size(), total = ReadLe32(bin.data());
        for (const auto& c : beside)
        {
            DataCppWriter writer;
            ASSERT_EQ(DataCppBegin(&writer, "beside.cpp", c[0]), 0);
            writer.expectedLength = c[1] ? c[1] : n;
            writer.expectedTotal = c[2] ? c[2] : total;
            for (uint32_t at = 0; at < n; at += 4000)
                DataCppTake(&writer, &bin[at], std::min<uint32_t>(4000, n - at));
            EXPECT_EQ(DataCppEnd(&writer, total, "data.bin"), 0);
            EXPECT_EQ(ReadFile("beside.cpp"), ReadFile("whole.cpp"))
                << n << " " << c[0] << " " << c[1];
        }
    }
}

// An empty root gives the 5-byte data file. Then: records in listing order,
// coded one at a time or side by side, byte for byte the same, among them
// more files than are ever in flight; dot-folders skipped, dot-files kept;
// each file coded the shortest way, an empty one stored; the same for the
// root with a trailing separator.
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
    std::generate(noise.begin(), noise.end(), random);
    for (int i = 0, level = 0; i < 90000; ++i) // a random walk in small steps
        pcm += (char)(level += (int)(random() % 7) - 3);
    std::vector<RecordLayout> records = {
        {"\\.config", "cfg", kMethodStored},
        {"\\a.txt", text, kMethodLzw},
        {"\\b\\big.txt", std::string(200000, 'x') + text, kMethodLzw},
        {"\\b\\noise.bin", noise, kMethodStored},
        {"\\b\\pcm.raw", pcm, kMethodDelta},
        {"\\b\\z.bin", ramp, kMethodDelta},
        {"\\c.txt", "\x93\x07q\xe2Z\x11\xc8!\x7f\x80\x01\xfe", kMethodStored},
        {"\\e", "", kMethodStored},
    };
    for (int i = 0; i < 700; ++i) // noise stays stored
        records.push_back({"\\m\\f" + std::to_string(1000 + i), noise.substr(i, i % 50 + 1), 0});
    for (const RecordLayout& r : records)
        File(r.name, r.content);
    File("\\.cache\\x", "x");
    fs::create_directories(Under("tree", "\\empty\\deeper"));
    const Bytes expected = ArchiveBytes(records);
    // One coder and more than the processors, unless emulated.
    for (int threads : {1, getenv("TREMLOK_EMULATED") ? 1 : 3})
        for (const std::string& root : {std::string("tree"), std::string("tree") + kPathSeparator})
        {
            gBuildThreads = threads;
            ASSERT_EQ(MakeDataBin(root.c_str()), 0);
            EXPECT_TRUE(ReadFile<Bytes>("data.bin") == expected) << root << " " << threads;
        }
}

// A run whose current directory lies in the tree leaves out what it writes
// there, finished or left by a killed run, and nothing else.
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
#ifndef _WIN32
    char summary[100];
    ASSERT_TRUE(ToolSummary(kActionMake, summary, sizeof summary));
    EXPECT_STREQ(summary, "2 files, 2 bytes in, 38 bytes out (1900.0%): data.bin, data.cpp\n");
#endif
}

// A failing run returns 1, reports one failure and leaves the folder as it
// was; of two files that cannot be read, with batches still being coded
// and not yet started behind the first, the first is named.
TEST_F(BuilderTest, FailuresLeaveNoData)
{
    const std::tuple<const char*, const char*, bool (*)()> cases[] = {
        // label, root, prepare
        {"empty argument", "", [] { return true; }},
        {"missing root", "missing", [] { return true; }},
#ifndef _WIN32
        {"FIFO", "tree", [] { return mkfifo("tree/pipe", 0666) == 0; }},
        // Listed empty, read with bytes in it.
        {"two files that grow, files slow to code between", "tree",
         []
         {
             bool made = symlink("/proc/self/status", "tree/b") == 0 &&
                         symlink("/proc/self/status", "tree/z") == 0;
             std::string noise(60000, 0);
             uint32_t state = 1;
             for (int i = 0; made && i < 300; ++i)
             {
                 for (char& c : noise)
                     c = (char)((state = state * 1103515245u + 12345u) >> 16);
                 made = WriteFile("tree/m" + std::to_string(i), noise);
             }
             return made;
         }},
        {"link loop", "tree", [] { return symlink("loop", "tree/loop") == 0; }},
        {"backslash in a name", "tree", [] { return WriteFile("tree/a\\b.txt", "x"); }},
        {"name not in the code page", "tree", [] { return WriteFile("tree/\xe4\xb8\xad", "x"); }},
        // One file on Windows.
        {"names alike but for case", "tree", [] { return WriteFile("tree/GOOD.TXT", "y"); }},
        {"data.cpp cut short by a full disk", "tree", [] { return LimitFileSize(100); }},
#endif
    };
    for (const auto& [label, root, prepare] : cases)
    {
        fs::remove_all("tree");
        File("\\good.txt", "a file the builder can read");
        ASSERT_TRUE(prepare() && WriteFile("data.bin", "OLD")) << label;
        const auto before = TreeOf(".");
        testing::internal::CaptureStderr();
        EXPECT_EQ(MakeDataBin(root), 1) << label;
        const std::string reported = testing::internal::GetCapturedStderr();
        EXPECT_EQ(std::count(reported.begin(), reported.end(), '\n'), 1) << label << reported;
        EXPECT_EQ(reported.find("tree/z"), reported.npos) << label;
#ifndef _WIN32
        LimitFileSize(RLIM_INFINITY);
#endif
        EXPECT_TRUE(TreeOf(".") == before) << label;
    }
}

} // namespace
