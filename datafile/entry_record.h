// The one reader of entry records: a data file held in memory, read record
// by record and never past its end. The walk, the install's step and the
// tool's whole-file extract all take records through it.
#ifndef TREMLOK_DATAFILE_ENTRY_RECORD_H
#define TREMLOK_DATAFILE_ENTRY_RECORD_H

#include "datafile/format.h"

#include <stddef.h>
#include <stdint.h>

struct EntryRecord
{
    char name[kEntryNameSize]; // cut when nameTooLong, for messages only
    bool nameTooLong;          // the name needs more than kEntryNameSize bytes
    uint32_t size;
    unsigned char method;
};

// The unread part of a data file.
struct DataFileSpan
{
    const unsigned char* cursor;
    const unsigned char* end;
};

enum RecordStatus
{
    kRecordEntry,
    kRecordEnd,       // the end marker; the cursor is past it
    kRecordDamaged,   // runs past the end, unknown method, size no payload could hold
    kRecordUnsafeName // sound, but its name would leave the destination folder
};

// Reads one record's name, size and method byte and leaves the cursor on its
// payload. The name is checked (IsSafeEntryName) only once the rest of the
// head is known sound, and a name too long to hold is not checked: the
// record and its size are filled in for either. The name is left as it was
// when none could be read.
RecordStatus ReadRecordHead(DataFileSpan* span, EntryRecord* record);

enum PayloadStatus
{
    kPayloadWhole,
    kPayloadDamaged, // does not decode to its size, or a stored one is cut
    kPayloadNoMemory
};

// Produces the record's size bytes and moves the cursor past the payload.
// A stored payload is handed out where it lies (*owned is null); a coded
// one is decoded into a heap buffer, *owned, for the caller to free().
PayloadStatus ReadPayload(DataFileSpan* span, const EntryRecord& record, const unsigned char** data,
                          unsigned char** owned);

// How many bytes from record's first byte a reader must hold to take the
// record whole: its head and as much payload as any coding of its size
// takes. held bytes are there; *scanned of them are known to hold no end of
// name, and grows as the name is looked for. While the name goes on past
// the bytes held it asks for one byte more; once only the name is held, for
// the head.
uint64_t RecordExtent(const unsigned char* record, size_t held, size_t* scanned);

#endif
