// Taking one entry: check the name, decode, then make folders and write.
// Decoding comes before anything touches the disk, so a damaged entry
// leaves neither a file nor a folder behind.
#include "datafile/extract_entry.h"

#include "datafile/extract_state.h"
#include "datafile/make_path.h"
#include "platform/platform.h"
#include "platform/text.h"
#include "uninstall/uninstall_log.h"

#include <stdlib.h>
#include <string.h>

// Writes root followed by name into out, the data file's backslashes turned
// into this platform's separator. Returns false when it does not fit: out
// then holds as much of the start as fits, for the report.
static bool EntryPath(char* out, size_t size, const char* root, const char* name)
{
    if (size == 0)
        return false;
    size_t used = 0;
    for (const char* p = root; *p && used < size - 1; ++p)
        out[used++] = *p;
    for (const char* p = name; *p && used < size - 1; ++p)
        out[used++] = *p == '\\' ? kPathSeparator : *p;
    out[used] = 0;
    return strlen(root) + strlen(name) == used;
}

// Writes data to fd, opened on path, and closes it. A file that did not go
// in whole is removed rather than left short.
static bool WriteAndClose(int fd, const char* path, const unsigned char* data, uint32_t size,
                          bool flushNow)
{
    if (fd < 0)
        return false;
    bool written = FileWriteAll(fd, data, size) == 0;
    if (flushNow)
        written = FileCommit(fd) == 0 && written;
    else
        FileStartFlush(fd);
    written = FileClose(fd) == 0 && written;
    if (!written)
        FileRemove(path);
    return written;
}

// The tool's temporaries: "tremlok~0", "tremlok~1", ... in the entry's folder.
static const char kPartName[] = "tremlok~";
static const uint32_t kPartTries = 100;
const size_t kPartPathSize = kEntryPathSize + sizeof kPartName + kNumberTextSize;

// Creates the tool's temporary for path (shorter than kEntryPathSize) and
// writes its path into part: a new file beside it under a short name of its
// own, so that it fits wherever the entry's name fits (an entry name may
// fill the file system's limit), and never takes the place of a file already
// there (an entry may be named like a temporary). Returns its descriptor, or
// -1.
static int CreatePart(const char* path, char* part)
{
    const char* last = strrchr(path, kPathSeparator);
    const size_t folderLength = last ? (size_t)(last - path) + 1 : 0;
    memcpy(part, path, folderLength);
    memcpy(part + folderLength, kPartName, sizeof kPartName - 1);
    char* number = part + folderLength + sizeof kPartName - 1;
    for (uint32_t n = 0; n < kPartTries; ++n)
    {
        UnsignedText(number, n, 10);
        int fd = FileCreateNew(part);
        if (fd >= 0)
            return fd;
    }
    return -1;
}

// The install's log names only final paths, so its file is written in
// place; the tool's temporary means a run killed part-way never leaves a
// short file under an entry's name.
static bool WriteEntryFile(const char* path, const unsigned char* data, uint32_t size,
                           WriteStrategy strategy)
{
    if (strategy == kWriteInPlaceLogged)
        return WriteAndClose(FileCreate(path), path, data, size, true);
    char part[kPartPathSize];
    if (!WriteAndClose(CreatePart(path, part), part, data, size, !kSyncAtEnd))
        return false;
    if (FileReplace(part, path) == 0)
        return true;
    FileRemove(part);
    return false;
}

// path is shorter than kEntryPathSize: the caller checked.
static void MakeEntryFolders(const char* path, size_t rootLength)
{
    // The name's first backslash follows the root, so the last separator
    // from there on is the one before the file name.
    const char* last = strrchr(path, kPathSeparator);
    if (!last || (size_t)(last - path) < rootLength)
        return;
    size_t length = (size_t)(last - path);
    if (strncmp(gLastFolder, path, length) == 0 && gLastFolder[length] == 0)
        return;
    memcpy(gLastFolder, path, length);
    gLastFolder[length] = 0;
    MakePath(gLastFolder);
}

static EntryOutcome Fail(EntryResult* result, EntryProblem problem)
{
    result->problem = problem;
    return kEntryFailed;
}

static EntryOutcome Skip(EntryResult* result, EntryProblem problem)
{
    result->problem = problem;
    return kEntrySkipped;
}

EntryOutcome WriteEntry(const char* root, const EntryRecord& record, const unsigned char* data,
                        WriteStrategy strategy, EntryResult* result)
{
    if (record.nameTooLong)
        return Skip(result, kProblemNameTooLong);
    if (result->pathCut || strlen(result->path) >= (size_t)kEntryPathSize)
        return Skip(result, kProblemPathTooLong);
    // Nothing is written through a link that stands in the destination:
    // its target may lie anywhere. The path is cut to name it.
    if (!kLeanProgram && strategy == kWriteThroughTemporary)
    {
        const size_t link = LinkInPath(result->path, strlen(root));
        if (link)
        {
            result->path[link] = 0;
            return Fail(result, kProblemLink);
        }
    }
    MakeEntryFolders(result->path, strlen(root));
    if (!WriteEntryFile(result->path, data, record.size, strategy))
        return Skip(result, kProblemNotWritable);
    if (strategy == kWriteInPlaceLogged)
        AddUninstallCommand("del", result->path);
    return kEntryWritten;
}

EntryOutcome DecodeEntry(const char* root, DataFileSpan* span, EntryRecord* record,
                         const unsigned char** data, unsigned char** owned, EntryResult* result)
{
    result->path[0] = 0;
    *owned = nullptr;
    if (!root[0])
        return Fail(result, kProblemNoDestination);
    RecordStatus status = ReadRecordHead(span, record);
    if (status == kRecordEnd)
        return kEntryEnd;
    if (status == kRecordDamaged)
        return Fail(result, kProblemDamaged);
    result->pathCut = !EntryPath(result->path, sizeof result->path, root, record->name);
    result->size = record->size;
    if (status == kRecordUnsafeName)
        return Fail(result, kProblemUnsafeName);
    PayloadStatus payload = ReadPayload(span, *record, data, owned);
    if (payload != kPayloadWhole)
        return Fail(result, payload == kPayloadNoMemory ? kProblemNoMemory : kProblemDamaged);
    return kEntryWritten;
}

EntryOutcome ExtractEntry(const char* root, DataFileSpan* span, WriteStrategy strategy,
                          EntryResult* result)
{
    EntryRecord record;
    const unsigned char* data;
    unsigned char* owned;
    EntryOutcome outcome = DecodeEntry(root, span, &record, &data, &owned, result);
    if (outcome == kEntryWritten)
        outcome = WriteEntry(root, record, data, strategy, result);
    free(owned);
    return outcome;
}
