// The command line decides between building, extracting, help and the
// install; a wrong decision writes files in the wrong place.
#include "app/command_line.h"

#include <gtest/gtest.h>

#include <string.h>
#include <tuple>
#include <string>
#include <vector>

namespace
{

TEST(CommandLineTest, ActionAndFolder)
{
    const std::string fits(kFolderArgSize - 2, 'x');
    // posix: an argument vector, its words split at '|'; the folder for
    // make, extract, list and test.
    const std::tuple<bool, std::string, CommandAction, std::string> cases[] = {
        {false, "", kActionInstall, ""},
        {false, "/?", kActionHelp, ""},
        {false, "?", kActionHelp, ""},
        {false, "/x /?", kActionHelp, ""},
        {false, "/?x", kActionInstall, ""},
        {false, "/", kActionInstall, ""},
        {false, "/MC:\\DATA", kActionMake, "c:\\data"},
        {false, "-eC:\\x", kActionExtract, "c:\\x"},
        {false, "mygame", kActionMake, "ygame"},
        {false, "/ec:\\a-b", kActionExtract, "c:\\a-b"},
        {false, "/eC:\\Program Files\\x", kActionExtract, "c:\\program"},
        {false, "/x /ec:\\y", kActionExtract, "c:\\y"},
        {false, "/ec:\\y /x /mc:\\z", kActionExtract, "c:\\y"},
        {false, "   /x\t/ec:\\y", kActionExtract, "c:\\y"},
        {false, "/" + std::string(5000, 'q') + " /ec:\\y", kActionExtract, "c:\\y"},
        {false, "/e" + fits, kActionExtract, fits},
        // A tool switch without its folder, or with one too long to hold.
        {false, "/e", kActionRefused, ""},
        {false, "/e c:\\x", kActionRefused, ""},
        {false, "/e" + fits + "x", kActionRefused, ""},
        {true, "", kActionInstall, ""},
        {true, "--help", kActionHelp, ""},
        {true, "-m|Game/My-Dir", kActionMake, "Game/My-Dir"},
        {true, "-mGame/Dir", kActionMake, "Game/Dir"},
        {true, "-e|/tmp/Out Folder", kActionExtract, "/tmp/Out Folder"},
        {true, "-e|", kActionRefused, ""},
        {true, "--list", kActionList, "data.bin"},
        {true, "--test|other.bin", kActionTest, "other.bin"},
        {false, "--list", kActionInstall, ""}, // Windows keeps its command line
    };
    for (const auto& [posix, arguments, expected, folder] : cases)
    {
        strcpy(gFolderArg, "stale");
        std::vector<std::string> words = {"setup"};
        std::string rest = arguments.empty() ? "" : arguments + "|";
        for (size_t bar; (bar = rest.find('|')) != std::string::npos; rest.erase(0, bar + 1))
            words.push_back(rest.substr(0, bar));
        std::vector<const char*> argv;
        for (const std::string& word : words)
            argv.push_back(word.c_str());
        CommandAction action = posix ? ScanArguments((int)argv.size(), argv.data())
                                     : ScanCommandLine(arguments.c_str());
        EXPECT_EQ(action, expected) << arguments;
        const bool takesFolder = action == kActionMake || action == kActionExtract ||
                                 action == kActionList || action == kActionTest;
        EXPECT_EQ(takesFolder ? gFolderArg : "", folder) << arguments;
    }
}

} // namespace
