// The archive as the shipped program carries it: data.cpp made by setup -m
// from the committed tree, compiled in, holds the bytes of data.bin, and the
// install run's engine extracts it back to that tree byte for byte.
#include "datafile/embedded_image.h"
#include "datafile/extract.h"
#include "tests/unit/scratch_folder.h"

namespace
{

typedef ScratchTest DataCppExtractTest;

TEST_F(DataCppExtractTest, CompiledInArchiveInstallsTheTree)
{
    const Bytes dataBin = ReadFile<Bytes>(DATACPP_BIN);
    ASSERT_EQ(gSizeDatfile, dataBin.size());
    EXPECT_EQ(memcmp(gDatfile, dataBin.data(), dataBin.size()), 0);
    const std::string root = Path("Tremlok");
    char currentFile[kCurrentFileSize] = "";
    int percent = BeginExtract(root.c_str(), gDatfile, gSizeDatfile);
    for (int calls = 0; calls < 10 && percent != 100 && percent != kExtractDamaged; ++calls)
        percent = ExtractNext(root.c_str(), currentFile);
    EXPECT_EQ(percent, 100);
    EXPECT_EQ(gExtractSkipped, 0);
    EXPECT_EQ(TreeOf(root), TreeOf(DATACPP_TREE));
}

} // namespace
