// Taking one entry: check the name, decode, then make folders and write.
// Decoding comes before anything touches the disk, so a damaged entry
// leaves neither a file nor a folder behind.
#include "datafile/extract_entry.h"

#include "datafile/entry_name.h"
#include "datafile/extract.h"
#include "platform/platform.h"
#include "uninstall/uninstall_log.h"

#include <stdlib.h>
#include <string.h>

std::string EntryPath(const char* root, const char* name)
{
    std::string path = root;
    for (const char* p = name; *p; ++p)
        path += *p == '\\' ? kPathSeparator : *p;
    return path;
}

// Created or truncated, written in one write, flushed to disk. A file that
// could not be written whole is removed rather than left short.
static bool WriteEntryFile(const char* path, const unsigned char* data, uint32_t size)
{
    int fd = FileCreate(path);
    if (fd < 0)
        return false;
    bool written = FileWriteAll(fd, data, size) == 0;
    written = FileCommit(fd) == 0 && written;
    written = FileClose(fd) == 0 && written;
    if (!written)
        FileRemove(path);
    return written;
}

static void MakeEntryFolders(const std::string& path, size_t rootLength)
{
    // The name's first backslash follows the root, so the last separator
    // from there on is the one before the file name.
    size_t last = path.find_last_of(kPathSeparator);
    if (last == std::string::npos || last < rootLength)
        return;
    MakePath(path.substr(0, last).c_str());
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
    if (result->path.size() >= (size_t)kEntryPathSize)
        return Skip(result, "path too long");
    MakeEntryFolders(result->path, strlen(root));
    if (!WriteEntryFile(result->path.c_str(), data, record.size))
        return Skip(result, "cannot be written");
    if (logFile)
        AddUninstallCommand("del", result->path.c_str());
    return kEntryWritten;
}

EntryOutcome ExtractEntry(const char* root, ArchiveSpan* span, bool logFile, EntryResult* result)
{
    EntryRecord record;
    result->size = 0;
    result->problem = nullptr;
    result->path.clear();
    // Names begin with a separator: without a root they name the top of the
    // drive or of the file system.
    if (!root[0])
        return Fail(result, "no destination folder");
    RecordStatus status = ReadRecordHead(span, &record);
    if (status == kRecordEnd)
        return kEntryEnd;
    if (status == kRecordDamaged)
        return Fail(result, "data file damaged");
    result->path = EntryPath(root, record.name);
    result->size = record.size;
    if (!record.nameTooLong && !IsSafeEntryName(record.name))
        return Fail(result, "entry name would leave the destination folder");
    unsigned char* data = (unsigned char*)malloc(record.size ? record.size : 1);
    if (!data)
        return Fail(result, "out of memory");
    EntryOutcome outcome;
    if (!ReadPayload(span, record, data))
        outcome = Fail(result, "data file damaged");
    else
        outcome = WriteEntry(root, record, data, logFile, result);
    free(data);
    return outcome;
}
