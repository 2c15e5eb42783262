// data.cpp is compiled into the shipped program: its text must declare
// exactly the bytes of data.bin, in the layout the build has always used.
#include "datafile/datacpp_writer.h"
#include "tests/unit/scratch_folder.h"

#include <numeric>

namespace
{

// n bytes counting up from 1, so that item i is easy to read off.
Bytes Counting(size_t n)
{
    Bytes bytes(n);
    std::iota(bytes.begin(), bytes.end(), 1);
    return bytes;
}

const char kEightItems[] =
    "    0x4030201, 0x8070605, 0xc0b0a09, 0x100f0e0d, 0x14131211, 0x18171615, ";

typedef ScratchTest DataCppTest;

TEST_F(DataCppTest, ExactText)
{
    // Every length mod 4, the empty archive among them; a line of eight items
    // that ends the list, and one followed by more; the text after the size line.
    const std::pair<Bytes, std::string> cases[] = {
        {Bytes(5, 0), "unsigned int gDatfile[2] = \n{\n    0x0, 0x0, \n};\n"},
        {Counting(31), "unsigned int gDatfile[8] = \n{\n" + std::string(kEightItems) +
                           "0x1c1b1a19, 0x1f1e1d, \n\n};\n"},
        {Counting(32), "unsigned int gDatfile[9] = \n{\n" + std::string(kEightItems) +
                           "0x1c1b1a19, 0x201f1e1d, \n\n};\n"},
        {Counting(33), "unsigned int gDatfile[9] = \n{\n" + std::string(kEightItems) +
                           "0x1c1b1a19, 0x201f1e1d, \n    0x21, \n};\n"},
        {Bytes(10, 0xFF),
         "unsigned int gDatfile[3] = \n{\n    0xffffffff, 0xffffffff, 0xffff, \n};\n"},
    };
    for (const auto& [dataBin, text] : cases)
    {
        ASSERT_TRUE(WriteBytes("data.bin", dataBin));
        EXPECT_EQ(WriteDataCpp("data.bin", "data.cpp"), 0);
        std::string expected =
            "unsigned int gSizeDatfile = " + std::to_string(dataBin.size()) + ";\n" + text;
#ifdef _WIN32
        // A text file: CR LF line ends on Windows.
        for (size_t at = 0; (at = expected.find('\n', at)) != std::string::npos; at += 2)
            expected.insert(at, 1, '\r');
#endif
        EXPECT_EQ(ReadText("data.cpp"), expected) << dataBin.size() << " bytes";
    }
}

} // namespace
