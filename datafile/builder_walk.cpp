// Walking the source tree: which listing entries become records.
#include "datafile/builder.h"

#include "datafile/format.h"

#include <string>

static bool IsSubFolder(const ListingEntry& entry)
{
    return (entry.attributes & kAttributeDirectory) && entry.name[0] != '.';
}

static bool IsPlainFile(const ListingEntry& entry)
{
    return !(entry.attributes & kAttributeDirectory);
}

// The archive holds names in the Windows code page, which a POSIX build
// cannot know, and uses '\' as its separator; such names are refused rather
// than installed under a different name.
static bool IsPortableName(const char* name)
{
#ifdef _WIN32
    (void)name;
    return true;
#else
    for (const unsigned char* p = (const unsigned char*)name; *p; ++p)
    {
        if (*p == '\\' || *p >= 0x80)
            return false;
    }
    return true;
#endif
}

int AddEntry(const char* parentPath, const char* parentPrefix, const ListingEntry& entry,
             BuildOutput* output)
{
    // Dot-folders, "." and ".." among them, are skipped with their contents.
    if (!IsSubFolder(entry) && !IsPlainFile(entry))
        return 0;
    std::string path = std::string(parentPath) + kPathSeparator + entry.name;
    std::string name = std::string(parentPrefix) + '\\' + entry.name;
    if (!IsPortableName(entry.name))
    {
        ReportError("%s: name holds '\\' or a non-ASCII character", path.c_str());
        return 1;
    }
    // Checked for folders too: nothing under such a folder could be
    // archived, and a link back up the tree ends here instead of looping.
    if (path.size() >= (size_t)kSourcePathSize)
    {
        ReportError("%s: path longer than %d characters", path.c_str(), kSourcePathSize - 1);
        return 1;
    }
    if (IsSubFolder(entry))
        return AddFolder(path.c_str(), name.c_str(), output);
    return AddFileRecord(path.c_str(), name.c_str(), entry.size, output);
}

int AddFolder(const char* folderPath, const char* archivePrefix, BuildOutput* output)
{
    // A folder left out silently would ship a game with files missing.
    Listing* listing = ListingOpen(folderPath);
    if (!listing)
    {
        ReportError("%s: folder cannot be listed", folderPath);
        return 1;
    }
    ListingEntry entry;
    int got;
    int result = 0;
    while (result == 0 && (got = ListingNext(listing, &entry)) != 0)
    {
        if (got < 0)
        {
            ReportError("%s%c%s: cannot be read", folderPath, kPathSeparator, entry.name);
            result = 1;
        }
        else
            result = AddEntry(folderPath, archivePrefix, entry, output);
    }
    ListingClose(listing);
    return result;
}
