// The command line decides between building, extracting, help and the
// install; a wrong decision writes files in the wrong place.
#include "app/command_line.h"

#include <gtest/gtest.h>
#include <ctype.h>
#include <string.h>
#include <string>
#include <vector>

namespace
{

struct WindowsCase
{
    const char* name;
    const char* arguments;
    CommandAction action;
    const char* folder; // expected gFolderArg for make and extract
};

const WindowsCase kWindowsCases[] = {
    {"empty", "", kActionInstall, ""},
    {"help", "/?", kActionHelp, ""},
    {"help with dash", "-?", kActionHelp, ""},
    {"bare help", "?", kActionHelp, ""},
    {"help after unknown", "/x /?", kActionHelp, ""},
    {"help with trailer matches nothing", "/?x", kActionInstall, ""},
    {"lone slash installs", "/", kActionInstall, ""},
    {"unknown switches install", "/x -y zz", kActionInstall, ""},
    {"make lowers letters", "/MC:\\DATA", kActionMake, "c:\\data"},
    {"extract", "/eC:\\x", kActionExtract, "c:\\x"},
    {"extract with dash", "-eC:\\x", kActionExtract, "c:\\x"},
    {"extract without switch", "eC:\\x", kActionExtract, "c:\\x"},
    {"stray word selects make", "mygame", kActionMake, "ygame"},
    {"dash inside folder kept", "/ec:\\a-b", kActionExtract, "c:\\a-b"},
    {"slash inside folder kept", "/ec:/games/x", kActionExtract, "c:/games/x"},
    {"space ends folder", "/eC:\\Program Files\\x", kActionExtract, "c:\\program"},
    {"first match decides", "/x /ec:\\y", kActionExtract, "c:\\y"},
    {"later tokens ignored", "/ec:\\y /x", kActionExtract, "c:\\y"},
    {"later tool switch ignored", "/ec:\\y /mc:\\z", kActionExtract, "c:\\y"},
    {"leading spaces", "   /ec:\\y", kActionExtract, "c:\\y"},
    {"tab separates", "/x\t/ec:\\y", kActionExtract, "c:\\y"},
    {"high bytes stay in the folder",
     "/ec:\\\xDC"
     "bung",
     kActionExtract,
     "c:\\\xDC"
     "bung"},
    {"empty extract refused", "/e", kActionRefused, ""},
    {"empty make refused", "/m", kActionRefused, ""},
    {"extract then folder after space refused", "/e c:\\x", kActionRefused, ""},
};

class WindowsScan : public ::testing::TestWithParam<WindowsCase>
{
};

TEST_P(WindowsScan, DecidesActionAndFolder)
{
    const WindowsCase& c = GetParam();
    strcpy(gFolderArg, "stale");
    CommandAction action = ScanCommandLine(c.arguments);
    EXPECT_EQ(action, c.action) << c.name;
    if (action == kActionMake || action == kActionExtract)
    {
        EXPECT_STREQ(gFolderArg, c.folder) << c.name;
    }
}

std::string CaseName(const ::testing::TestParamInfo<WindowsCase>& info)
{
    std::string name = info.param.name;
    for (char& c : name)
        c = isalnum((unsigned char)c) ? c : '_';
    return name;
}

INSTANTIATE_TEST_SUITE_P(Cases, WindowsScan, ::testing::ValuesIn(kWindowsCases), CaseName);

TEST(WindowsScanLimits, LongestFolderFitsAndOneMoreIsRefused)
{
    std::string folder(kFolderArgSize - 2, 'x');
    EXPECT_EQ(ScanCommandLine(("/e" + folder).c_str()), kActionExtract);
    EXPECT_EQ(std::string(gFolderArg), folder);

    // Never cut into a shorter, different path.
    std::string longer(kFolderArgSize - 1, 'x');
    EXPECT_EQ(ScanCommandLine(("/e" + longer).c_str()), kActionRefused);
    EXPECT_EQ(ScanCommandLine(("-m" + longer + " /?").c_str()), kActionRefused);
}

TEST(WindowsScanLimits, LongUnmatchedTokenIsPassedOver)
{
    std::string noise(5000, 'q');
    EXPECT_EQ(ScanCommandLine(("/" + noise + " /ec:\\y").c_str()), kActionExtract);
    EXPECT_STREQ(gFolderArg, "c:\\y");
    EXPECT_EQ(ScanCommandLine(noise.c_str()), kActionInstall);
}

CommandAction Scan(std::initializer_list<const char*> arguments)
{
    std::vector<const char*> argv = {"setup"};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    return ScanArguments((int)argv.size(), argv.data());
}

TEST(PosixScan, SwitchFormsAndFolderKeptAsGiven)
{
    EXPECT_EQ(Scan({"-m", "Game/My-Dir"}), kActionMake);
    EXPECT_STREQ(gFolderArg, "Game/My-Dir");
    EXPECT_EQ(Scan({"-mGame/Dir"}), kActionMake);
    EXPECT_STREQ(gFolderArg, "Game/Dir");
    EXPECT_EQ(Scan({"/mGame"}), kActionMake);
    EXPECT_STREQ(gFolderArg, "Game");
    EXPECT_EQ(Scan({"-e", "/tmp/Out Folder"}), kActionExtract);
    EXPECT_STREQ(gFolderArg, "/tmp/Out Folder");
}

TEST(PosixScan, HelpInstallAndRefusals)
{
    EXPECT_EQ(Scan({}), kActionInstall);
    EXPECT_EQ(Scan({"--help"}), kActionHelp);
    EXPECT_EQ(Scan({"/?"}), kActionHelp);
    EXPECT_EQ(Scan({"-x", "-?"}), kActionHelp);
    EXPECT_EQ(Scan({"-m"}), kActionRefused);
    EXPECT_EQ(Scan({"-e", ""}), kActionRefused);
    EXPECT_EQ(Scan({("-m" + std::string(kFolderArgSize, 'a')).c_str()}), kActionRefused);
}

} // namespace
