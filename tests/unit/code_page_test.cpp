// Names on Linux are UTF-8 and stored in a Windows code page: a name must
// come back from the data file as it went in, and one the code page cannot
// hold, in either direction, is refused.
#ifndef _WIN32
#include "datafile/builder.h"
#include "inspect/data_file_scan.h"
#include "platform/code_page.h"
#include "tests/unit/scratch_folder.h"

namespace
{

TEST(CodePageTest, StoresAndReadsBackNames)
{
    // code page, UTF-8 name, its bytes there; or the character refused
    const std::tuple<unsigned, std::string, std::string, uint32_t> rows[] = {
        {1252, "\\Café\\Œuvre €.txt", "\\Caf\xE9\\\x8Cuvre \x80.txt", 0},
        {1251, "\\Привет\\ё.wav", "\\\xCF\xF0\xE8\xE2\xE5\xF2\\\xB8.wav", 0},
        {1252, "\\Привет", "", 0x41F},
        {1251, "\\Café", "", 0xE9},
        {1252, "\\caf\xE9", "", kNotUtf8},     // Latin-1, not UTF-8
        {1252, "\\\xC0\xAF", "", kNotUtf8},    // an overlong '/'
        {1252, "\\\xED\xA0\x80", "", kNotUtf8} // a surrogate
    };
    for (const auto& [codePage, text, stored, refused] : rows)
    {
        ASSERT_TRUE(SelectCodePage(codePage));
        char out[64], back[64];
        EXPECT_EQ(CodePageFromUtf8(text.c_str(), out, sizeof out), refused) << text;
        EXPECT_EQ(out, stored) << text;
        if (refused == 0)
        {
            EXPECT_EQ(Utf8FromCodePage(out, back, sizeof back), kTextWhole) << text;
            EXPECT_EQ(back, text);
        }
    }
    char out[8];
    ASSERT_TRUE(SelectCodePage(1252));
    EXPECT_EQ(Utf8FromCodePage("\\\xE9\xE9\xE9\xE9", out, sizeof out), kTextCut);
    EXPECT_STREQ(out, "\\\xC3\xA9\xC3\xA9\xC3\xA9"); // whole characters only
    EXPECT_FALSE(SelectCodePage(1200));
    EXPECT_EQ(SelectedCodePage(), 1252u);
}

typedef ScratchTest CodePageFileTest;

// -m stores what the code page holds and names what it does not; --list
// shows the names as they were.
TEST_F(CodePageFileTest, PacksAndListsNames)
{
    ASSERT_TRUE(std::filesystem::create_directories("tree/Audio") && WriteFile("tree/Café", "a") &&
                WriteFile("tree/Audio/Łódź.wav", "b"));
    testing::internal::CaptureStderr();
    EXPECT_EQ(MakeDataBin("tree"), 1);
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "setup: tree/Audio/Łódź.wav: U+0141 cannot be stored in code page 1252\n");
    ASSERT_TRUE(SelectCodePage(1250));
    ASSERT_EQ(MakeDataBin("tree"), 0);
    testing::internal::CaptureStdout();
    EXPECT_EQ(ScanDataFile("data.bin", true), 0);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "         1 stored          1 \\Audio\\Łódź.wav\n"
              "         1 stored          1 \\Café\n");
    // One file on Windows; "CAFÉb" sorts between them byte by byte.
    ASSERT_TRUE(WriteFile("tree/CAFÉb", "c") && WriteFile("tree/CAFÉ", "d"));
    testing::internal::CaptureStderr();
    EXPECT_EQ(MakeDataBin("tree"), 1);
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "setup: tree/Café: differs from CAFÉ only in letter case, which Windows ignores\n");
    SelectCodePage(kDefaultCodePage);
}

} // namespace
#endif
