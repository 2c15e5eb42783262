// One entry of a data file taken from memory and written under a folder:
// the step that ExtractNext and ExtractDataBin share.
#ifndef TREMLOK_DATAFILE_EXTRACT_ENTRY_H
#define TREMLOK_DATAFILE_EXTRACT_ENTRY_H

#include "datafile/entry_record.h"

#include <stdint.h>
#include <string>

enum EntryOutcome
{
    kEntryWritten,
    kEntrySkipped, // path too long or file not writable; payload consumed
    kEntryEnd,     // the end marker
    kEntryFailed   // damaged image or no memory: extraction cannot go on
};

struct EntryResult
{
    uint32_t size;       // the entry's size, for progress
    std::string path;    // root followed by the name; empty until the name is read
    const char* problem; // what went wrong, for skipped and failed entries
};

// Reads the next record at span and writes its file under root, creating
// its folders. When logFile is set the file gets its "del" line.
EntryOutcome ExtractEntry(const char* root, ArchiveSpan* span, bool logFile, EntryResult* result);

// Root followed by name, the archive's backslashes turned into this
// platform's separator.
std::string EntryPath(const char* root, const char* name);

#endif
