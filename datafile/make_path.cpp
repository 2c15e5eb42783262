// Creating the folders along a path, outermost first.
#include "datafile/make_path.h"

#include "datafile/format.h"
#include "platform/platform.h"
#include "uninstall/uninstall_log.h"

#include <string.h>

// A path is walked a character at a time: a separator byte may be the
// second half of a character.
static size_t Next(const char* path, size_t i)
{
    return (size_t)(NextCharacter(path + i) - path);
}

// On Windows a separator right after a colon belongs to a drive ("C:\"),
// which is never made; POSIX paths have no drives.
static bool EndsPrefix(const char* path, size_t i)
{
    return IsPathSeparator(path[i]) && !(kPathsHaveDrives && path[i - 1] == ':');
}

static void MakePrefix(char* prefix, size_t length)
{
    char kept = prefix[length];
    prefix[length] = 0;
    MakeLoggedDir(prefix);
    prefix[length] = kept;
}

void MakePath(const char* path)
{
    size_t length = strlen(path);
    // A path cut to fit would name a different folder: refuse it whole.
    if (length == 0 || length >= (size_t)kMakePathSize)
        return;
    char prefix[kMakePathSize];
    memcpy(prefix, path, length + 1);
    // The first character always belongs to the first prefix, so a leading
    // separator (a POSIX root or a UNC name) never names an empty folder. A
    // prefix whose last character is a separator comes from a doubled
    // separator or a root; there is no new folder in it.
    size_t last = 0; // where the character before i begins
    for (size_t i = Next(prefix, 0); i < length; last = i, i = Next(prefix, i))
    {
        if (EndsPrefix(prefix, i) && !IsPathSeparator(prefix[last]))
            MakePrefix(prefix, i);
    }
    if (!IsPathSeparator(prefix[last]))
        MakePrefix(prefix, length);
}
