// Entry records: name, size, method byte, payload.
#include "datafile/entry_record.h"

#include "coders/coder.h"
#include "coders/delta.h"
#include "coders/lzw.h"

#include <string.h>

static size_t Remaining(const ArchiveSpan* span)
{
    return (size_t)(span->end - span->cursor);
}

static bool ReadName(ArchiveSpan* span, EntryRecord* record)
{
    const unsigned char* zero = (const unsigned char*)memchr(span->cursor, 0, Remaining(span));
    if (!zero)
        return false;
    size_t length = (size_t)(zero - span->cursor);
    record->nameTooLong = length >= (size_t)kEntryNameSize;
    size_t kept = record->nameTooLong ? kEntryNameSize - 1 : length;
    memcpy(record->name, span->cursor, kept);
    record->name[kept] = 0;
    span->cursor = zero + 1;
    return true;
}

// The most bytes a coded payload starting here could stand for, were the
// whole rest of the image its stream. A larger size is damage, caught before
// the engine allocates size bytes: otherwise a few damaged bytes could ask
// for 4 GiB. The k-th LZW code stands for at most k bytes (and never more
// than 16,128), and a stream of n bytes holds at most 8n / 14 codes; a delta
// run never yields two bytes or more per byte it takes.
static uint64_t LongestDecoding(unsigned char method, size_t remaining)
{
    if (method == kMethodDelta)
        return 2 * (uint64_t)remaining;
    // 8n / 14 as 4n / 7, split so that no 64-bit division is needed: the
    // 32-bit program would link the compiler's division routines for it.
    uint64_t codes = (uint64_t)(remaining / 7) * 4 + remaining % 7 * 4 / 7;
    uint64_t growing = codes * (codes + 1) / 2;
    uint64_t longest = codes * 16128;
    return growing < longest ? growing : longest;
}

RecordStatus ReadRecordHead(ArchiveSpan* span, EntryRecord* record)
{
    if (!ReadName(span, record))
        return kRecordDamaged;
    if (record->name[0] == 0)
        return kRecordEnd;
    if (Remaining(span) < 5)
        return kRecordDamaged;
    record->size = ReadLe32(span->cursor);
    record->method = span->cursor[4];
    span->cursor += 5;
    if (record->method == kMethodStored)
        return record->size <= Remaining(span) ? kRecordEntry : kRecordDamaged;
    if (record->method == kMethodLzw || record->method == kMethodDelta)
        return record->size <= LongestDecoding(record->method, Remaining(span)) ? kRecordEntry
                                                                                : kRecordDamaged;
    return kRecordDamaged;
}

bool ReadPayload(ArchiveSpan* span, const EntryRecord& record, unsigned char* output)
{
    uint32_t available = Remaining(span) > 0xFFFFFFFFu ? 0xFFFFFFFFu : (uint32_t)Remaining(span);
    uint32_t used;
    if (record.method == kMethodStored)
    {
        if (record.size > available)
            return false;
        memcpy(output, span->cursor, record.size);
        used = record.size;
    }
    else if (record.method == kMethodLzw)
        used = LzwDecode(span->cursor, available, output, record.size);
    else if (record.method == kMethodDelta)
        used = DeltaDecode(span->cursor, available, output, record.size);
    else
        return false;
    if (record.method != kMethodStored && (used == kCoderFailed || used > available))
        return false;
    span->cursor += used;
    return true;
}
