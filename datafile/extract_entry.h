// One entry of a data file taken from memory and written under a folder:
// the step that both drivers, the install's ExtractNext and the tool's
// whole-file extract, share.
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
    kEntryFailed   // damaged data file or no memory: extraction cannot go on
};

enum EntryProblem
{
    kProblemNone,
    // failed: names begin with a separator, so without a root they would
    // name the top of the drive or of the file system
    kProblemNoDestination,
    kProblemDamaged,     // failed
    kProblemUnsafeName,  // failed: the name would leave the destination folder
    kProblemNoMemory,    // failed
    kProblemLink,        // failed: a symbolic link stands where the path goes
    kProblemNameTooLong, // skipped
    kProblemPathTooLong, // skipped
    kProblemNotWritable  // skipped
};

// How the file of an entry is written.
enum WriteStrategy
{
    // The install: in place, created or truncated, flushed, and given its
    // "del" line in the uninstall log.
    kWriteInPlaceLogged,
    // The tool: under a temporary name beside it, renamed into place once
    // whole, flushed only when the platform does not sync at the end.
    kWriteThroughTemporary
};

// Room for an entry path in progress and reports: a root (the folder
// argument or the install folder, each under 512 characters) and a name
// under kEntryNameSize. A path that needs more is cut here, and it is
// always skipped as too long, never written.
const int kReportedPathSize = 1024;

struct EntryResult
{
    uint32_t size;                // the entry's size, for progress, once its head is read
    char path[kReportedPathSize]; // root followed by the name; "" until the name is read
    bool pathCut;                 // path holds only the start of a longer path
    EntryProblem problem;         // why the entry was skipped or failed
};

// Reads the next record at span and writes its file under root, creating
// its folders (gLastFolder keeps the last made).
EntryOutcome ExtractEntry(const char* root, DataFileSpan* span, WriteStrategy strategy,
                          EntryResult* result);

// ExtractEntry in two halves, for a caller that writes one entry while it
// decodes the next. DecodeEntry touches nothing on the disk: it reads the
// record and its payload into *data, returning kEntryWritten when the entry
// is ready to write, kEntryEnd or kEntryFailed. *owned is then a heap buffer
// for the caller to free(), or null when *data lies in the span. WriteEntry
// writes a decoded entry: kEntryWritten, kEntrySkipped or kEntryFailed.
EntryOutcome DecodeEntry(const char* root, DataFileSpan* span, EntryRecord* record,
                         const unsigned char** data, unsigned char** owned, EntryResult* result);
EntryOutcome WriteEntry(const char* root, const EntryRecord& record, const unsigned char* data,
                        WriteStrategy strategy, EntryResult* result);

#endif
