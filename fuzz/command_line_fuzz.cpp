// The command-line scanners on any text and any argument vector: the folder
// they hand on is terminated inside gFolderArg, non-empty, and made only of
// what the command line held.
#include "app/command_line.h"
#include "fuzz/fuzz_check.h"

#include <stdlib.h>
#include <string.h>
#include <string>
#include <vector>

static bool TakesFolder(CommandAction action)
{
    return action == kActionMake || action == kActionExtract;
}

// Fills gFolderArg with a byte no scan writes, so a missing terminator shows.
static void Poison()
{
    memset(gFolderArg, 0x7F, sizeof gFolderArg);
}

static size_t CheckedFolderLength(CommandAction action)
{
    if (!TakesFolder(action))
        return 0;
    const void* end = memchr(gFolderArg, 0, sizeof gFolderArg);
    FUZZ_CHECK(end != nullptr, "gFolderArg is not terminated (action %d)", (int)action);
    size_t length = (size_t)((const char*)end - gFolderArg);
    FUZZ_CHECK(length > 0, "empty folder accepted");
    return length;
}

static void FuzzWindowsLine(const std::string& text)
{
    Poison();
    CommandAction action = ScanCommandLine(text.c_str());
    size_t length = CheckedFolderLength(action);
    for (size_t i = 0; i < length; ++i)
    {
        unsigned char c = (unsigned char)gFolderArg[i];
        // Tokens end at blanks and control characters; letters are lowered.
        FUZZ_CHECK(c > ' ', "byte 0x%02x in the folder", c);
        FUZZ_CHECK(!(c >= 'A' && c <= 'Z'), "upper-case letter in the folder");
    }
    if (TakesFolder(action))
    {
        std::string lowered = text;
        for (char& c : lowered)
        {
            if (c >= 'A' && c <= 'Z')
                c = (char)(c - 'A' + 'a');
        }
        FUZZ_CHECK(lowered.find(gFolderArg) != std::string::npos,
                   "folder \"%s\" is not part of the command line", gFolderArg);
    }
}

// The same bytes split at NUL bytes into argv[1..], as a shell would pass them.
static void FuzzPosixArguments(const uint8_t* data, size_t size)
{
    std::vector<std::string> words(1, std::string("setup"));
    words.push_back(std::string());
    for (size_t i = 0; i < size; ++i)
    {
        if (data[i] == 0)
            words.push_back(std::string());
        else
            words.back() += (char)data[i];
    }
    std::vector<const char*> argv;
    for (const std::string& word : words)
        argv.push_back(word.c_str());
    argv.push_back(nullptr);

    Poison();
    CommandAction action = ScanArguments((int)words.size(), argv.data());
    CheckedFolderLength(action);
    if (TakesFolder(action))
    {
        // The folder is kept exactly as the shell gave it: a whole word, or
        // a word less its two switch characters.
        bool found = false;
        for (size_t i = 1; i < words.size() && !found; ++i)
            found =
                words[i] == gFolderArg ||
                (words[i].size() > 2 && words[i].compare(2, std::string::npos, gFolderArg) == 0);
        FUZZ_CHECK(found, "folder \"%s\" is no argument as given", gFolderArg);
    }
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzWindowsLine(std::string((const char*)data, strnlen((const char*)data, size)));
    FuzzPosixArguments(data, size);
    return 0;
}
