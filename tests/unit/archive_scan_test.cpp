// --list and --test: every record decoded and listed up to the first
// damaged one, which is named with its offset. The Linux tool's only.
#ifndef _WIN32
#include "inspect/archive_scan.h"
#include "tests/unit/scratch_folder.h"

#include <stdio.h>

namespace
{

typedef ScratchTest ArchiveScanTest;

TEST_F(ArchiveScanTest, ListsOrNamesTheFirstDamagedRecord)
{
    std::vector<size_t> at;
    Bytes whole = ArchiveBytes({{"\\s.txt", "abc", kMethodStored},
                                {"\\a\\l.txt", std::string(300, 'w'), kMethodLzw},
                                {"\\d.pcm", std::string(300, 'w'), kMethodDelta},
                                {"\\e", "", kMethodStored}},
                               &at);
    // size, method and coded size as tar -tv would show them.
    const std::string lines[] = {
        "         3 stored          3 \\s.txt\n", "       300 lzw            44 \\a\\l.txt\n",
        "       300 delta         157 \\d.pcm\n", "         0 stored          0 \\e\n"};
    Bytes cut(whole.begin(), whole.begin() + (long)at[2] - 3); // in l.txt's payload
    Bytes empty = ArchiveBytes({}), tooShort(4, 0), badMethod = whole;
    badMethod[at[2] + 7 + 4] = 'X'; // \d.pcm's method byte
    // name, file (null: none), result, output, error
    const std::tuple<const char*, const Bytes*, int, std::string, std::string> rows[] = {
        {"each method", &whole, 0, lines[0] + lines[1] + lines[2] + lines[3], ""},
        {"empty archive", &empty, 0, "", ""},
        {"payload cut", &cut, 1, lines[0],
         "setup: x.bin: damaged record \\a\\l.txt at offset " + std::to_string(at[1]) + "\n"},
        {"unknown method", &badMethod, 1, lines[0] + lines[1],
         "setup: x.bin: damaged record \\d.pcm at offset " + std::to_string(at[2]) + "\n"},
        {"too short", &tooShort, 1, "", "setup: x.bin: too short to be a data file (4 bytes)\n"},
        {"missing file", nullptr, 1, "", "setup: x.bin: cannot be opened or read\n"},
    };
    for (const auto& [name, file, status, listing, error] : rows)
    {
        std::filesystem::remove("x.bin");
        ASSERT_TRUE(file == nullptr || WriteFile("x.bin", *file)) << name;
        for (bool list : {true, false})
        {
            testing::internal::CaptureStdout();
            testing::internal::CaptureStderr();
            int result = ScanArchive("x.bin", list);
            fflush(stdout);
            std::string out = testing::internal::GetCapturedStdout();
            EXPECT_EQ(testing::internal::GetCapturedStderr(), error) << name;
            EXPECT_EQ(result, status) << name;
            EXPECT_EQ(out, list ? listing : "") << name << (list ? " listed" : " tested");
        }
    }
}

} // namespace
#endif
