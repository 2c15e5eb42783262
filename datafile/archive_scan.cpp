// Walks a data file with the extraction engine's own record reader, so that
// what --test passes is what -e and the install run can take.
#include "datafile/archive_scan.h"

#include "datafile/entry_record.h"
#include "platform/platform.h"

#include <stdio.h>
#include <stdlib.h>

static const char* MethodName(unsigned char method)
{
    return method == kMethodStored ? "stored" : method == kMethodLzw ? "lzw" : "delta";
}

// Reports the record that starts at offset; name is empty while unread.
static int Damaged(const char* path, const char* name, size_t offset)
{
    if (name[0])
        ReportError("%s: damaged record %s at offset %u", path, name, (unsigned)offset);
    else
        ReportError("%s: damaged record at offset %u", path, (unsigned)offset);
    return 1;
}

static int ScanRecords(const char* path, const unsigned char* image, ArchiveSpan* span, bool list)
{
    for (;;)
    {
        size_t offset = (size_t)(span->cursor - image);
        EntryRecord record;
        record.name[0] = 0;
        RecordStatus status = ReadRecordHead(span, &record);
        if (status == kRecordEnd)
            return 0;
        if (status == kRecordDamaged)
            return Damaged(path, record.name, offset);
        // One byte more than size, so that malloc(0) is never asked for.
        unsigned char* output = (unsigned char*)malloc((size_t)record.size + 1);
        if (!output)
        {
            ReportError("%s: no memory for %s (%u bytes)", path, record.name,
                        (unsigned)record.size);
            return 1;
        }
        const unsigned char* payload = span->cursor;
        bool whole = ReadPayload(span, record, output);
        free(output);
        if (!whole)
            return Damaged(path, record.name, offset);
        if (list)
            printf("%10u %-6s %10u %s\n", (unsigned)record.size, MethodName(record.method),
                   (unsigned)(span->cursor - payload), record.name);
    }
}

int ScanArchive(const char* path, bool list)
{
    unsigned char* image = nullptr;
    uint32_t length = 0;
    int read = FileReadWhole(path, &image, &length);
    if (read != 0)
    {
        ReportError("%s: %s", path,
                    read == -2   ? "4 GiB or larger"
                    : read == -3 ? "not enough memory to read it"
                                 : "cannot be opened or read");
        return 1;
    }
    int result = 1;
    if (length < kEmptyDataFileLength)
        ReportError("%s: too short to be a data file (%u bytes)", path, (unsigned)length);
    else
    {
        ArchiveSpan span = {image + 4, image + length};
        result = ScanRecords(path, image, &span, list);
    }
    free(image);
    return result;
}
