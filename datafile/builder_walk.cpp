// Walking the source tree: which listing entries become records.
#include "datafile/builder.h"

#include "datafile/format.h"
#include "platform/code_page.h"
#include "platform/text.h"

#include <string.h>

static bool IsSubFolder(const ListingEntry& entry)
{
    return (entry.attributes & kAttributeDirectory) && entry.name[0] != '.';
}

static bool IsPlainFile(const ListingEntry& entry)
{
    return !(entry.attributes & kAttributeDirectory);
}

// The archive holds names in a Windows code page, with '\' as its
// separator. Names listed on POSIX are UTF-8: each is stored in the code
// page chosen, and one it cannot hold is refused rather than installed
// under another name. Returns false after reporting it.
[[maybe_unused]] static bool StoreName(const char* parentPath, const char* name, char* stored)
{
    uint32_t refused = CodePageFromUtf8(name, stored, kListingNameSize);
    if (refused == kNotUtf8)
        ReportError("%s%c%s: name is not valid UTF-8", parentPath, kPathSeparator, name);
    else if (refused != 0)
        ReportError("%s%c%s: U+%04X cannot be stored in code page %u", parentPath, kPathSeparator,
                    name, (unsigned)refused, SelectedCodePage());
    else if (strchr(stored, '\\'))
        ReportError("%s%c%s: name holds '\\'", parentPath, kPathSeparator, name);
    return refused == 0 && !strchr(stored, '\\');
}

// Windows names differ in letter case only are the same file.
static bool IsBuildOutput(const char* name)
{
    for (int i = 0; i < kBuildOutputCount; ++i)
    {
        const char* p = name;
        const char* q = kBuildOutputs[i];
        while (*p && (kNamesIgnoreCase ? (*p | 0x20) : *p) == *q)
            ++p, ++q;
        if (!*p && !*q)
            return true;
    }
    return false;
}

int AddEntry(const char* parentPath, const char* parentPrefix, const ListingEntry& entry,
             BuildOutput* output)
{
    // Dot-folders, "." and ".." among them, are skipped with their contents.
    if (!IsSubFolder(entry) && !IsPlainFile(entry))
        return 0;
    // Listed on Windows, a name is in the ANSI code page already.
    const char* archiveName = entry.name;
    char stored[kListingNameSize];
    if constexpr (!kNamesAreArchiveNames)
    {
        if (!StoreName(parentPath, entry.name, stored))
            return 1;
        archiveName = stored;
    }
    // Reports name the path by its parts, so that a path too long for the
    // buffer is still named whole.
    // Checked for folders too: nothing under such a folder could be
    // archived, and a link back up the tree ends here instead of looping.
    // The archive name is the path less its root folder, so it fits too.
    const char separator[] = {kPathSeparator, 0};
    char path[kSourcePathSize];
    char name[kSourcePathSize];
    if (!JoinText(path, sizeof path, parentPath, separator, entry.name, nullptr) ||
        !JoinText(name, sizeof name, parentPrefix, "\\", archiveName, nullptr))
    {
        ReportError("%s%c%s: path longer than %d characters", parentPath, kPathSeparator,
                    entry.name, kSourcePathSize - 1);
        return 1;
    }
    if (IsSubFolder(entry))
        return AddFolder(path, name, output);
    return AddFileRecord(path, name, entry.size, output);
}

// Names that differ only in letter case are one file or folder on Windows:
// installed, the second would overwrite or merge into the first, and -e on
// Linux would give a different tree. The listing comes in the order of the
// names' upper case, so such twins are neighbours. previous holds the last
// name taken. Windows lists no such twins.
[[maybe_unused]] static int RefuseCaseTwin(const char* folderPath, char* previous,
                                           const ListingEntry& entry)
{
    if (!IsSubFolder(entry) && !IsPlainFile(entry))
        return 0;
    if (previous[0] && CompareNamesFolded(previous, entry.name) == 0)
    {
        ReportError("%s%c%s: differs from %s only in letter case, which Windows ignores",
                    folderPath, kPathSeparator, entry.name, previous);
        return 1;
    }
    strcpy(previous, entry.name);
    return 0;
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
    // The run's own outputs lie in the current directory; when the tree
    // holds it they are left out, finished or not.
    bool holdsOutputs = IsCurrentFolder(folderPath);
    ListingEntry entry;
    char previous[sizeof entry.name] = "";
    int got;
    int result = 0;
    while (result == 0 && (got = ListingNext(listing, &entry)) != 0)
    {
        if (got < 0)
        {
            ReportError("%s%c%s: cannot be read", folderPath, kPathSeparator, entry.name);
            result = 1;
        }
        else if (!(holdsOutputs && IsPlainFile(entry) && IsBuildOutput(entry.name)))
        {
            if constexpr (!kNamesIgnoreCase)
                result = RefuseCaseTwin(folderPath, previous, entry);
            if (result == 0)
                result = AddEntry(folderPath, archivePrefix, entry, output);
        }
    }
    ListingClose(listing);
    return result;
}

uint64_t ListedBytes(const char* folderPath)
{
    Listing* listing = ListingOpen(folderPath);
    if (!listing)
        return 0;
    const char separator[] = {kPathSeparator, 0};
    const bool holdsOutputs = IsCurrentFolder(folderPath);
    uint64_t bytes = 0;
    ListingEntry entry;
    char path[kSourcePathSize];
    for (int got; (got = ListingNext(listing, &entry)) != 0;)
    {
        if (got < 0 || (holdsOutputs && IsPlainFile(entry) && IsBuildOutput(entry.name)))
            continue;
        if (IsPlainFile(entry))
            bytes += entry.size;
        else if (IsSubFolder(entry) &&
                 JoinText(path, sizeof path, folderPath, separator, entry.name, nullptr))
            bytes += ListedBytes(path);
    }
    ListingClose(listing);
    return bytes;
}
