// Both command-line scanners on any bytes: the text up to its first NUL as a
// Windows command line, and the bytes split at NULs as an argument vector.
// A folder handed on is terminated inside gFolderArg, never empty, and made
// only of what the command line held: lowered and whole up to a blank or
// control character on Windows, one argument as given (less its switch) on
// POSIX.
#include "app/command_line.h"
#include "fuzz/fuzz_check.h"

#include <string.h>
#include <string>
#include <vector>

// The folder's length, once it is known to be terminated and not empty.
static size_t FolderLength(CommandAction action)
{
    if (action != kActionMake && action != kActionExtract)
        return 0;
    const char* end = (const char*)memchr(gFolderArg, 0, sizeof gFolderArg);
    FUZZ_CHECK(end != nullptr && end != gFolderArg, "the folder is unterminated or empty");
    return (size_t)(end - gFolderArg);
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string line((const char*)data, strnlen((const char*)data, size));
    memset(gFolderArg, 0x7F, sizeof gFolderArg); // a byte no scan writes
    size_t length = FolderLength(ScanCommandLine(line.c_str()));
    for (char& c : line)
        c = c >= 'A' && c <= 'Z' ? (char)(c - 'A' + 'a') : c;
    for (size_t i = 0; i < length; ++i)
        FUZZ_CHECK((unsigned char)gFolderArg[i] > ' ' &&
                       !(gFolderArg[i] >= 'A' && gFolderArg[i] <= 'Z'),
                   "byte 0x%02x in the folder", (unsigned char)gFolderArg[i]);
    FUZZ_CHECK(length == 0 || line.find(gFolderArg) != std::string::npos,
               "folder \"%s\" is not part of the command line", gFolderArg);

    std::vector<std::string> words = {"setup", ""};
    for (size_t i = 0; i < size; ++i)
        if (data[i])
            words.back() += (char)data[i];
        else
            words.push_back("");
    std::vector<const char*> argv;
    for (const std::string& word : words)
        argv.push_back(word.c_str());
    memset(gFolderArg, 0x7F, sizeof gFolderArg);
    length = FolderLength(ScanArguments((int)argv.size(), argv.data()));
    bool found = length == 0;
    for (size_t i = 1; i < words.size() && !found; ++i)
        found = words[i] == gFolderArg || (words[i].size() > 2 && words[i].substr(2) == gFolderArg);
    FUZZ_CHECK(found, "folder \"%s\" is no argument as given", gFolderArg);
    return 0;
}
