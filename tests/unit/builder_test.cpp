// The builder's data.bin is what every install extracts: names, order,
// coding and total must be exact, and a failed run must never leave a
// half-made archive where the next build would embed it.
#include "datafile/builder.h"
#include "tests/unit/scratch_folder.h"

#include <set>

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
        ASSERT_TRUE(WriteText(Under("tree", name), content)) << name;
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

// An empty root gives the 5-byte data file. Then: records in listing order,
// a sub-folder's where it is listed; folders named with a dot skipped, files
// so named kept; each file coded the shortest way, an empty one stored; the
// same data file for the root with a trailing separator.
TEST_F(BuilderTest, RecordsNamesAndCodings)
{
    fs::create_directories("tree");
    EXPECT_EQ(MakeDataBin("tree"), 0);
    EXPECT_EQ(ReadBytes("data.bin"), Bytes(5, 0));
    EXPECT_TRUE(Exists("data.cpp"));
    std::string text, ramp;
    for (int i = 0; text.size() < 900; ++i)
        text += "the quick brown fox " + std::to_string(i % 7) + " jumps. ";
    for (int i = 0; i < 768; ++i)
        ramp += (char)(i / 3);
    const std::vector<RecordLayout> records = {
        {"\\.config", "cfg", kMethodStored},
        {"\\a.txt", text, kMethodLzw},
        {"\\b\\z.bin", ramp, kMethodDelta},
        {"\\c.txt", "\x93\x07q\xe2Z\x11\xc8!\x7f\x80\x01\xfe", kMethodStored},
        {"\\e", "", kMethodStored},
    };
    for (const RecordLayout& r : records)
        File(r.name, r.content);
    File("\\.cache\\x", "x");
    fs::create_directories(Under("tree", "\\empty\\deeper"));
    for (const std::string& root : {std::string("tree"), std::string("tree") + kPathSeparator})
    {
        ASSERT_EQ(MakeDataBin(root.c_str()), 0);
        EXPECT_EQ(ReadBytes("data.bin"), ArchiveBytes(records)) << root;
    }
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
        {"backslash in a name", "tree", [] { return WriteText("tree/a\\b.txt", "x"); }},
        {"non-ASCII name", "tree", [] { return WriteText("tree/caf\xc3\xa9.txt", "x"); }},
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
        ASSERT_TRUE(c.prepare() && WriteText("data.bin", "OLD")) << c.label;
        const std::set<std::string> before = names();
        EXPECT_EQ(MakeDataBin(c.root), 1) << c.label;
        EXPECT_EQ(names(), before) << c.label;
        EXPECT_EQ(ReadText("data.bin"), "OLD") << c.label;
    }
}

} // namespace
