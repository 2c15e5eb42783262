// The archive as the shipped program carries it: data.cpp made by setup -m
// from the committed tree, compiled in, and extracted through the install
// run's engine gives back the tree byte for byte, with the percentages and
// the uninstall log the progress page and the script rely on.
#include "datafile/embedded_image.h"
#include "datafile/extract.h"
#include "tests/unit/scratch_folder.h"

namespace
{

typedef ScratchTest DataCppExtractTest;

TEST_F(DataCppExtractTest, CompiledInArchiveInstallsTheTree)
{
    // The words hold the bytes of data.bin.
    const Bytes dataBin = ReadBytes(DATACPP_BIN);
    ASSERT_EQ(gSizeDatfile, dataBin.size());
    EXPECT_EQ(memcmp(gDatfile, dataBin.data(), dataBin.size()), 0);

    // In listing order, case-insensitive; files stored, coded LZW and delta.
    const char* const names[] = {"\\.config", "\\Audio\\noise.bin", "\\Audio\\ramp.wav",
                                 "\\empty.dat", "\\readme.txt"};
    uint32_t total = 0, done = 0;
    for (const char* name : names)
        total += (uint32_t)ReadText(Under(DATACPP_TREE, name)).size();
    EXPECT_EQ(gDatfile[0], total);
    const std::string root = Path("Tremlok");
    char currentFile[kCurrentFileSize] = "";
    ASSERT_EQ(BeginExtract(root.c_str(), gDatfile, gSizeDatfile), 1);
    std::vector<std::string> log = {"rmdir \"" + root + "\"\r\n"};
    for (const char* name : names)
    {
        done += (uint32_t)ReadText(Under(DATACPP_TREE, name)).size();
        EXPECT_EQ(ExtractNext(root.c_str(), currentFile), ExtractPercent(done, total)) << name;
        EXPECT_EQ(currentFile, Under(root, name));
        EXPECT_EQ(ReadText(Under(root, name)), ReadText(Under(DATACPP_TREE, name))) << name;
        if (name == names[1])
            log.push_back("rmdir \"" + Under(root, "\\Audio") + "\"\r\n");
        log.push_back("del \"" + Under(root, name) + "\"\r\n");
    }
    EXPECT_EQ(ExtractNext(root.c_str(), currentFile), 100);
    EXPECT_STREQ(currentFile, "Complete");
    EXPECT_EQ(gExtractSkipped, 0);
    EXPECT_EQ(LoggedLines(), log);
}

} // namespace
