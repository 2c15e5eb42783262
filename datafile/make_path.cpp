// Creating the folders along a path, outermost first.
#include "datafile/make_path.h"

#include "datafile/format.h"
#include "platform/platform.h"
#include "uninstall/uninstall_log.h"

#include <string.h>

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
    // A prefix ending in a separator comes from a doubled separator or a
    // root; there is no new folder in it.
    if (!IsPathSeparator(prefix[length - 1]))
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
    // separator (a POSIX root or a UNC name) never names an empty folder.
    for (size_t i = 1; i < length; ++i)
    {
        if (EndsPrefix(prefix, i))
            MakePrefix(prefix, i);
    }
    MakePrefix(prefix, length);
}
