// Entry records: name, size, method byte, payload.
#include "datafile/entry_record.h"

#include "coders/coder.h"
#include "coders/delta.h"
#include "coders/lzw.h"
#include "datafile/entry_name.h"
#include "platform/code_page.h"
#include "platform/platform.h"

#include <stdlib.h>
#include <string.h>

static const size_t kHeadFields = 5; // size and method byte

static size_t Remaining(const DataFileSpan* span)
{
    return (size_t)(span->end - span->cursor);
}

static bool ReadName(DataFileSpan* span, EntryRecord* record)
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
// whole rest of the data file its stream. A larger size is damage, caught
// before anything allocates size bytes: otherwise a few damaged bytes could
// ask for 4 GiB. The k-th LZW code stands for at most k bytes (and never
// more than 16,128), and a stream of n bytes holds at most 8n / 14 codes; a
// delta run never yields two bytes or more per byte it takes.
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

static bool SizeFits(const EntryRecord& record, size_t remaining)
{
    if (record.method == kMethodStored)
        return record.size <= remaining;
    if (record.method == kMethodLzw || record.method == kMethodDelta)
        return record.size <= LongestDecoding(record.method, remaining);
    return false;
}

// On POSIX files are named in UTF-8: the name is turned into it, and a byte
// the code page leaves undefined is damage, as no builder writes one.
[[maybe_unused]] static RecordStatus NameAsUtf8(EntryRecord* record)
{
    char text[kEntryNameSize];
    CodePageText got = Utf8FromCodePage(record->name, text, sizeof text);
    memcpy(record->name, text, sizeof text);
    if (got == kTextUndefined)
        return kRecordDamaged;
    record->nameTooLong = record->nameTooLong || got == kTextCut;
    return kRecordEntry;
}

RecordStatus ReadRecordHead(DataFileSpan* span, EntryRecord* record)
{
    if (!ReadName(span, record))
        return kRecordDamaged;
    if (record->name[0] == 0)
        return kRecordEnd;
    if (Remaining(span) < kHeadFields)
        return kRecordDamaged;
    record->size = ReadLe32(span->cursor);
    record->method = span->cursor[4];
    span->cursor += kHeadFields;
    if (!SizeFits(*record, Remaining(span)))
        return kRecordDamaged;
    if (!record->nameTooLong && !IsSafeEntryName(record->name))
        return kRecordUnsafeName;
    if constexpr (!kNamesAreArchiveNames)
        return NameAsUtf8(record);
    return kRecordEntry;
}

PayloadStatus ReadPayload(DataFileSpan* span, const EntryRecord& record, const unsigned char** data,
                          unsigned char** owned)
{
    *owned = nullptr;
    *data = span->cursor;
    if (record.method == kMethodStored)
    {
        if (record.size > Remaining(span))
            return kPayloadDamaged;
        span->cursor += record.size;
        return kPayloadWhole;
    }
    // One byte more than size, so that malloc(0) is never asked for.
    unsigned char* output = (unsigned char*)malloc((size_t)record.size + 1);
    if (!output)
        return kPayloadNoMemory;
    uint32_t available = Remaining(span) > 0xFFFFFFFFu ? 0xFFFFFFFFu : (uint32_t)Remaining(span);
    uint32_t used = kCoderFailed;
    if (record.method == kMethodLzw)
        used = LzwDecode(span->cursor, available, output, record.size);
    else if (record.method == kMethodDelta)
        used = DeltaDecode(span->cursor, available, output, record.size);
    if (used == kCoderFailed || used > available)
    {
        free(output);
        return kPayloadDamaged;
    }
    span->cursor += used;
    *data = output;
    *owned = output;
    return kPayloadWhole;
}

uint64_t RecordExtent(const unsigned char* record, size_t held, size_t* scanned)
{
    const unsigned char* zero = (const unsigned char*)memchr(record + *scanned, 0, held - *scanned);
    if (!zero)
    {
        *scanned = held;
        return (uint64_t)held + 1;
    }
    *scanned = (size_t)(zero - record);
    uint64_t head = (uint64_t)*scanned + 1 + kHeadFields;
    if (held < head)
        return head;
    uint32_t size = ReadLe32(record + head - kHeadFields);
    bool stored = record[head - 1] == kMethodStored;
    return head + (stored ? size : CoderOutputBound(size));
}
