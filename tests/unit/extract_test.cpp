// The extraction engine writes what the archive says and nothing else: every
// byte where it belongs, progress as the progress page expects it, and no
// file outside the destination whatever the archive holds.
#include "datafile/extract.h"

#include "datafile/extract_entry.h"
#include "datafile/format.h"
#include "tests/unit/archive_image.h"
#include "tests/unit/logged_lines.h"
#include "tests/unit/scratch_folder.h"
#include "uninstall/uninstall_log.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string.h>
#include <string>
#include <vector>

namespace
{

std::string Ramp(size_t n)
{
    std::string s;
    for (size_t i = 0; i < n; ++i)
        s += (char)(i / 3);
    return s;
}

std::string Repeated(const std::string& piece, size_t times)
{
    std::string s;
    for (size_t i = 0; i < times; ++i)
        s += piece;
    return s;
}

// Three entries, one for each method, of 10, 30 and 60 bytes.
std::vector<RecordSpec> ThreeMethods()
{
    return {{"\\stored.txt", "0123456789", kMethodStored},
            {"\\Sub\\lzw.txt", Repeated("abc", 10), kMethodLzw},
            {"\\Sub\\Deep\\delta.bin", Ramp(60), kMethodDelta}};
}

// Every file under folder, relative, with '/' between levels.
std::set<std::string> TreeOf(const std::string& folder)
{
    std::set<std::string> names;
    std::error_code error;
    for (auto it = std::filesystem::recursive_directory_iterator(folder, error);
         it != std::filesystem::recursive_directory_iterator(); it.increment(error))
        names.insert(std::filesystem::relative(it->path(), folder).generic_string());
    return names;
}

std::string NativeName(const std::string& archiveName)
{
    std::string name = archiveName.substr(1);
    std::replace(name.begin(), name.end(), '\\', kPathSeparator);
    return name;
}

// A name of exactly n bytes, in levels short enough for any file system.
std::string NameOfLength(size_t n)
{
    std::string name;
    while (n - name.size() > 202)
        name += "\\" + std::string(100, 'n');
    return name + "\\" + std::string(n - name.size() - 1, 'e');
}

struct ExtractTest : ScratchTest
{
    std::vector<unsigned int> words; // the image the engine reads
    char currentFile[kCurrentFileSize];

    void SetUp() override
    {
        ScratchTest::SetUp();
        ResetUninstallLog();
        memset(currentFile, 0, sizeof currentFile);
    }

    void Begin(const Bytes& bytes)
    {
        words = ImageWords(bytes);
        EXPECT_EQ(BeginExtract("unused", words.data(), (uint32_t)bytes.size()), 1);
    }

    // Calls ExtractNext until it ends or stops, at most limit times.
    std::vector<int> RunAll(const std::string& root, int limit = 20)
    {
        std::vector<int> results;
        while ((int)results.size() < limit)
        {
            results.push_back(ExtractNext(root.c_str(), currentFile));
            if (results.back() == 100 || results.back() == kExtractDamaged)
                break;
        }
        return results;
    }
};

TEST(ExtractPercentTest, Table)
{
    struct Case
    {
        const char* label;
        uint32_t done, total;
        int percent;
    };
    const Case cases[] = {
        {"truncated not rounded", 29, 100, 28},
        {"exact half", 50, 100, 50},
        {"nothing done", 0, 100, 1},
        {"below one", 1, 1000, 1},
        {"total zero", 0, 0, 1},
        {"total zero with bytes done", 5, 0, 1},
        {"all done", 100, 100, 99},
        {"past the total", 300, 100, 99},
        {"done negative as int32", 0x80000000u, 100, 1},
        {"total negative as int32", 100, 0xFFFFFFFFu, 1},
        {"both negative", 0xFFFFFFFFu, 0xFFFFFFFFu, 99},
        {"total most negative", 3, 0x80000000u, 1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ExtractPercent(c.done, c.total), c.percent) << c.label;
}

TEST_F(ExtractTest, TakesOneEntryPerCallThenCompletes)
{
    Begin(ArchiveBytes(ThreeMethods()));
    std::string root = Path("Game");
    EXPECT_EQ(ExtractNext(root.c_str(), currentFile), 10);
    EXPECT_EQ(std::string(currentFile), Join(root, "stored.txt"));
    EXPECT_EQ(ExtractNext(root.c_str(), currentFile), 40);
    EXPECT_EQ(std::string(currentFile), Join(root, NativeName("\\Sub\\lzw.txt")));
    EXPECT_EQ(ExtractNext(root.c_str(), currentFile), 99);
    EXPECT_EQ(std::string(currentFile), Join(root, NativeName("\\Sub\\Deep\\delta.bin")));
    EXPECT_EQ(ExtractNext(root.c_str(), currentFile), 100);
    EXPECT_STREQ(currentFile, "Complete");
    strcpy(currentFile, "untouched");
    EXPECT_EQ(ExtractNext(root.c_str(), currentFile), 100);
    EXPECT_STREQ(currentFile, "untouched");
    EXPECT_EQ(gExtractSkipped, 0);
    for (const RecordSpec& r : ThreeMethods())
    {
        Bytes expected(r.content.begin(), r.content.end());
        EXPECT_EQ(ReadBytes(Join(root, NativeName(r.name))), expected) << r.name;
    }
}

TEST_F(ExtractTest, IdleEngineReturnsItsPercentageAndTouchesNothing)
{
    gExtractStarted = 0;
    gExtractPercent = 0;
    strcpy(currentFile, "untouched");
    EXPECT_EQ(ExtractNext(Path("Game").c_str(), currentFile), 0);
    EXPECT_STREQ(currentFile, "untouched");
    EXPECT_FALSE(Exists(Path("Game")));
}

TEST_F(ExtractTest, EmptyArchiveCompletesOnFirstCall)
{
    Begin(ArchiveBytes({}));
    EXPECT_EQ(RunAll(Path("Game")), std::vector<int>({100}));
    EXPECT_FALSE(Exists(Path("Game")));
}

TEST_F(ExtractTest, ZeroTotalGivesOneUntilTheEnd)
{
    Begin(ArchiveBytes({{"\\a", "", kMethodStored}, {"\\b", "", kMethodStored}}));
    EXPECT_EQ(RunAll(Path("Game")), std::vector<int>({1, 1, 100}));
    EXPECT_TRUE(Exists(Path("Game/a")));
    EXPECT_EQ(ReadBytes(Join(Path("Game"), "a")), Bytes());
    ASSERT_EQ(gUninstallCount, 3); // the folder, then a and b
    EXPECT_EQ(LoggedLines()[1], "del \"" + Join(Path("Game"), "a") + "\"\r\n");
}

TEST_F(ExtractTest, ReplacesALongerExistingFileWhole)
{
    ASSERT_EQ(FolderCreate(Path("Game").c_str()), 0);
    ASSERT_TRUE(WriteText(Join(Path("Game"), "a.txt"), Repeated("old ", 100)));
    Begin(ArchiveBytes({{"\\a.txt", "new", kMethodStored}}));
    RunAll(Path("Game"));
    EXPECT_EQ(ReadText(Join(Path("Game"), "a.txt")), "new");
}

TEST_F(ExtractTest, RootWithTrailingSeparatorStillWrites)
{
    Begin(ArchiveBytes(ThreeMethods()));
    std::string root = Path("Game") + kPathSeparator;
    EXPECT_EQ(RunAll(root).back(), 100);
    EXPECT_EQ(ReadText(Join(Path("Game"), "stored.txt")), "0123456789");
    EXPECT_EQ(ReadText(Join(Path("Game"), NativeName("\\Sub\\lzw.txt"))), Repeated("abc", 10));
}

TEST_F(ExtractTest, LogsFoldersAndFilesInCreationOrder)
{
    Begin(
        ArchiveBytes({{"\\a.exe", "exe", kMethodStored}, {"\\Data\\b.dat", "dat", kMethodStored}}));
    std::string x = Path("X");
    RunAll(x);
    std::vector<std::string> expected = {
        "rmdir \"" + x + "\"\r\n",
        "del \"" + Join(x, "a.exe") + "\"\r\n",
        "rmdir \"" + Join(x, "Data") + "\"\r\n",
        "del \"" + Join(Join(x, "Data"), "b.dat") + "\"\r\n",
    };
    EXPECT_EQ(LoggedLines(), expected);
}

TEST_F(ExtractTest, ExistingInstallFolderIsNotLogged)
{
    ASSERT_EQ(FolderCreate(Path("X").c_str()), 0);
    Begin(ArchiveBytes({{"\\a.exe", "exe", kMethodStored}}));
    RunAll(Path("X"));
    EXPECT_EQ(LoggedLines(),
              std::vector<std::string>({"del \"" + Join(Path("X"), "a.exe") + "\"\r\n"}));
}

TEST_F(ExtractTest, UnwritableEntryIsSkippedAndTheRestFollows)
{
    // A folder in the way of the first entry's file.
    ASSERT_EQ(FolderCreate(Path("Game").c_str()), 0);
    ASSERT_EQ(FolderCreate(Join(Path("Game"), "stored.txt").c_str()), 0);
    Begin(ArchiveBytes(ThreeMethods()));
    EXPECT_EQ(RunAll(Path("Game")), std::vector<int>({10, 40, 99, 100}));
    EXPECT_EQ(gExtractSkipped, 1);
    EXPECT_EQ(ReadText(Join(Path("Game"), NativeName("\\Sub\\Deep\\delta.bin"))), Ramp(60));
    for (const std::string& line : LoggedLines())
        EXPECT_EQ(line.find("stored.txt"), std::string::npos) << line;
}

// The engine never forms a path longer than its 512-byte buffer: such an
// entry is passed over, its payload consumed so that the next one is found.
TEST_F(ExtractTest, OverlongNamesAreSkippedWithTheirPayload)
{
    std::string name511 = NameOfLength(511);
    std::string name512 = NameOfLength(512);
    ASSERT_EQ(name511.size(), 511u);
    Begin(ArchiveBytes({{name511, Repeated("xy", 20), kMethodLzw},
                        {name512, Ramp(40), kMethodDelta},
                        {"\\after.txt", "after", kMethodStored}}));
    EXPECT_EQ(RunAll(Path("Game")), std::vector<int>({47, 94, 99, 100}));
    EXPECT_EQ(gExtractSkipped, 2);
    EXPECT_EQ(TreeOf(Path("Game")), std::set<std::string>({"after.txt"}));
}

TEST(EntryPathTest, FitsWholeOrSaysItWasCut)
{
    const std::string whole = std::string("root") + kPathSeparator + "a" + kPathSeparator + "b.txt";
    char out[16];
    memset(out, 'x', sizeof out);
    EXPECT_TRUE(EntryPath(out, 13, "root", "\\a\\b.txt"));
    EXPECT_EQ(out, whole);
    memset(out, 'x', sizeof out);
    EXPECT_FALSE(EntryPath(out, 12, "root", "\\a\\b.txt"));
    EXPECT_EQ(out, whole.substr(0, 11));
    EXPECT_EQ(out[12], 'x');
}

// A root and name longer than the path buffer, which no caller of the
// engine passes: the entry is skipped as too long, named by the start of
// its path, and its payload is consumed.
TEST_F(ExtractTest, PathPastTheBufferIsSkippedNotWritten)
{
    std::string root = Path(std::string(kReportedPathSize, 'r'));
    Bytes bytes = ArchiveBytes({{"\\a.txt", "abc", kMethodStored}});
    ArchiveSpan span = {bytes.data() + 4, bytes.data() + bytes.size()};
    EntryResult result;
    EXPECT_EQ(ExtractEntry(root.c_str(), &span, true, &result), kEntrySkipped);
    EXPECT_STREQ(result.problem, "path too long");
    EXPECT_TRUE(result.pathCut);
    EXPECT_EQ(std::string(result.path), root.substr(0, kReportedPathSize - 1));
    EXPECT_EQ(ExtractEntry(root.c_str(), &span, true, &result), kEntryEnd);
    EXPECT_EQ(gUninstallCount, 0);
}

TEST_F(ExtractTest, EntryPathOfExactly511CharactersIsWritten)
{
    std::string root = Path("Game");
    size_t nameLength = 511 - root.size();
    ASSERT_GT(nameLength, 200u);
    std::string name = NameOfLength(nameLength);
    Begin(ArchiveBytes({{name, "fits", kMethodStored}, {name + "h", "long", kMethodStored}}));
    RunAll(root);
    std::string path = Join(root, NativeName(name));
    ASSERT_EQ(path.size(), 511u);
#ifndef _WIN32
    // Windows paths of this length need the \\?\ form, which setup never uses.
    EXPECT_EQ(ReadText(path), "fits");
    EXPECT_EQ(gExtractSkipped, 1);
#endif
    EXPECT_FALSE(Exists(path + "h"));
}

TEST_F(ExtractTest, LongPathIsShortenedForDisplayOnly)
{
    std::string root = Path("Game");
    std::string name = "\\" + std::string(150, 'p') + "\\" + std::string(100, 'q') + ".txt";
    Begin(ArchiveBytes({{name, "x", kMethodStored}}));
    ExtractNext(root.c_str(), currentFile);
    std::string shown = currentFile;
    std::string full = Join(root, NativeName(name));
    EXPECT_EQ(shown.size(), 255u);
    EXPECT_NE(shown.find("..."), std::string::npos);
    EXPECT_EQ(shown.substr(0, 20), full.substr(0, 20));
    EXPECT_EQ(shown.substr(shown.size() - 30), full.substr(full.size() - 30));
}

struct DamagedCase
{
    const char* label;
    Bytes damaged; // one record
};

Bytes Head(const std::string& name, uint32_t size, unsigned char method)
{
    Bytes bytes;
    AppendRecordHead(&bytes, name, size, method);
    return bytes;
}

Bytes Concat(Bytes a, const Bytes& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

Bytes Record(const std::string& name, const std::string& content, unsigned char method,
             uint32_t statedSize)
{
    return Concat(Head(name, statedSize, method), CodedPayload(content, method));
}

std::vector<DamagedCase> DamagedCases()
{
    std::vector<DamagedCase> cases = {
        {"unknown method", Record("\\m.txt", "abc", 'X', 3)},
        {"stored size past the end", Record("\\m.txt", "abc", kMethodStored, 100)},
        {"lzw stands for fewer bytes", Record("\\m.txt", "hello", kMethodLzw, 6)},
        {"lzw stands for more bytes", Record("\\m.txt", "hello", kMethodLzw, 4)},
        {"delta stands for fewer bytes", Record("\\m.txt", "hello", kMethodDelta, 6)},
        {"delta stands for more bytes", Record("\\m.txt", "hello", kMethodDelta, 4)},
    };
    const char* unsafe[] = {"\\..\\x", "\\a\\..\\..\\x", "\\C:x", "\\a:b", "\\a/b", "\\a\\\\b",
                            "\\CON",   "\\a\\NUL.txt",   "\\a.",  "\\a ",  "x",     "\\"};
    for (const char* name : unsafe)
        cases.push_back({name, Record(name, "bad", kMethodStored, 3)});
    return cases;
}

// A good entry, the damaged one, then a good entry the engine must not reach.
Bytes Surrounded(const Bytes& damaged)
{
    Bytes bytes = ArchiveBytes({{"\\first.txt", "first", kMethodStored}});
    bytes.pop_back(); // its end marker
    Bytes after = ArchiveBytes({{"\\after.txt", "after", kMethodStored}});
    return Concat(Concat(bytes, damaged), Bytes(after.begin() + 4, after.end()));
}

TEST_F(ExtractTest, DamagedImagesStopTheEngine)
{
    for (const DamagedCase& c : DamagedCases())
    {
        std::string dest = Path("dest");
        ResetUninstallLog();
        Begin(Surrounded(c.damaged));
        std::vector<int> results = RunAll(dest);
        EXPECT_EQ(results, std::vector<int>({ExtractPercent(5, 5), kExtractDamaged})) << c.label;
        EXPECT_EQ(ExtractNext(dest.c_str(), currentFile), kExtractDamaged) << c.label;
        EXPECT_EQ(TreeOf(scratch), std::set<std::string>({"dest", "dest/first.txt"})) << c.label;
        EXPECT_EQ(gUninstallCount, 2) << c.label;
        std::filesystem::remove_all(dest);
    }
}

TEST_F(ExtractTest, NameWithoutTerminatorIsDamage)
{
    Bytes bytes = ArchiveBytes({{"\\first.txt", "first", kMethodStored}});
    bytes.back() = '\\';
    bytes.push_back('n');
    Begin(bytes);
    EXPECT_EQ(RunAll(Path("dest")), std::vector<int>({99, kExtractDamaged}));
}

// Without a root the names would land at the top of the file system.
TEST_F(ExtractTest, EmptyRootStopsTheEngine)
{
    const std::string name = "\\tremlok-empty-root-check.txt";
    Begin(ArchiveBytes({{name, "x", kMethodStored}}));
    EXPECT_EQ(ExtractNext("", currentFile), kExtractDamaged);
    EXPECT_FALSE(Exists(NativeName(name)));
    EXPECT_FALSE(Exists(kPathSeparator + NativeName(name)));
    EXPECT_EQ(gUninstallCount, 0);
}

TEST_F(ExtractTest, ImageShorterThanAHeaderIsDamage)
{
    Bytes bytes = {0, 0, 0, 0};
    Begin(bytes);
    EXPECT_EQ(ExtractNext(Path("dest").c_str(), currentFile), kExtractDamaged);
    EXPECT_EQ(BeginExtract("unused", nullptr, 0), 1);
    EXPECT_EQ(ExtractNext(Path("dest").c_str(), currentFile), kExtractDamaged);
}

// Cut anywhere, the image must stop the engine, never complete: the zero
// padding after the cut must not pass for an end marker. The same cut is
// also given in a buffer of exactly its length, where the sanitizer build
// catches any read past it.
TEST_F(ExtractTest, TruncatedAtEveryOffsetIsDamage)
{
    Bytes whole = ArchiveBytes(ThreeMethods());
    for (size_t cut = 0; cut < 2 * whole.size(); ++cut)
    {
        std::string dest = Path("dest");
        Bytes exact(whole.begin(), whole.begin() + cut / 2);
        if (cut % 2 == 0)
            Begin(exact);
        else
            BeginExtract("unused", (const unsigned int*)exact.data(), (uint32_t)exact.size());
        std::vector<int> results = RunAll(dest);
        EXPECT_EQ(results.back(), kExtractDamaged) << "cut at " << cut / 2;
        // Whatever was written is whole.
        for (const RecordSpec& r : ThreeMethods())
        {
            std::string path = Join(dest, NativeName(r.name));
            if (Exists(path))
            {
                EXPECT_EQ(ReadText(path), r.content) << "cut at " << cut / 2 << " " << r.name;
            }
        }
        std::filesystem::remove_all(dest);
    }
}

TEST_F(ExtractTest, DataBinExtractsEveryEntry)
{
    ASSERT_TRUE(WriteBytes("data.bin", ArchiveBytes(ThreeMethods())));
    EXPECT_EQ(ExtractDataBin("out"), 0);
    for (const RecordSpec& r : ThreeMethods())
        EXPECT_EQ(ReadText(Join("out", NativeName(r.name))), r.content) << r.name;
    for (const std::string& line : LoggedLines())
        EXPECT_NE(line.substr(0, 3), "del") << line;
}

TEST_F(ExtractTest, DataBinIntoFolderWithTrailingSeparator)
{
    ASSERT_TRUE(WriteBytes("data.bin", ArchiveBytes(ThreeMethods())));
    EXPECT_EQ(ExtractDataBin((std::string("out") + kPathSeparator).c_str()), 0);
    EXPECT_EQ(ReadText(Join("out", "stored.txt")), "0123456789");
}

Bytes WithoutLastByte(Bytes bytes)
{
    bytes.pop_back();
    return bytes;
}

TEST_F(ExtractTest, DataBinRefusals)
{
    struct Case
    {
        const char* label;
        const char* folder;
        bool writeDataBin;
        Bytes dataBin;
    };
    const Case cases[] = {
        {"empty folder", "", true, ArchiveBytes(ThreeMethods())},
        {"missing data.bin", "out", false, {}},
        {"empty data.bin", "out", true, {}},
        {"four-byte data.bin", "out", true, {0, 0, 0, 0}},
        {"damaged entry", "out", true, Surrounded(Record("\\m", "abc", 'X', 3))},
        {"no end marker", "out", true, WithoutLastByte(ArchiveBytes(ThreeMethods()))},
    };
    for (const Case& c : cases)
    {
        FileRemove("data.bin");
        if (c.writeDataBin)
        {
            ASSERT_TRUE(WriteBytes("data.bin", c.dataBin));
        }
        EXPECT_EQ(ExtractDataBin(c.folder), 1) << c.label;
        EXPECT_FALSE(Exists(Join("out", "m"))) << c.label;
        std::filesystem::remove_all("out");
    }
    // Nothing but data.bin itself appeared.
    EXPECT_EQ(TreeOf(scratch), std::set<std::string>({"data.bin"}));
}

TEST_F(ExtractTest, DataBinWithUnwritableEntryReportsButGoesOn)
{
    ASSERT_TRUE(WriteBytes("data.bin", ArchiveBytes(ThreeMethods())));
    ASSERT_EQ(FolderCreate("out"), 0);
    ASSERT_EQ(FolderCreate(Join("out", "stored.txt").c_str()), 0);
    EXPECT_EQ(ExtractDataBin("out"), 1);
    EXPECT_EQ(ReadText(Join("out", NativeName("\\Sub\\Deep\\delta.bin"))), Ramp(60));
}

TEST_F(ExtractTest, MakePathCreatesEachNewLevelOnce)
{
    std::string a = Path("a");
    std::string b = Join(a, "b");
    std::string c = Join(b, "c");
    MakePath((c + kPathSeparator + kPathSeparator).c_str());
    MakePath(c.c_str());
    EXPECT_TRUE(Exists(c));
    std::vector<std::string> expected = {"rmdir \"" + a + "\"\r\n", "rmdir \"" + b + "\"\r\n",
                                         "rmdir \"" + c + "\"\r\n"};
    EXPECT_EQ(LoggedLines(), expected);
}

TEST_F(ExtractTest, MakePathRefusesWhatItCannotHold)
{
    MakePath("");
    std::string longPath = Path("long");
    while (longPath.size() < (size_t)kMakePathSize)
        longPath += kPathSeparator + std::string("level");
    MakePath(longPath.c_str());
    EXPECT_FALSE(Exists(Path("long")));
    EXPECT_EQ(gUninstallCount, 0);
}

} // namespace
