// The builder's data.bin is what every install extracts: names, order,
// coding choice and total size must be exact, and a failed run must never
// leave a half-made archive where the next build would embed it.
#include "datafile/builder.h"

#include "datafile/entry_record.h"
#include "tests/unit/scratch_folder.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace
{

struct ParsedRecord
{
    std::string name;
    uint32_t size;
    unsigned char method;
    std::string content;
};

struct ParsedArchive
{
    uint32_t total;
    std::vector<ParsedRecord> records;
    bool whole; // every record read and the end marker last
};

ParsedArchive Parse(const Bytes& bytes)
{
    ParsedArchive archive = {0, {}, false};
    if (bytes.size() < 5)
        return archive;
    archive.total = ReadLe32(bytes.data());
    ArchiveSpan span = {bytes.data() + 4, bytes.data() + bytes.size()};
    EntryRecord record;
    RecordStatus status;
    while ((status = ReadRecordHead(&span, &record)) == kRecordEntry)
    {
        std::string content(record.size, '\0');
        if (!ReadPayload(&span, record, (unsigned char*)&content[0]))
            return archive;
        archive.records.push_back({record.name, record.size, record.method, content});
    }
    archive.whole = status == kRecordEnd && span.cursor == span.end;
    return archive;
}

std::vector<std::string> Names(const ParsedArchive& archive)
{
    std::vector<std::string> names;
    for (const ParsedRecord& r : archive.records)
        names.push_back(r.name);
    return names;
}

std::string RandomText(size_t n)
{
    std::mt19937 random(7);
    std::string s;
    for (size_t i = 0; i < n; ++i)
        s += (char)random();
    return s;
}

std::string Repeated(const std::string& piece, size_t times)
{
    std::string s;
    for (size_t i = 0; i < times; ++i)
        s += piece;
    return s;
}

std::string SlowRamp(size_t n)
{
    std::string s;
    for (size_t i = 0; i < n; ++i)
        s += (char)(i / 3);
    return s;
}

struct BuilderTest : ScratchTest
{
    std::string tree;

    void SetUp() override
    {
        ScratchTest::SetUp();
        tree = Path("tree");
        ASSERT_EQ(FolderCreate(tree.c_str()), 0);
    }

    void Folder(const std::string& relative)
    {
        ASSERT_EQ(FolderCreate(Join(tree, relative).c_str()), 0) << relative;
    }

    void File(const std::string& relative, const std::string& content)
    {
        ASSERT_TRUE(WriteText(Join(tree, relative), content)) << relative;
    }

    ParsedArchive Build(const std::string& root)
    {
        EXPECT_EQ(MakeDataBin(root.c_str()), 0);
        return Parse(ReadBytes("data.bin"));
    }
};

TEST(ChooseMethodTest, Table)
{
    struct Case
    {
        const char* label;
        uint32_t lzw, delta, n;
        unsigned char method;
    };
    const Case cases[] = {
        {"lzw shortest", 10, 20, 30, 'L'},
        {"delta shortest", 20, 10, 30, 'W'},
        {"tie stores though shorter than the file", 10, 10, 30, 0},
        {"lzw exactly n stores", 30, 40, 30, 0},
        {"delta exactly n stores", 40, 30, 30, 0},
        {"lzw longer than n stores", 31, 40, 30, 0},
        {"empty file stores", 4, 1, 0, 0},
        {"one below n codes", 29, 40, 30, 'L'},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ChooseMethod(c.lzw, c.delta, c.n), c.method) << c.label;
}

TEST_F(BuilderTest, EmptyRootGivesTheFiveByteArchive)
{
    EXPECT_EQ(MakeDataBin(tree.c_str()), 0);
    EXPECT_EQ(ReadBytes("data.bin"), Bytes({0, 0, 0, 0, 0}));
    EXPECT_TRUE(Exists("data.cpp"));
    EXPECT_FALSE(Exists("data.bin.tmp"));
    EXPECT_FALSE(Exists("data.cpp.tmp"));
}

TEST_F(BuilderTest, ZeroLengthFileIsStoredWithoutPayload)
{
    File("e", "");
    EXPECT_EQ(MakeDataBin(tree.c_str()), 0);
    EXPECT_EQ(ReadBytes("data.bin"), Bytes({0, 0, 0, 0, '\\', 'e', 0, 0, 0, 0, 0, 0, 0}));
}

TEST_F(BuilderTest, EachFileGetsItsShortestCoding)
{
    File("text.txt", Repeated("the quick brown fox jumps over the lazy dog. ", 20));
    File("ramp.bin", SlowRamp(768));
    File("noise.bin", RandomText(64));
    ParsedArchive archive = Build(tree);
    ASSERT_TRUE(archive.whole);
    ASSERT_EQ(archive.records.size(), 3u);
    for (const ParsedRecord& r : archive.records)
    {
        unsigned char expected = r.name == "\\text.txt" ? 'L' : r.name == "\\ramp.bin" ? 'W' : 0;
        EXPECT_EQ(r.method, expected) << r.name;
        EXPECT_EQ(r.content, ReadText(Join(tree, r.name.substr(1)))) << r.name;
    }
}

TEST_F(BuilderTest, SubFolderContentComesWhereTheFolderIsListed)
{
    File("a.txt", "a");
    Folder("b");
    File(Join("b", "z.txt"), "bb");
    File("c.txt", "ccc");
    ParsedArchive archive = Build(tree);
    ASSERT_TRUE(archive.whole);
#ifndef _WIN32
    EXPECT_EQ(Names(archive), std::vector<std::string>({"\\a.txt", "\\b\\z.txt", "\\c.txt"}));
#endif
    EXPECT_EQ(archive.total, 6u);
    EXPECT_EQ(archive.records.size(), 3u);
}

#ifndef _WIN32
// NTFS order, whatever the Linux file system's: upper case sorts with lower.
TEST_F(BuilderTest, ListingSortsWithoutRegardToCase)
{
    File("c.txt", "c");
    File("B.txt", "b");
    File("a.txt", "a");
    EXPECT_EQ(Names(Build(tree)), std::vector<std::string>({"\\a.txt", "\\B.txt", "\\c.txt"}));
}
#endif

TEST_F(BuilderTest, DotFoldersSkippedDotFilesKept)
{
    Folder(".cache");
    File(Join(".cache", "x"), "x");
    File(".config", "cfg");
    Folder("empty");
    EXPECT_EQ(Names(Build(tree)), std::vector<std::string>({"\\.config"}));
}

TEST_F(BuilderTest, EmptySubFolderLeavesNoTrace)
{
    File("a.txt", "a");
    EXPECT_EQ(MakeDataBin(tree.c_str()), 0);
    Bytes without = ReadBytes("data.bin");
    Folder("empty");
    Folder(Join("empty", "deeper"));
    EXPECT_EQ(MakeDataBin(tree.c_str()), 0);
    EXPECT_EQ(ReadBytes("data.bin"), without);
}

TEST_F(BuilderTest, TrailingSeparatorGivesTheSameArchive)
{
    File("a.txt", "a");
    Folder("sub");
    File(Join("sub", "b.txt"), Repeated("b", 100));
    EXPECT_EQ(MakeDataBin(tree.c_str()), 0);
    Bytes plain = ReadBytes("data.bin");
    EXPECT_EQ(MakeDataBin((tree + kPathSeparator).c_str()), 0);
    EXPECT_EQ(ReadBytes("data.bin"), plain);
}

// Every failing run leaves the previous data.bin and data.cpp as they were
// and no temporary behind.
struct FailureCase
{
    const char* label;
    bool (*prepare)(const std::string& tree); // false when the case cannot be set up
    bool appendSeparator;
};

bool PrepareMissingRoot(const std::string& tree)
{
    return std::filesystem::remove(tree);
}

#ifndef _WIN32
// Windows cannot even make such a path without the \\?\ form.
bool PrepareLongPath(const std::string& tree)
{
    std::string path = tree;
    while (path.size() < 400)
    {
        path = Join(path, std::string(100, 'd'));
        if (FolderCreate(path.c_str()) != 0)
            return false;
    }
    return WriteText(Join(path, std::string(120, 'f')), "x");
}

bool PrepareDanglingLink(const std::string& tree)
{
    std::error_code error;
    std::filesystem::create_symlink(Join(tree, "nowhere"), Join(tree, "link"), error);
    return WriteText(Join(tree, "a.txt"), "a") && !error;
}

bool PrepareBackslashName(const std::string& tree)
{
    return WriteText(Join(tree, "a\\b.txt"), "x");
}

bool PrepareNonAsciiName(const std::string& tree)
{
    return WriteText(Join(tree, "caf\xc3\xa9.txt"), "x");
}

bool PrepareNonAsciiFolder(const std::string& tree)
{
    std::string folder = Join(tree, "\xc3\xa9t\xc3\xa9");
    return FolderCreate(folder.c_str()) == 0 && WriteText(Join(folder, "a.txt"), "x");
}

bool PrepareDeviceName(const std::string& tree)
{
    return WriteText(Join(tree, "aux.txt"), "x");
}

bool PrepareColonName(const std::string& tree)
{
    return WriteText(Join(tree, "a:b"), "x");
}

bool PrepareTrailingDot(const std::string& tree)
{
    return WriteText(Join(tree, "readme."), "x");
}
#endif

const FailureCase kFailureCases[] = {
    {"missing root", PrepareMissingRoot, false},
#ifndef _WIN32
    {"long path", PrepareLongPath, false},
    {"dangling link", PrepareDanglingLink, false},
    {"backslash in name", PrepareBackslashName, false},
    {"non-ASCII name", PrepareNonAsciiName, false},
    {"non-ASCII folder", PrepareNonAsciiFolder, false},
    {"device name", PrepareDeviceName, false},
    {"colon in name", PrepareColonName, false},
    {"trailing dot", PrepareTrailingDot, true},
#endif
};

void ExpectOldPairKept(const char* label)
{
    EXPECT_EQ(ReadText("data.bin"), "OLD BIN") << label;
    EXPECT_EQ(ReadText("data.cpp"), "OLD CPP") << label;
}

TEST_F(BuilderTest, FailedRunsKeepThePreviousPair)
{
    for (const FailureCase& c : kFailureCases)
    {
        std::filesystem::remove_all(tree);
        FolderCreate(tree.c_str());
        ASSERT_TRUE(WriteText("data.bin", "OLD BIN"));
        ASSERT_TRUE(WriteText("data.cpp", "OLD CPP"));
        ASSERT_TRUE(c.prepare(tree)) << c.label;
        std::string root = c.appendSeparator ? tree + kPathSeparator : tree;
        EXPECT_EQ(MakeDataBin(root.c_str()), 1) << c.label;
        ExpectOldPairKept(c.label);
        EXPECT_FALSE(Exists("data.bin.tmp")) << c.label;
        EXPECT_FALSE(Exists("data.cpp.tmp")) << c.label;
    }
}

// A folder standing where a temporary file must go makes either step fail.
TEST_F(BuilderTest, UnwritableTemporaryKeepsThePreviousPair)
{
    File("a.txt", "a");
    for (const char* blocked : {"data.bin.tmp", "data.cpp.tmp"})
    {
        ASSERT_TRUE(WriteText("data.bin", "OLD BIN"));
        ASSERT_TRUE(WriteText("data.cpp", "OLD CPP"));
        ASSERT_EQ(FolderCreate(blocked), 0);
        EXPECT_EQ(MakeDataBin(tree.c_str()), 1) << blocked;
        ExpectOldPairKept(blocked);
        std::filesystem::remove(blocked);
        EXPECT_FALSE(Exists("data.bin.tmp")) << blocked;
        EXPECT_FALSE(Exists("data.cpp.tmp")) << blocked;
    }
}

TEST_F(BuilderTest, EmptyFolderArgumentWritesNothing)
{
    File("a.txt", "a");
    EXPECT_EQ(MakeDataBin(""), 1);
    EXPECT_FALSE(Exists("data.bin"));
    EXPECT_FALSE(Exists("data.bin.tmp"));
    EXPECT_FALSE(Exists("data.cpp"));
}

} // namespace
