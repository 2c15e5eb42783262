// The archive as the shipped program carries it: data.cpp generated from the
// committed tree, compiled in, and extracted through the install run's
// engine must give back the tree byte for byte.
#include "datafile/embedded_image.h"
#include "datafile/entry_record.h"
#include "datafile/extract.h"
#include "tests/unit/logged_lines.h"
#include "tests/unit/scratch_folder.h"
#include "uninstall/uninstall_log.h"

#include <gtest/gtest.h>

#include <set>
#include <string.h>
#include <string>
#include <vector>

namespace
{

// The tree in the order the builder lists it: case-insensitively sorted,
// each folder's files where the folder is met.
const char* const kEntries[] = {"\\.config", "\\Audio\\noise.bin", "\\Audio\\ramp.wav",
                                "\\empty.dat", "\\readme.txt"};

std::string Native(const std::string& archiveName)
{
    std::string name = archiveName;
    for (char& c : name)
        c = c == '\\' ? kPathSeparator : c;
    return name;
}

std::vector<EntryRecord> EmbeddedRecords()
{
    std::vector<EntryRecord> records;
    const unsigned char* bytes = (const unsigned char*)gDatfile;
    ArchiveSpan span = {bytes + 4, bytes + gSizeDatfile};
    EntryRecord record;
    while (ReadRecordHead(&span, &record) == kRecordEntry)
    {
        std::vector<unsigned char> content(record.size + 1);
        if (!ReadPayload(&span, record, content.data()))
            break;
        records.push_back(record);
    }
    return records;
}

struct DataCppExtractTest : ScratchTest
{
};

TEST_F(DataCppExtractTest, EmbeddedWordsHoldTheBytesOfDataBin)
{
    Bytes dataBin = ReadBytes(DATACPP_BIN);
    ASSERT_EQ(gSizeDatfile, dataBin.size());
    EXPECT_EQ(memcmp(gDatfile, dataBin.data(), dataBin.size()), 0);
    // The padding after the data file is zero.
    const unsigned char* bytes = (const unsigned char*)gDatfile;
    for (size_t i = dataBin.size(); i < (dataBin.size() | 3) + 1; ++i)
        EXPECT_EQ(bytes[i], 0) << i;
}

TEST_F(DataCppExtractTest, TreeUsesEveryMethod)
{
    std::vector<EntryRecord> records = EmbeddedRecords();
    std::set<unsigned char> methods;
    std::vector<std::string> names;
    for (const EntryRecord& r : records)
    {
        methods.insert(r.method);
        names.push_back(r.name);
    }
    EXPECT_EQ(names, std::vector<std::string>(std::begin(kEntries), std::end(kEntries)));
    EXPECT_EQ(methods, std::set<unsigned char>({kMethodStored, kMethodLzw, kMethodDelta}));
}

TEST_F(DataCppExtractTest, InstallRunGivesTheTreeBack)
{
    ResetUninstallLog();
    std::vector<EntryRecord> records = EmbeddedRecords();
    ASSERT_EQ(records.size(), std::size(kEntries));
    uint32_t total = 0;
    for (const EntryRecord& r : records)
        total += r.size;
    ASSERT_EQ(gDatfile[0], total);

    std::string root = Path("Tremlok");
    char currentFile[kCurrentFileSize] = "";
    ASSERT_EQ(BeginExtract(root.c_str(), gDatfile, gSizeDatfile), 1);
    uint32_t done = 0;
    for (const EntryRecord& r : records)
    {
        done += r.size;
        EXPECT_EQ(ExtractNext(root.c_str(), currentFile), ExtractPercent(done, total)) << r.name;
        EXPECT_EQ(std::string(currentFile), root + Native(r.name));
    }
    EXPECT_EQ(ExtractNext(root.c_str(), currentFile), 100);
    EXPECT_STREQ(currentFile, "Complete");
    EXPECT_EQ(gExtractSkipped, 0);

    for (const char* name : kEntries)
        EXPECT_EQ(ReadBytes(root + Native(name)), ReadBytes(DATACPP_TREE + Native(name))) << name;

    std::string audio = root + Native("\\Audio");
    std::vector<std::string> expected = {
        "rmdir \"" + root + "\"\r\n",
        "del \"" + root + Native("\\.config") + "\"\r\n",
        "rmdir \"" + audio + "\"\r\n",
        "del \"" + root + Native("\\Audio\\noise.bin") + "\"\r\n",
        "del \"" + root + Native("\\Audio\\ramp.wav") + "\"\r\n",
        "del \"" + root + Native("\\empty.dat") + "\"\r\n",
        "del \"" + root + Native("\\readme.txt") + "\"\r\n",
    };
    EXPECT_EQ(LoggedLines(), expected);
}

} // namespace
