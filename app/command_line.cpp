// Reading the command line into one of the four actions.
#include "app/command_line.h"

#include <string.h>

char gFolderArg[kFolderArgSize];
char gDataFileArg[kFolderArgSize];
static const char kDefaultDataFile[] = "data.bin";
bool gQuiet = false;

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

// Takes -e's data file, the first argument after its folder at argv[i]
// that is not -q, when there is one. A name too long to hold is refused.
static CommandAction TakeExtractFile(CommandAction action, int argc, const char* const* argv, int i)
{
    if (action != kActionExtract)
        return action;
    int next = argv[i][2] == 0 ? i + 2 : i + 1;
    while (next < argc && strcmp(argv[next], "-q") == 0)
        ++next;
    if (next >= argc)
        return action;
    size_t length = strlen(argv[next]);
    if (length == 0 || length >= (size_t)kFolderArgSize)
        return kActionRefused;
    memcpy(gDataFileArg, argv[next], length + 1);
    return action;
}

// "-q" may stand anywhere but in a folder's place.
static void ScanQuiet(int argc, const char* const* argv)
{
    gQuiet = false;
    for (int i = 1; i < argc; ++i)
    {
        if (strcmp(argv[i], "-q") == 0)
            gQuiet = true;
        else if ((IsSwitch(argv[i], 'm') || IsSwitch(argv[i], 'e')) && argv[i][2] == 0)
            ++i;
    }
}

CommandAction ScanArguments(int argc, const char* const* argv)
{
    ScanQuiet(argc, argv);
    memcpy(gDataFileArg, kDefaultDataFile, sizeof kDefaultDataFile);
    for (int i = 1; i < argc; ++i)
    {
        if (IsHelp(argv[i]))
            return kActionHelp;
        if (strcmp(argv[i], "--list") == 0 || strcmp(argv[i], "--test") == 0)
            return TakeFolder(argv[i][2] == 'l' ? kActionList : kActionTest,
                              i + 1 < argc ? argv[i + 1] : kDefaultDataFile);
        if (IsSwitch(argv[i], 'm'))
            return TakeSwitchFolder(kActionMake, argc, argv, i);
        if (IsSwitch(argv[i], 'e'))
            return TakeExtractFile(TakeSwitchFolder(kActionExtract, argc, argv, i), argc, argv, i);
    }
    return kActionInstall;
}
