// data.cpp is compiled into the shipped program: its text must declare
// exactly the bytes of data.bin, in the layout the build has always used.
#include "datafile/datacpp_writer.h"
#include "tests/unit/scratch_folder.h"

namespace
{

// n bytes counting up from 1, so that item i is easy to read off.
Bytes Counting(size_t n)
{
    Bytes bytes(n);
    for (size_t i = 0; i < n; ++i)
        bytes[i] = (unsigned char)(i + 1);
    return bytes;
}

const char kEightItems[] =
    "    0x4030201, 0x8070605, 0xc0b0a09, 0x100f0e0d, 0x14131211, 0x18171615, ";

typedef ScratchTest DataCppTest;

TEST_F(DataCppTest, ExactText)
{
    struct Case
    {
        Bytes dataBin;
        std::string text; // after the size line
    };
    const Case cases[] = {
        {Bytes(5, 0), "unsigned int gDatfile[2] = \n{\n    0x0, 0x0, \n};\n"},
        {Counting(16), "unsigned int gDatfile[5] = \n{\n"
                       "    0x4030201, 0x8070605, 0xc0b0a09, 0x100f0e0d, \n};\n"},
        {Counting(17), "unsigned int gDatfile[5] = \n{\n"
                       "    0x4030201, 0x8070605, 0xc0b0a09, 0x100f0e0d, 0x11, \n};\n"},
        {Counting(29), "unsigned int gDatfile[8] = \n{\n" + std::string(kEightItems) +
                           "0x1c1b1a19, 0x1d, \n\n};\n"},
        {Counting(32), "unsigned int gDatfile[9] = \n{\n" + std::string(kEightItems) +
                           "0x1c1b1a19, 0x201f1e1d, \n\n};\n"},
        {Counting(33), "unsigned int gDatfile[9] = \n{\n" + std::string(kEightItems) +
                           "0x1c1b1a19, 0x201f1e1d, \n    0x21, \n};\n"},
        {Bytes(8, 0xFF), "unsigned int gDatfile[3] = \n{\n    0xffffffff, 0xffffffff, \n};\n"},
    };
    for (const Case& c : cases)
    {
        ASSERT_TRUE(WriteBytes("data.bin", c.dataBin));
        EXPECT_EQ(WriteDataCpp("data.bin", "data.cpp"), 0);
        std::string expected =
            "unsigned int gSizeDatfile = " + std::to_string(c.dataBin.size()) + ";\n" + c.text;
#ifdef _WIN32
        // A text file: CR LF line ends on Windows.
        for (size_t at = 0; (at = expected.find('\n', at)) != std::string::npos; at += 2)
            expected.insert(at, 1, '\r');
#endif
        EXPECT_EQ(ReadText("data.cpp"), expected) << c.dataBin.size() << " bytes";
    }
}

} // namespace
