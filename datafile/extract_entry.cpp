// Taking one entry: check the name, decode, then make folders and write.
// Decoding comes before anything touches the disk, so a damaged entry
// leaves neither a file nor a folder behind.
#include "datafile/extract_entry.h"

#include "datafile/entry_name.h"
#include "datafile/extract.h"
#include "platform/platform.h"
#include "platform/text.h"
#include "uninstall/uninstall_log.h"

#include <stdlib.h>
#include <string.h>

// Writes root followed by name into out, the archive's backslashes turned
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
                          bool commit)
{
    if (fd < 0)
        return false;
    bool written = FileWriteAll(fd, data, size) == 0;
    if (commit)
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

// The install run writes the file in place, created or truncated, in one
// write flushed to disk: the log names only final paths. The tool writes a
// temporary beside it and renames it into place once whole, so a run killed
// part-way never leaves a short file under an entry's name; the flush may
// wait for the end of the run (kSyncAtEnd).
static bool WriteEntryFile(const char* path, const unsigned char* data, uint32_t size,
                           bool installRun)
{
    if (installRun)
        return WriteAndClose(FileCreate(path), path, data, size, true);
    char part[kPartPathSize];
    if (!WriteAndClose(CreatePart(path, part), part, data, size, !kSyncAtEnd))
        return false;
    if (FileReplace(part, path) == 0)
        return true;
    FileRemove(part);
    return false;
}

// The folder the last entry went into: entries come folder by folder, and
// their folders need making only when it changes.
static char gEntryFolder[kEntryPathSize] = "";

void ForgetEntryFolder()
{
    gEntryFolder[0] = 0;
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
    if (strncmp(gEntryFolder, path, length) == 0 && gEntryFolder[length] == 0)
        return;
    memcpy(gEntryFolder, path, length);
    gEntryFolder[length] = 0;
    MakePath(gEntryFolder);
}

static EntryOutcome Fail(EntryResult* result, const char* problem)
{
    result->problem = problem;
    return kEntryFailed;
}

static EntryOutcome Skip(EntryResult* result, const char* problem)
{
    result->problem = problem;
    return kEntrySkipped;
}

static EntryOutcome WriteEntry(const char* root, const EntryRecord& record,
                               const unsigned char* data, bool logFile, EntryResult* result)
{
    if (record.nameTooLong)
        return Skip(result, "entry name too long");
    if (result->pathCut || strlen(result->path) >= (size_t)kEntryPathSize)
        return Skip(result, "path too long");
    MakeEntryFolders(result->path, strlen(root));
    if (!WriteEntryFile(result->path, data, record.size, logFile))
        return Skip(result, "cannot be written");
    if (logFile)
        AddUninstallCommand("del", result->path);
    return kEntryWritten;
}

EntryOutcome ExtractEntry(const char* root, ArchiveSpan* span, bool logFile, EntryResult* result)
{
    EntryRecord record;
    result->size = 0;
    result->problem = nullptr;
    result->path[0] = 0;
    result->pathCut = false;
    // Names begin with a separator: without a root they name the top of the
    // drive or of the file system.
    if (!root[0])
        return Fail(result, "no destination folder");
    RecordStatus status = ReadRecordHead(span, &record);
    if (status == kRecordEnd)
        return kEntryEnd;
    if (status == kRecordDamaged)
        return Fail(result, "data file damaged");
    result->pathCut = !EntryPath(result->path, sizeof result->path, root, record.name);
    result->size = record.size;
    if (!record.nameTooLong && !IsSafeEntryName(record.name))
        return Fail(result, "entry name would leave the destination folder");
    // A stored payload is written from the image as it stands: the head
    // checked that it is there whole. Only a coded one is decoded into a
    // buffer of its own.
    const unsigned char* payload = span->cursor;
    unsigned char* data = nullptr;
    if (record.method == kMethodStored)
        span->cursor += record.size;
    else
    {
        data = (unsigned char*)malloc(record.size ? record.size : 1);
        if (!data)
            return Fail(result, "out of memory");
        payload = data;
    }
    EntryOutcome outcome;
    if (data && !ReadPayload(span, record, data))
        outcome = Fail(result, "data file damaged");
    else
        outcome = WriteEntry(root, record, payload, logFile, result);
    free(data);
    return outcome;
}
