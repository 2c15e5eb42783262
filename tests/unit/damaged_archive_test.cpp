// Archives made by the tool's own builder, then damaged in every way the
// format leaves open: cut short, single bytes changed, sizes made huge,
// unknown method bytes, names that try to leave the destination, names too
// long for the buffers. Both drivers (ExtractDataBin on data.bin, and
// BeginExtract/ExtractNext on the image in memory) must report the damage,
// write nothing outside the destination, and leave no file whose content
// differs from the original.
#include "coders/coder.h"
#include "coders/delta.h"
#include "coders/lzw.h"
#include "datafile/builder.h"
#include "datafile/entry_record.h"
#include "datafile/extract.h"
#include "datafile/format.h"
#include "tests/unit/scratch_folder.h"
#include "uninstall/uninstall_log.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>
#include <stdlib.h>
#include <string.h>
#include <string>
#include <vector>

namespace
{

namespace fs = std::filesystem;

// Deterministic bytes; step bounds how far each byte moves from the one
// before (256: no bound).
Bytes Walk(size_t n, unsigned step, uint32_t seed)
{
    Bytes bytes;
    unsigned char value = 0;
    for (size_t i = 0; i < n; ++i)
    {
        seed = seed * 1103515245u + 12345u;
        unsigned r = (seed >> 16) % step;
        value = step >= 256 ? (unsigned char)r : (unsigned char)(value + r - step / 2);
        bytes.push_back(value);
    }
    return bytes;
}

Bytes Repeated(const std::string& piece, size_t times)
{
    Bytes bytes;
    for (size_t i = 0; i < times; ++i)
        bytes.insert(bytes.end(), piece.begin(), piece.end());
    return bytes;
}

// The tree the builder archives, by archive name: text it codes 'L', a
// slow walk it codes 'W', noise and an empty file it stores, two levels of
// subfolders.
std::map<std::string, Bytes> SourceTree()
{
    return {
        {"\\readme.txt", Repeated("Tremlok sails the sea. ", 10)},
        {"\\noise.bin", Walk(90, 256, 5)},
        {"\\empty.dat", Bytes()},
        {"\\Audio\\pop.wav", Walk(160, 5, 6)},
        {"\\Audio\\Deep\\tune.txt", Repeated("la ", 20)},
    };
}

// Where one record lies in the data file.
struct RecordLayout
{
    std::string name;
    unsigned char method;
    size_t start;     // first byte of the name
    size_t sizeField; // four bytes of size
    size_t methodByte;
    size_t payload;
    size_t end; // one past the payload
};

std::vector<RecordLayout> LayoutOf(const Bytes& bytes)
{
    std::vector<RecordLayout> layout;
    ArchiveSpan span = {bytes.data() + 4, bytes.data() + bytes.size()};
    for (;;)
    {
        RecordLayout r;
        r.start = (size_t)(span.cursor - bytes.data());
        EntryRecord record;
        if (ReadRecordHead(&span, &record) != kRecordEntry)
            return layout;
        Bytes content(record.size + 1);
        if (!ReadPayload(&span, record, content.data()))
            return layout;
        r.name = record.name;
        r.method = record.method;
        r.sizeField = r.start + r.name.size() + 1;
        r.methodByte = r.sizeField + 4;
        r.payload = r.methodByte + 1;
        r.end = (size_t)(span.cursor - bytes.data());
        layout.push_back(r);
    }
}

// What a case allows. Records [0, intactBefore) must come out whole; later
// ones must be absent when laterAbsent, else whole or absent. The record at
// loose may come out with other bytes or under another name: the format
// has no checksum, so a changed payload byte can decode to the same length.
struct Expect
{
    bool damaged;
    size_t intactBefore;
    bool laterAbsent;
    size_t loose;
};

const size_t kNoRecord = (size_t)-1;

std::string NativeName(const std::string& archiveName)
{
    std::string name = archiveName.substr(1);
    std::replace(name.begin(), name.end(), '\\', kPathSeparator);
    return name;
}

// Every file under folder, by archive name.
std::map<std::string, Bytes> FilesUnder(const std::string& folder)
{
    std::map<std::string, Bytes> files;
    std::error_code error;
    for (auto it = fs::recursive_directory_iterator(folder, error);
         it != fs::recursive_directory_iterator(); it.increment(error))
    {
        if (it->is_directory())
            continue;
        std::string name = "\\" + fs::relative(it->path(), folder).generic_string();
        std::replace(name.begin(), name.end(), '/', '\\');
        files[name] = ReadBytes(it->path().string());
    }
    return files;
}

struct DamagedArchiveTest : ScratchTest
{
    std::map<std::string, Bytes> tree;
    Bytes original;
    std::vector<RecordLayout> layout;
    int tried = 0;
    // The destinations sit four levels down, so a name that climbs out
    // with ".." lands where the scratch folder's snapshot sees it.
    std::string outFolder = Join(Join(Join(Join("w", "a"), "b"), "c"), "out");
    std::string memFolder = Join(Join(Join(Join("w", "a"), "b"), "c"), "mem");

    void SetUp() override
    {
        ScratchTest::SetUp();
        tree = SourceTree();
        for (const auto& file : tree)
        {
            std::string path = Join("src", NativeName(file.first));
            fs::create_directories(fs::path(path).parent_path());
            ASSERT_TRUE(WriteBytes(path, file.second));
        }
        ASSERT_EQ(MakeDataBin("src"), 0);
        original = ReadBytes("data.bin");
        layout = LayoutOf(original);
        ASSERT_EQ(layout.size(), tree.size());
        ASSERT_EQ(layout.back().end + 1, original.size());
        fs::remove("data.bin");
        fs::remove("data.cpp");
        ASSERT_TRUE(HasMethod(kMethodStored) && HasMethod(kMethodLzw) && HasMethod(kMethodDelta))
            << "the source tree no longer gives every method";
    }

    void TearDown() override
    {
        const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
        printf("[ damaged  ] %s: %d damaged archives tried\n", info->name(), tried);
        RecordProperty("damaged_archives", tried);
        ScratchTest::TearDown();
    }

    bool HasMethod(unsigned char method) const
    {
        for (const RecordLayout& r : layout)
        {
            if (r.method == method)
                return true;
        }
        return false;
    }

    size_t RecordAt(size_t offset) const
    {
        for (size_t i = 0; i < layout.size(); ++i)
        {
            if (offset >= layout[i].start && offset < layout[i].end)
                return i;
        }
        return kNoRecord;
    }

    // Paths under the scratch folder that neither the source tree nor the
    // two destinations account for.
    std::vector<std::string> Strays() const
    {
        std::vector<std::string> strays;
        std::set<std::string> allowed = {"data.bin", "data.cpp", "src",    "w",
                                         "w/a",      "w/a/b",    "w/a/b/c"};
        std::error_code error;
        for (auto it = fs::recursive_directory_iterator(scratch, error);
             it != fs::recursive_directory_iterator(); it.increment(error))
        {
            std::string relative = fs::relative(it->path(), scratch).generic_string();
            bool inside = relative.rfind("src/", 0) == 0 || relative.rfind("w/a/b/c/out", 0) == 0 ||
                          relative.rfind("w/a/b/c/mem", 0) == 0;
            if (!inside && !allowed.count(relative))
                strays.push_back(relative);
        }
        return strays;
    }

    // Runs ExtractNext over an image of exactly bytes.size() bytes, so a read
    // past its end is caught by the sanitizers. Returns 100 or
    // kExtractDamaged; percentages on the way go to running.
    int ExtractImage(const Bytes& bytes, std::vector<int>* running)
    {
        unsigned int* image = (unsigned int*)malloc(bytes.size() ? bytes.size() : 1);
        if (!bytes.empty())
            memcpy(image, bytes.data(), bytes.size());
        char currentFile[kCurrentFileSize];
        BeginExtract(memFolder.c_str(), image, (uint32_t)bytes.size());
        int percent = 0;
        for (size_t calls = 0; calls <= bytes.size(); ++calls)
        {
            percent = ExtractNext(memFolder.c_str(), currentFile);
            if (percent == 100 || percent == kExtractDamaged)
                break;
            running->push_back(percent);
        }
        if (percent == 100)
        {
            EXPECT_STREQ(currentFile, "Complete");
        }
        free(image);
        return percent;
    }

    // Checks what one driver left in folder against the expectation.
    void CheckFiles(const std::string& label, const std::string& folder, const Expect& expect)
    {
        std::map<std::string, Bytes> files = FilesUnder(folder);
        std::set<std::string> seen;
        for (size_t i = 0; i < layout.size(); ++i)
        {
            const std::string& name = layout[i].name;
            bool present = files.count(name) != 0;
            if (present)
                seen.insert(name);
            if (i == expect.loose)
                continue;
            if (i < expect.intactBefore)
            {
                EXPECT_TRUE(present) << label << ": " << folder << name << " missing";
            }
            else if (expect.laterAbsent)
            {
                EXPECT_FALSE(present) << label << ": " << folder << name << " written";
            }
            if (present)
            {
                EXPECT_TRUE(files[name] == tree[name])
                    << label << ": " << folder << name << " holds other bytes";
            }
        }
        for (const auto& file : files)
        {
            if (!seen.count(file.first))
            {
                EXPECT_NE(expect.loose, kNoRecord)
                    << label << ": " << folder << file.first << " is no entry of the archive";
            }
        }
    }

    // Extracts bytes with both drivers and checks the outcome.
    void Check(const std::string& label, const Bytes& bytes, const Expect& expect)
    {
        ++tried;
        ASSERT_TRUE(WriteBytes("data.bin", bytes));
        int fileResult = ExtractDataBin(outFolder.c_str());
        std::vector<int> running;
        int imageResult = ExtractImage(bytes, &running);
        int skipped = gExtractSkipped;
        ResetUninstallLog();

        bool fileWhole = fileResult == 0;
        bool imageWhole = imageResult == 100 && skipped == 0;
        EXPECT_EQ(fileWhole, imageWhole) << label << ": the drivers disagree";
        if (expect.damaged)
        {
            EXPECT_EQ(fileResult, 1) << label;
            EXPECT_EQ(imageResult, kExtractDamaged) << label;
        }
        else if (expect.loose == kNoRecord)
        {
            EXPECT_EQ(fileResult, 0) << label;
            EXPECT_EQ(imageResult, 100) << label;
        }
        for (int percent : running)
            EXPECT_TRUE(percent >= 1 && percent <= 99) << label << ": " << percent;
        EXPECT_EQ(Strays(), std::vector<std::string>()) << label;
        CheckFiles(label, outFolder, expect);
        CheckFiles(label, memFolder, expect);

        std::error_code error;
        fs::remove_all("w", error);
        fs::remove("data.bin", error);
    }

    // The original with record r's name replaced.
    Bytes Renamed(size_t r, const std::string& name) const
    {
        Bytes bytes(original.begin(), original.begin() + (long)layout[r].start);
        bytes.insert(bytes.end(), name.begin(), name.end());
        bytes.insert(bytes.end(), original.begin() + (long)layout[r].sizeField - 1, original.end());
        return bytes;
    }

    // Index of a record whose method is method, and which is neither first
    // nor last when there is one.
    size_t MiddleRecord() const { return layout.size() / 2; }
};

TEST_F(DamagedArchiveTest, UndamagedArchiveComesOutWhole)
{
    Check("undamaged", original, {false, layout.size(), false, kNoRecord});
}

// Every proper prefix is damage, the one without only the end marker too: a
// reader cannot tell a cut after a record from a whole archive otherwise.
// Exactly the records that lie wholly before the cut come out.
TEST_F(DamagedArchiveTest, CutAtEveryOffset)
{
    for (size_t cut = 0; cut < original.size(); ++cut)
    {
        size_t whole = 0;
        while (whole < layout.size() && layout[whole].end <= cut)
            ++whole;
        Bytes bytes(original.begin(), original.begin() + (long)cut);
        Check("cut at " + std::to_string(cut), bytes, {true, whole, true, kNoRecord});
    }
}

// Payload bytes changed at every offset natively; under Wine, where every
// extracted file costs a flush through the emulated file system, at every
// third, so that the suite stays within its time.
#ifdef _WIN32
const size_t kPayloadStride = 3;
#else
const size_t kPayloadStride = 1;
#endif

// A single byte changed: every byte of the header, the record heads and the
// end marker four ways, payload bytes two ways. What must follow depends on
// the field the byte belongs to.
TEST_F(DamagedArchiveTest, SingleByteChanged)
{
    const unsigned char flips[] = {0x01, 0xFF, 0x80};
    for (size_t offset = 0; offset < original.size(); ++offset)
    {
        size_t r = RecordAt(offset);
        bool inPayload = r != kNoRecord && offset >= layout[r].payload;
        if (inPayload && offset % kPayloadStride != 0)
            continue;
        int ways = inPayload ? 2 : 4;
        for (int way = 0; way < ways; ++way)
        {
            Bytes bytes = original;
            bytes[offset] = way < 3 ? (unsigned char)(bytes[offset] ^ flips[way]) : 0;
            if (bytes[offset] == original[offset])
                continue;
            std::string label =
                "byte " + std::to_string(offset) + " set to " + std::to_string(bytes[offset]);
            if (offset < 4)
            {
                // The total size only feeds the percentage.
                Check(label + " (total size)", bytes, {false, layout.size(), false, kNoRecord});
                continue;
            }
            if (r == kNoRecord)
            {
                Check(label + " (end marker)", bytes, {true, layout.size(), true, kNoRecord});
                continue;
            }
            const RecordLayout& record = layout[r];
            bool coded = record.method != kMethodStored;
            bool inSize = offset >= record.sizeField && offset < record.methodByte;
            bool unknownMethod = offset == record.methodByte && bytes[offset] != kMethodStored &&
                                 bytes[offset] != kMethodLzw && bytes[offset] != kMethodDelta;
            if ((inSize && coded) || unknownMethod)
            {
                // A coded stream decodes to exactly its size; the method
                // byte has three values.
                Check(label + " (" + record.name + " head)", bytes, {true, r, true, kNoRecord});
                continue;
            }
            // A changed name, payload, stored size or a method switched to
            // another known one: the records before stay intact, the rest may
            // or may not come out.
            Check(label + " (" + record.name + ")", bytes, {false, r, false, r});
        }
    }
}

TEST_F(DamagedArchiveTest, HugeSizes)
{
    const uint32_t sizes[] = {0xFFFFFFFFu, 0x80000000u, 0x7FFFFFFFu, 0x10000000u, 0x01000000u};
    for (size_t r = 0; r < layout.size(); ++r)
    {
        std::vector<uint32_t> tried_sizes(std::begin(sizes), std::end(sizes));
        uint32_t size = ReadLe32(&original[layout[r].sizeField]);
        tried_sizes.push_back(size + 0x01000000u);
        if (layout[r].method != kMethodStored)
            tried_sizes.push_back(size + 1); // one byte more than the stream holds
        for (uint32_t huge : tried_sizes)
        {
            Bytes bytes = original;
            WriteLe32(&bytes[layout[r].sizeField], huge);
            Check(layout[r].name + " size " + std::to_string(huge), bytes,
                  {true, r, true, kNoRecord});
        }
    }
}

TEST_F(DamagedArchiveTest, UnknownMethodBytes)
{
    const unsigned char methods[] = {1, 2, 'l', 'w', 'K', 'M', 'V', 'X', 0x7F, 0x80, 0xCC, 0xFF};
    for (size_t r = 0; r < layout.size(); ++r)
    {
        for (unsigned char method : methods)
        {
            Bytes bytes = original;
            bytes[layout[r].methodByte] = method;
            Check(layout[r].name + " method " + std::to_string(method), bytes,
                  {true, r, true, kNoRecord});
        }
    }
}

// A record whose name would leave the destination, or that Windows would
// take for a device or silently change, stops the extraction there.
TEST_F(DamagedArchiveTest, NamesThatLeaveTheDestination)
{
    const char* const names[] = {
        "\\..\\escaped",
        "\\a\\..\\..\\escaped",
        "\\..\\..\\..\\..\\escaped",
        "\\..",
        "\\.",
        "\\.\\x",
        "\\a\\..",
        "\\C:x",
        "\\C:\\escaped",
        "\\a:b",
        "\\a\\b:c",
        "\\a/b",
        "\\/escaped",
        "\\a/../../escaped",
        "\\a\\\\b",
        "\\\\escaped",
        "\\",
        "\\a\\",
        "escaped",
        "a\\b",
        "\\CON",
        "\\con.txt",
        "\\a\\NUL.txt",
        "\\aux",
        "\\PRN.x.y",
        "\\COM1",
        "\\lpt9.log",
        "\\CON \\x",
        "\\a.\\b",
        "\\a \\b",
        "\\b.",
        "\\b ",
        "\\a\\b..",
        "\\a\tb",
        "\\a\x01b",
        "\\a<b",
        "\\a>b",
        "\\a|b",
        "\\a?b",
        "\\a*b",
        "\\a\"b",
    };
    size_t r = MiddleRecord();
    for (const char* name : names)
        Check(std::string("name ") + name, Renamed(r, name), {true, r, true, kNoRecord});
}

// Names too long for the buffers are refused for their entry, never cut into
// another path; the entries after them still come out.
TEST_F(DamagedArchiveTest, NamesTooLongForTheBuffers)
{
    size_t r = MiddleRecord();
    std::map<std::string, Bytes> lengthened;
    for (size_t length : {511u, 512u, 600u, 5000u})
    {
        // Components of at most 200 characters, which every file system takes.
        std::string name;
        while (name.size() < length)
            name += "\\" + std::string(std::min<size_t>(200, length - name.size() - 1), 'd');
        ASSERT_EQ(name.size(), length);
        Bytes bytes = Renamed(r, name);
        std::string label = "name of " + std::to_string(length) + " bytes";
        ++tried;
        ASSERT_TRUE(WriteBytes("data.bin", bytes));
        EXPECT_EQ(ExtractDataBin(outFolder.c_str()), 1) << label;
        std::vector<int> running;
        EXPECT_EQ(ExtractImage(bytes, &running), 100) << label;
        EXPECT_EQ(gExtractSkipped, 1) << label;
        ResetUninstallLog();
        EXPECT_EQ(Strays(), std::vector<std::string>()) << label;
        for (const std::string& folder : {outFolder, memFolder})
        {
            std::map<std::string, Bytes> files = FilesUnder(folder);
            std::map<std::string, Bytes> expected = tree;
            expected.erase(layout[r].name);
            EXPECT_TRUE(files == expected) << label << ": " << folder;
            // Not even the folders of the refused entry were made.
            EXPECT_FALSE(Exists(Join(folder, std::string(200, 'd')))) << label;
        }
        std::error_code error;
        fs::remove_all("w", error);
    }
}

#ifndef _WIN32
// The longest entry path the engine writes is 511 characters; one more is
// refused. (Windows paths end at 259 characters without the \\?\ form.)
TEST_F(DamagedArchiveTest, EntryPathLimitIsExact)
{
    size_t r = MiddleRecord();
    for (size_t pathLength : {511u, 512u})
    {
        size_t length = pathLength - outFolder.size();
        std::string name;
        while (name.size() < length)
            name += "\\" + std::string(std::min<size_t>(200, length - name.size() - 1), 'e');
        ++tried;
        ASSERT_TRUE(WriteBytes("data.bin", Renamed(r, name)));
        EXPECT_EQ(ExtractDataBin(outFolder.c_str()), pathLength == 511 ? 0 : 1) << pathLength;
        EXPECT_EQ(Exists(Join(outFolder, NativeName(name))), pathLength == 511) << pathLength;
        std::error_code error;
        fs::remove_all("w", error);
    }
}
#endif

// The total size only feeds the percentage: zero is no damage, and every
// running call then shows 1.
TEST_F(DamagedArchiveTest, TotalSizeOfZero)
{
    Bytes bytes = original;
    WriteLe32(bytes.data(), 0);
    ++tried;
    ASSERT_TRUE(WriteBytes("data.bin", bytes));
    EXPECT_EQ(ExtractDataBin(outFolder.c_str()), 0);
    std::vector<int> running;
    EXPECT_EQ(ExtractImage(bytes, &running), 100);
    EXPECT_EQ(running, std::vector<int>(layout.size(), 1));
    EXPECT_TRUE(FilesUnder(outFolder) == tree);
    EXPECT_TRUE(FilesUnder(memFolder) == tree);
    ResetUninstallLog();
}

// Records whose size no payload in the rest of the image could decode to are
// damage before anything is allocated for them: a few bytes must not make
// the engine ask for gigabytes.
struct HeadCase
{
    const char* label;
    unsigned char method;
    uint32_t size;
    size_t payloadBytes; // bytes after the method byte
    RecordStatus expected;
};

const HeadCase kHeadCases[] = {
    {"LZW, 4 GiB from 10 bytes", kMethodLzw, 0xFFFFFFFFu, 10, kRecordDamaged},
    {"LZW, 1 MiB from 100 bytes", kMethodLzw, 1u << 20, 100, kRecordDamaged},
    {"delta, 4 GiB from 10 bytes", kMethodDelta, 0xFFFFFFFFu, 10, kRecordDamaged},
    {"delta, 21 bytes from 10", kMethodDelta, 21, 10, kRecordDamaged},
    {"delta, 20 bytes from 10", kMethodDelta, 20, 10, kRecordEntry},
    {"LZW, 3 codes' worth from 7 bytes", kMethodLzw, 6, 7, kRecordEntry},
    {"stored, one byte more than there is", kMethodStored, 11, 10, kRecordDamaged},
};

TEST(RecordHeadTest, ImpossibleSizesAreDamage)
{
    for (const HeadCase& c : kHeadCases)
    {
        Bytes bytes = {'\\', 'a', 0, 0, 0, 0, 0, c.method};
        WriteLe32(&bytes[3], c.size);
        bytes.resize(bytes.size() + c.payloadBytes, 0x55);
        ArchiveSpan span = {bytes.data(), bytes.data() + bytes.size()};
        EntryRecord record;
        EXPECT_EQ(ReadRecordHead(&span, &record), c.expected) << c.label;
    }
}

// The bound above must never refuse a real stream: the codings that stand
// for the most bytes per stream byte, each as the last record, where the
// rest of the image is only its own stream and the end marker.
TEST(RecordHeadTest, DensestRealStreamsPass)
{
    struct Dense
    {
        const char* label;
        unsigned char method;
        Bytes content;
    };
    std::vector<Dense> cases;
    // A run of one byte: the k-th code stands for k bytes.
    for (size_t codes : {1u, 2u, 3u, 10u, 100u, 179u})
        cases.push_back({"LZW run", kMethodLzw, Bytes(codes * (codes + 1) / 2, 'a')});
    // A delta run of 127 bytes takes 65.
    for (size_t n : {1u, 2u, 126u, 127u, 128u, 5000u})
        cases.push_back({"delta run", kMethodDelta, Bytes(n, 0)});
    for (const Dense& c : cases)
    {
        Bytes coded(CoderOutputBound((uint32_t)c.content.size()));
        uint32_t length = c.method == kMethodLzw
                              ? LzwEncode(c.content.data(), (int32_t)c.content.size(), coded.data(),
                                          (uint32_t)coded.size())
                              : DeltaEncode(c.content.data(), (int32_t)c.content.size(),
                                            coded.data(), (uint32_t)coded.size());
        ASSERT_NE(length, kCoderFailed) << c.label;
        Bytes bytes = {'\\', 'a', 0, 0, 0, 0, 0, c.method};
        WriteLe32(&bytes[3], (uint32_t)c.content.size());
        // The stream, then the end marker.
        bytes.resize(bytes.size() + length + 1, 0);
        memcpy(&bytes[8], coded.data(), length);
        ArchiveSpan span = {bytes.data(), bytes.data() + bytes.size()};
        EntryRecord record;
        ASSERT_EQ(ReadRecordHead(&span, &record), kRecordEntry)
            << c.label << " of " << c.content.size() << " bytes";
        Bytes decoded(c.content.size() + 1);
        ASSERT_TRUE(ReadPayload(&span, record, decoded.data())) << c.label;
        decoded.pop_back();
        EXPECT_TRUE(decoded == c.content) << c.label;
        EXPECT_EQ(ReadRecordHead(&span, &record), kRecordEnd) << c.label;
    }
}

} // namespace
