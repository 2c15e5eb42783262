// Reading entry records from a data file held in memory, never past its end.
#ifndef TREMLOK_DATAFILE_ENTRY_RECORD_H
#define TREMLOK_DATAFILE_ENTRY_RECORD_H

#include "datafile/format.h"

#include <stdint.h>

struct EntryRecord
{
    char name[kEntryNameSize]; // cut when nameTooLong, for messages only
    bool nameTooLong;          // the name needs more than kEntryNameSize bytes
    uint32_t size;
    unsigned char method;
};

// The unread part of a data file image.
struct ArchiveSpan
{
    const unsigned char* cursor;
    const unsigned char* end;
};

enum RecordStatus
{
    kRecordEntry,
    kRecordEnd,    // the end marker; the cursor is past it
    kRecordDamaged // runs past the end, unknown method, stored payload cut
};

// Reads one record's name, size and method byte and leaves the cursor on
// its payload.
RecordStatus ReadRecordHead(ArchiveSpan* span, EntryRecord* record);

// Produces record.size bytes into output from the payload and moves the
// cursor past it. Returns false when the payload is damaged.
bool ReadPayload(ArchiveSpan* span, const EntryRecord& record, unsigned char* output);

#endif
