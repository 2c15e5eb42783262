// The command line decides between building, extracting, help and the
// install; a wrong decision writes files in the wrong place.
#include "app/command_line.h"

#include <gtest/gtest.h>

#include <string.h>

namespace
{

TEST(CommandLineTest, ActionFolderAndDataFile)
{
    const std::string fits(kFolderArgSize - 2, 'x'), tooLong(kFolderArgSize, 'f');
    // posix: an argument vector, its words split at '|'; the folder for
    // make, extract, list and test, --exe's program for its own action; -e's
    // data file, --exe's beside -m or alone; -q.
    const std::tuple<bool, std::string, CommandAction, std::string, std::string, bool> cases[] = {
        {false, "", kActionInstall, "", "", false},
        {false, "/?", kActionHelp, "", "", false},
        {false, "/x /?", kActionHelp, "", "", false},
        {false, "/?x", kActionInstall, "", "", false},
        {false, "/", kActionInstall, "", "", false},
        {false, "/MC:\\DATA", kActionMake, "c:\\data", "", false},
        {false, "-eC:\\x", kActionExtract, "c:\\x", "", false},
        {false, "mygame", kActionMake, "ygame", "", false},
        {false, "   /x\t/ec:\\y", kActionExtract, "c:\\y", "", false},
        {false, "/" + std::string(5000, 'q') + " /ec:\\y", kActionExtract, "c:\\y", "", false},
        {false, "/e" + fits, kActionExtract, fits, "", false},
        // A tool switch without its folder, or with one too long to hold.
        {false, "/e", kActionRefused, "", "", false},
        {false, "/e c:\\x", kActionRefused, "", "", false},
        {false, "/e" + fits + "x", kActionRefused, "", "", false},
        {false, "--list", kActionInstall, "", "", false}, // Windows keeps its command line
        {false, "/eout Setup.exe", kActionExtract, "out", "", false},
        {true, "--help", kActionHelp, "", "", false},
        {true, "-mGame/My-Dir", kActionMake, "Game/My-Dir", "", false},
        {true, "-e|/tmp/Out Folder", kActionExtract, "/tmp/Out Folder", "data.bin", false},
        {true, "-e|", kActionRefused, "", "", false},
        {true, "-m" + tooLong, kActionRefused, "", "", false},
        {true, "--list", kActionList, "data.bin", "", false},
        {true, "--test|other.bin", kActionTest, "other.bin", "", false},
        {true, "-e|out|Setup.exe", kActionExtract, "out", "Setup.exe", false},
        {true, "-eout|game/Setup.exe", kActionExtract, "out", "game/Setup.exe", false},
        {true, "-e|out|", kActionRefused, "", "", false},
        {true, "-e|out|" + tooLong, kActionRefused, "", "", false},
        // -q keeps standard output quiet wherever it stands, but not as a folder.
        {true, "-q|-m|game", kActionMake, "game", "", true},
        {true, "/eout|Setup.exe|-q", kActionExtract, "out", "Setup.exe", true},
        {true, "-m|-q", kActionMake, "-q", "", false},
        // --codepage N is no file either.
        {true, "--list|--codepage|1251|x.exe", kActionList, "x.exe", "", false},
        {true, "-e|out|--codepage|1250|Setup.exe", kActionExtract, "out", "Setup.exe", false},
        // --exe writes a program, alone or after -m; its path is never a switch.
        {true, "--exe|Setup.exe", kActionProgram, "Setup.exe", "data.bin", false},
        {true, "-q|--exe|/export/S.exe|--x64|game.bin", kActionProgram, "/export/S.exe", "game.bin",
         true},
        {true, "-m|game|--exe|-eout.exe", kActionMake, "game", "-eout.exe", false},
        {true, "--exe", kActionProgramRefused, "", "", false},
        {true, "--exe|" + tooLong, kActionProgramRefused, "", "", false},
        {true, "--exe|S.exe|" + tooLong, kActionProgramRefused, "", "", false},
        {true, "--list|--exe|S.exe", kActionProgramRefused, "", "", false},
        {true, "-e|out|--exe|S.exe", kActionProgramRefused, "", "", false},
        // --exe-x64 writes the x64 program, beside --exe or alone, never twice.
        {true, "-m|game|--exe|S.exe|--exe-x64|x64/S.exe", kActionMake, "game", "S.exe x64/S.exe",
         false},
        {true, "--exe-x64|/x/S.exe|game.bin", kActionProgram, "/x/S.exe", "game.bin", false},
        {true, "--test|--exe-x64|S.exe", kActionProgramRefused, "", "", false},
        {true, "--exe|S.exe|--x64|--exe-x64|T.exe", kActionProgramRefused, "", "", false},
        // --sign CERT signs what is written, never the data file; nothing to sign is refused.
        {true, "--exe|S.exe|--sign|c.pfx|--timestamp|http://t", kActionProgram, "S.exe", "data.bin",
         false},
        {true, "-m|game|--sign|c.pfx", kActionProgramRefused, "", "", false},
        {true, "--exe|S.exe|--timestamp|http://t", kActionProgramRefused, "", "", false},
    };
    for (const auto& [posix, arguments, expected, folder, file, quiet] : cases)
    {
        strcpy(gFolderArg, "stale");
        strcpy(gDataFileArg, "stale");
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
        const std::string programs = gProgramArg +
                                     std::string(gProgramArg[0] && gProgramX64Arg[0] ? " " : "") +
                                     gProgramX64Arg;
        const bool takesFolder = action == kActionMake || action == kActionExtract ||
                                 action == kActionList || action == kActionTest;
        EXPECT_EQ(takesFolder                ? gFolderArg
                  : action == kActionProgram ? programs
                                             : "",
                  folder)
            << arguments;
        if (action == kActionExtract)
        {
            EXPECT_EQ(gDataFileArg, posix ? file : "stale") << arguments;
        }
        if (action == kActionProgram || (posix && action == kActionMake))
        {
            EXPECT_EQ(action == kActionMake ? programs : gDataFileArg, file) << arguments;
        }
        EXPECT_EQ(posix && gQuiet, quiet) << arguments;
    }
    const char* codePage[] = {"setup", "-m", "g", "--codepage", "1251"};
    ScanArguments(5, codePage);
    EXPECT_EQ(gCodePageArg, 1251u);
    codePage[4] = "12x";
    ScanArguments(5, codePage);
    EXPECT_EQ(gCodePageArg, 0u);
}

} // namespace
