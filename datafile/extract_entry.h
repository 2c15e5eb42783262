// One entry of a data file taken from memory and written under a folder:
// the step that ExtractNext and ExtractDataBin share.
#ifndef TREMLOK_DATAFILE_EXTRACT_ENTRY_H
#define TREMLOK_DATAFILE_EXTRACT_ENTRY_H

#include "datafile/entry_record.h"

#include <stddef.h>
#include <stdint.h>

enum EntryOutcome
{
    kEntryWritten,
    kEntrySkipped, // path too long or file not writable; payload consumed
    kEntryEnd,     // the end marker
    kEntryFailed   // damaged image or no memory: extraction cannot go on
};

// Room for an entry path in progress and reports: a root (the folder
// argument or the install folder, each under 512 characters) and a name
// under kEntryNameSize. A path that needs more is cut here, and it is
// always skipped as too long, never written.
const int kReportedPathSize = 1024;

struct EntryResult
{
    uint32_t size;                // the entry's size, for progress
    char path[kReportedPathSize]; // root followed by the name; "" until the name is read
    bool pathCut;                 // path holds only the start of a longer path
    const char* problem;          // what went wrong, for skipped and failed entries
};

// Reads the next record at span and writes its file under root, creating
// its folders. logFile marks the install run: the file is written in place,
// flushed, and gets its "del" line. Otherwise (the tool) it is written under
// a temporary name and renamed into place, flushed only when the platform
// does not sync at the end.
EntryOutcome ExtractEntry(const char* root, ArchiveSpan* span, bool logFile, EntryResult* result);

// Makes the next entry create its folders even when they are those of the
// entry before: called at the start of each extraction.
void ForgetEntryFolder();

#endif
