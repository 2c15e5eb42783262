// Reading the command line into one of the four actions.
#include "app/command_line.h"

#include "platform/code_page.h"

#include <string.h>

char gFolderArg[kFolderArgSize];
char gDataFileArg[kFolderArgSize];
static const char kDefaultDataFile[] = "data.bin";
bool gQuiet = false;
unsigned gCodePageArg = kDefaultCodePage;
char gProgramArg[kFolderArgSize];
bool gProgramX64 = false;
char gProgramX64Arg[kFolderArgSize];
char gSignArg[kFolderArgSize];
char gTimestampArg[kFolderArgSize];

// Copies argument into a kFolderArgSize buffer; false when it is empty or
// too long to hold.
static bool TakeArgument(char* buffer, const char* argument)
{
    size_t length = strlen(argument);
    if (length == 0 || length >= (size_t)kFolderArgSize)
        return false;
    memcpy(buffer, argument, length + 1);
    return true;
}

// Copies folder into gFolderArg. An empty or oversized folder is refused:
// an empty one would make the tool work at the root of a drive.
static CommandAction TakeFolder(CommandAction action, const char* folder)
{
    size_t length = strlen(folder);
    gFolderArg[0] = 0;
    if (length == 0 || length >= (size_t)kFolderArgSize)
        return kActionRefused;
    memcpy(gFolderArg, folder, length + 1);
    return action;
}

static char LowerAscii(char c)
{
    return (c >= 'A' && c <= 'Z') ? (char)(c - 'A' + 'a') : c;
}

// Collects one token from text into token (kTokenSize bytes). Returns the
// position after it; *tooLong is set when the token did not fit, and the
// rest of it is passed over.
static const char* CollectToken(const char* text, char* token, bool* tooLong)
{
    int length = 0;
    *tooLong = false;
    for (; (unsigned char)*text > ' '; ++text)
    {
        char c = LowerAscii(*text);
        if (length == 0 && (c == '/' || c == '-'))
            continue;
        if (length + 1 >= kTokenSize)
        {
            *tooLong = true;
            continue;
        }
        token[length++] = c;
    }
    token[length] = 0;
    return text;
}

// Tests one finished token; kActionInstall means it matched nothing.
static CommandAction MatchToken(const char* token, bool tooLong)
{
    if (token[0] == 'm' || token[0] == 'e')
    {
        CommandAction action = token[0] == 'm' ? kActionMake : kActionExtract;
        return tooLong ? kActionRefused : TakeFolder(action, token + 1);
    }
    if (!tooLong && strcmp(token, "?") == 0)
        return kActionHelp;
    return kActionInstall;
}

CommandAction ScanCommandLine(const char* arguments)
{
    char token[kTokenSize];
    const char* text = arguments;
    while (*text)
    {
        while (*text == ' ')
            ++text;
        bool tooLong = false;
        text = CollectToken(text, token, &tooLong);
        CommandAction action = MatchToken(token, tooLong);
        if (action != kActionInstall)
            return action;
        // A control character ends a token; it separates like a space.
        if (*text)
            ++text;
    }
    return kActionInstall;
}

static bool IsSwitch(const char* argument, char letter)
{
    return (argument[0] == '-' || argument[0] == '/') && LowerAscii(argument[1]) == letter;
}

static bool IsHelp(const char* argument)
{
    return strcmp(argument, "-?") == 0 || strcmp(argument, "/?") == 0 ||
           strcmp(argument, "-h") == 0 || strcmp(argument, "--help") == 0;
}

// Takes the folder of a "-m DIR", "-mDIR" or "/mDIR" argument at argv[i].
static CommandAction TakeSwitchFolder(CommandAction action, int argc, const char* const* argv,
                                      int i)
{
    const char* argument = argv[i];
    if (argument[2] == 0)
        return TakeFolder(action, i + 1 < argc ? argv[i + 1] : "");
    return TakeFolder(action, argument + 2);
}

// The options that take the next argument as their value.
static bool TakesValue(const char* argument)
{
    return strcmp(argument, "--codepage") == 0 || strcmp(argument, "--exe") == 0 ||
           strcmp(argument, "--exe-x64") == 0 || strcmp(argument, "--sign") == 0 ||
           strcmp(argument, "--timestamp") == 0;
}

static bool IsFlag(const char* argument)
{
    return strcmp(argument, "-q") == 0 || strcmp(argument, "--x64") == 0;
}

// The first argument from i on that is no option.
static int NextOperand(int argc, const char* const* argv, int i)
{
    while (i < argc && (IsFlag(argv[i]) || TakesValue(argv[i])))
        i += TakesValue(argv[i]) ? 2 : 1;
    return i;
}

// Takes -e's data file, the first operand after its folder at argv[i], when
// there is one. A name too long to hold is refused.
static CommandAction TakeExtractFile(CommandAction action, int argc, const char* const* argv, int i)
{
    if (action != kActionExtract)
        return action;
    int next = NextOperand(argc, argv, argv[i][2] == 0 ? i + 2 : i + 1);
    if (next >= argc)
        return action;
    return TakeArgument(gDataFileArg, argv[next]) ? action : kActionRefused;
}

// 0 unless text is a decimal number of at most five digits.
static unsigned CodePageNumber(const char* text)
{
    unsigned n = 0;
    size_t length = strlen(text);
    for (size_t i = 0; i < length; ++i)
    {
        if (text[i] < '0' || text[i] > '9' || length > 5)
            return 0;
        n = n * 10 + (unsigned)(text[i] - '0');
    }
    return n;
}

// The options that may stand anywhere but in a folder's place: -q, --x64,
// --codepage N, --exe PROGRAM, --exe-x64 PROGRAM, --sign CERT and
// --timestamp URL. False when one has no value it can hold, when both
// programs would be the x64 one (one of the two asked for would go
// unwritten), or when a signature is asked for with nothing to sign.
static bool ScanOptions(int argc, const char* const* argv)
{
    gQuiet = false;
    gProgramX64 = false;
    gProgramArg[0] = 0;
    gProgramX64Arg[0] = 0;
    gSignArg[0] = 0;
    gTimestampArg[0] = 0;
    gCodePageArg = kDefaultCodePage;
    for (int i = 1; i < argc; ++i)
    {
        if (strcmp(argv[i], "-q") == 0)
            gQuiet = true;
        else if (strcmp(argv[i], "--x64") == 0)
            gProgramX64 = true;
        else if (strcmp(argv[i], "--codepage") == 0)
            gCodePageArg = ++i < argc ? CodePageNumber(argv[i]) : 0;
        else if (strcmp(argv[i], "--exe") == 0 &&
                 !(++i < argc && TakeArgument(gProgramArg, argv[i])))
            return false;
        else if (strcmp(argv[i], "--exe-x64") == 0 &&
                 !(++i < argc && TakeArgument(gProgramX64Arg, argv[i])))
            return false;
        else if (strcmp(argv[i], "--sign") == 0 && !(++i < argc && TakeArgument(gSignArg, argv[i])))
            return false;
        else if (strcmp(argv[i], "--timestamp") == 0 &&
                 !(++i < argc && TakeArgument(gTimestampArg, argv[i])))
            return false;
        else if ((IsSwitch(argv[i], 'm') || IsSwitch(argv[i], 'e')) && argv[i][2] == 0)
            ++i;
    }
    const bool writes = gProgramArg[0] || gProgramX64Arg[0];
    return (!gProgramArg[0] || !gProgramX64Arg[0] || !gProgramX64) && (writes || !gSignArg[0]) &&
           (gSignArg[0] || !gTimestampArg[0]);
}

CommandAction ScanArguments(int argc, const char* const* argv)
{
    memcpy(gDataFileArg, kDefaultDataFile, sizeof kDefaultDataFile);
    if (!ScanOptions(argc, argv))
        return kActionProgramRefused;
    const char* other = nullptr;
    const bool writes = gProgramArg[0] || gProgramX64Arg[0];
    for (int i = 1; i < argc; ++i)
    {
        if (TakesValue(argv[i]))
            ++i;
        else if (IsHelp(argv[i]))
            return kActionHelp;
        // A program to write goes with -m or alone: beside anything else it
        // would go unwritten while the run reported success.
        else if (strcmp(argv[i], "--list") == 0 || strcmp(argv[i], "--test") == 0)
        {
            int file = NextOperand(argc, argv, i + 1);
            return writes ? kActionProgramRefused
                          : TakeFolder(argv[i][2] == 'l' ? kActionList : kActionTest,
                                       file < argc ? argv[file] : kDefaultDataFile);
        }
        else if (IsSwitch(argv[i], 'm'))
            return TakeSwitchFolder(kActionMake, argc, argv, i);
        else if (IsSwitch(argv[i], 'e'))
            return writes ? kActionProgramRefused
                          : TakeExtractFile(TakeSwitchFolder(kActionExtract, argc, argv, i), argc,
                                            argv, i);
        else if (!other && !IsFlag(argv[i]))
            other = argv[i];
    }
    if (!writes)
        return kActionInstall;
    return !other || TakeArgument(gDataFileArg, other) ? kActionProgram : kActionProgramRefused;
}
