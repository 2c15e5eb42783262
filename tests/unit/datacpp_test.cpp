// data.cpp is compiled into the shipped program: its text must declare
// exactly the bytes of data.bin, in the layout the build has always used.
#include "datafile/datacpp_writer.h"

#include "tests/unit/scratch_folder.h"

#include <gtest/gtest.h>

#include <stdio.h>
#include <string>

namespace
{

// data.cpp is a text file: Windows line ends there.
std::string Native(const std::string& text)
{
#ifdef _WIN32
    std::string out;
    for (char c : text)
    {
        if (c == '\n')
            out += '\r';
        out += c;
    }
    return out;
#else
    return text;
#endif
}

// n bytes counting up from 1: item i is then easy to read off.
Bytes Counting(size_t n)
{
    Bytes bytes(n);
    for (size_t i = 0; i < n; ++i)
        bytes[i] = (unsigned char)(i + 1);
    return bytes;
}

struct DataCppCase
{
    const char* label;
    Bytes dataBin;
    const char* text;
};

const DataCppCase kCases[] = {
    {"smallest data file", Bytes(5, 0),
     "unsigned int gSizeDatfile = 5;\n"
     "unsigned int gDatfile[2] = \n"
     "{\n"
     "    0x0, 0x0, \n"
     "};\n"},
    {"multiple of four gets a zero word", Counting(16),
     "unsigned int gSizeDatfile = 16;\n"
     "unsigned int gDatfile[5] = \n"
     "{\n"
     "    0x4030201, 0x8070605, 0xc0b0a09, 0x100f0e0d, \n"
     "};\n"},
    {"last item holds the end marker alone", Counting(17),
     "unsigned int gSizeDatfile = 17;\n"
     "unsigned int gDatfile[5] = \n"
     "{\n"
     "    0x4030201, 0x8070605, 0xc0b0a09, 0x100f0e0d, 0x11, \n"
     "};\n"},
    {"eight items from 29 bytes", Counting(29),
     "unsigned int gSizeDatfile = 29;\n"
     "unsigned int gDatfile[8] = \n"
     "{\n"
     "    0x4030201, 0x8070605, 0xc0b0a09, 0x100f0e0d, 0x14131211, 0x18171615, "
     "0x1c1b1a19, 0x1d, \n"
     "\n"
     "};\n"},
    {"eight items from 32 bytes", Counting(32),
     "unsigned int gSizeDatfile = 32;\n"
     "unsigned int gDatfile[9] = \n"
     "{\n"
     "    0x4030201, 0x8070605, 0xc0b0a09, 0x100f0e0d, 0x14131211, 0x18171615, "
     "0x1c1b1a19, 0x201f1e1d, \n"
     "\n"
     "};\n"},
    {"nine items", Counting(33),
     "unsigned int gSizeDatfile = 33;\n"
     "unsigned int gDatfile[9] = \n"
     "{\n"
     "    0x4030201, 0x8070605, 0xc0b0a09, 0x100f0e0d, 0x14131211, 0x18171615, "
     "0x1c1b1a19, 0x201f1e1d, \n"
     "    0x21, \n"
     "};\n"},
    {"high bytes print unsigned", Bytes(8, 0xff),
     "unsigned int gSizeDatfile = 8;\n"
     "unsigned int gDatfile[3] = \n"
     "{\n"
     "    0xffffffff, 0xffffffff, \n"
     "};\n"},
};

struct DataCppTest : ScratchTest
{
};

TEST_F(DataCppTest, ExactText)
{
    for (const DataCppCase& c : kCases)
    {
        ASSERT_TRUE(WriteBytes("data.bin", c.dataBin));
        EXPECT_EQ(WriteDataCpp(), 0) << c.label;
        EXPECT_EQ(ReadText("data.cpp"), Native(c.text)) << c.label;
    }
}

// Rows between 29 and 32 bytes all end in a full row and an empty line.
TEST_F(DataCppTest, FullLastRowIsFollowedByAnEmptyLine)
{
    for (size_t n = 29; n <= 32; ++n)
    {
        ASSERT_TRUE(WriteBytes("data.bin", Counting(n)));
        ASSERT_EQ(WriteDataCpp(), 0);
        std::string text = ReadText("data.cpp");
        EXPECT_EQ(text.substr(text.size() - Native(", \n\n};\n").size()), Native(", \n\n};\n"))
            << n;
    }
}

// The same layout printed word by word through the C library, apart from
// the number writing the writer does itself.
std::string PrintfRendering(const Bytes& bytes)
{
    char line[128];
    snprintf(line, sizeof line,
             "unsigned int gSizeDatfile = %d;\nunsigned int gDatfile[%d] = \n{\n",
             (int)bytes.size(), (int)((bytes.size() | 3) + 1) / 4);
    std::string text = line;
    for (size_t offset = 0; offset < bytes.size(); offset += 4)
    {
        unsigned word = 0;
        for (size_t i = 0; i < 4 && offset + i < bytes.size(); ++i)
            word |= (unsigned)bytes[offset + i] << (8 * i);
        snprintf(line, sizeof line, "%s0x%x, %s", offset % 32 == 0 ? "    " : "", word,
                 offset % 32 == 28 ? "\n" : "");
        text += line;
    }
    return text + "\n};\n";
}

// Large enough to pass through the output buffer many times, with words of
// every width from 0x0 to 0xffffffff.
TEST_F(DataCppTest, LargeFileMatchesThePrintfLayout)
{
    Bytes bytes(40001);
    uint32_t state = 12345;
    for (size_t i = 0; i < bytes.size(); ++i)
    {
        state = state * 1103515245u + 12345u;
        bytes[i] = (unsigned char)((i / 64) % 5 == 0 ? 0 : state >> (8 + (i / 256) % 24));
    }
    ASSERT_TRUE(WriteBytes("data.bin", bytes));
    ASSERT_EQ(WriteDataCpp(), 0);
    EXPECT_TRUE(ReadText("data.cpp") == Native(PrintfRendering(bytes)));
}

TEST_F(DataCppTest, RefusesWhatIsNoDataFile)
{
    struct Case
    {
        const char* label;
        bool present;
        Bytes dataBin;
    };
    const Case cases[] = {
        {"missing", false, {}},
        {"empty", true, {}},
        {"four bytes", true, {0, 0, 0, 0}},
    };
    for (const Case& c : cases)
    {
        FileRemove("data.bin");
        if (c.present)
        {
            ASSERT_TRUE(WriteBytes("data.bin", c.dataBin));
        }
        ASSERT_TRUE(WriteText("data.cpp", "OLD"));
        EXPECT_EQ(WriteDataCpp(), 1) << c.label;
        EXPECT_EQ(ReadText("data.cpp"), "OLD") << c.label;
        EXPECT_FALSE(Exists("data.cpp.tmp")) << c.label;
    }
}

TEST_F(DataCppTest, UncreatableOutputLeavesNothing)
{
    ASSERT_TRUE(WriteBytes("data.bin", Bytes(5, 0)));
    std::string target = Join("missing", "data.cpp");
    EXPECT_EQ(WriteDataCppFrom("data.bin", target.c_str()), 1);
    EXPECT_FALSE(Exists("missing"));
}

} // namespace
