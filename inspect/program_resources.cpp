// The resource directory: a tree of type, name and language levels whose
// offsets are counted from its first byte, with leaves that give their
// data's address once loaded.
#include "inspect/program_resources.h"

#include "datafile/format.h"
#include "res/resource_ids.h"

#include <string.h>

static const uint32_t kTypeBitmap = 2, kTypeDialog = 5, kTypeVersion = 16;
static const uint32_t kVersionId = 1;
static const uint32_t kDirectoryHeader = 16, kEntrySize = 8, kLeafSize = 16;
static const uint32_t kSubdirectory = 0x80000000u;

struct ResourceTree
{
    const unsigned char* bytes; // the directory's first byte
    uint32_t length;            // bytes from there to its section's end
    uint32_t address;           // the directory's address once loaded
};

// The offset that the entry for id in the directory at offset leads to,
// with its subdirectory bit; 0 when there is none (no entry leads back to
// the root). Named entries come first and are passed over.
static uint32_t FindEntry(const ResourceTree& tree, uint32_t offset, uint32_t id)
{
    if (offset > tree.length || tree.length - offset < kDirectoryHeader)
        return 0;
    const unsigned char* directory = tree.bytes + offset;
    const uint32_t named = ReadLe16(directory + 12), ids = ReadLe16(directory + 14);
    if ((uint64_t)(named + ids) * kEntrySize > tree.length - offset - kDirectoryHeader)
        return 0;
    for (uint32_t i = named; i < named + ids; ++i)
    {
        const unsigned char* entry = directory + kDirectoryHeader + i * kEntrySize;
        if (ReadLe32(entry) == id)
            return ReadLe32(entry + 4);
    }
    return 0;
}

// The data of resource id of type, in its first language: where it lies in
// the file, from its leaf's address and size. False when any step of the
// way lies outside the tree, or the data outside the section.
static bool FindData(const ResourceTree& tree, uint32_t type, uint32_t id,
                     const unsigned char** data, uint32_t* size)
{
    const uint32_t names = FindEntry(tree, 0, type);
    if (!(names & kSubdirectory))
        return false;
    const uint32_t languages = FindEntry(tree, names & ~kSubdirectory, id);
    if (!(languages & kSubdirectory))
        return false;
    const uint32_t at = languages & ~kSubdirectory;
    if (at > tree.length || tree.length - at < kDirectoryHeader + kEntrySize ||
        ReadLe16(tree.bytes + at + 12) + ReadLe16(tree.bytes + at + 14) == 0)
        return false;
    const uint32_t leaf = ReadLe32(tree.bytes + at + kDirectoryHeader + 4);
    if ((leaf & kSubdirectory) || leaf > tree.length || tree.length - leaf < kLeafSize)
        return false;
    const uint32_t into = ReadLe32(tree.bytes + leaf) - tree.address;
    *size = ReadLe32(tree.bytes + leaf + 4);
    if (ReadLe32(tree.bytes + leaf) < tree.address || into > tree.length ||
        *size > tree.length - into)
        return false;
    *data = tree.bytes + into;
    return true;
}

// A DIALOG template, as the resource script writes the pages: a fixed
// header of 18 bytes, not the DIALOGEX form, and at least one control.
static bool IsPage(const ResourceTree& tree, uint32_t id)
{
    const unsigned char* data;
    uint32_t size;
    return FindData(tree, kTypeDialog, id, &data, &size) && size >= 18 &&
           !(ReadLe16(data) == 1 && ReadLe16(data + 2) == 0xFFFF) && ReadLe16(data + 8) > 0;
}

// A device-independent bitmap, which begins with its 40-byte header.
static bool IsBitmap(const ResourceTree& tree, uint32_t id)
{
    const unsigned char* data;
    uint32_t size;
    return FindData(tree, kTypeBitmap, id, &data, &size) && size >= 40 && ReadLe32(data) == 40;
}

// The version block: its length, value length and type words, then its key.
static bool IsVersionBlock(const ResourceTree& tree)
{
    static const char kKey[] = "VS_VERSION_INFO";
    const unsigned char* data;
    uint32_t size;
    if (!FindData(tree, kTypeVersion, kVersionId, &data, &size) || size < 6 + 2 * sizeof kKey)
        return false;
    for (size_t i = 0; i < sizeof kKey; ++i)
    {
        if (ReadLe16(data + 6 + 2 * i) != (unsigned char)kKey[i])
            return false;
    }
    return true;
}

bool CarriesOurResources(const unsigned char* file, const ProgramSections& sections)
{
    const ResourceTree tree = {file + sections.resources.offset, sections.resources.length,
                               sections.resourcesAddress};
    return tree.length > 0 && IsPage(tree, IDD_WELCOME_PAGE) && IsPage(tree, IDD_PROGRESS_PAGE) &&
           IsPage(tree, IDD_COMPLETION_PAGE) && IsBitmap(tree, IDB_SIDEBAR) && IsVersionBlock(tree);
}
