// Uses the extraction engine's own record reader, so that what a walk
// passes is what -e and the install run can take.
#include "datafile/archive_walk.h"

#include "datafile/entry_name.h"
#include "datafile/entry_record.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

static const char* MethodName(unsigned char method)
{
    return method == kMethodStored ? "stored" : method == kMethodLzw ? "lzw" : "delta";
}

static void Stop(WalkStop* stop, WalkResult result, const unsigned char* at)
{
    stop->result = result;
    stop->at = at;
}

void WalkRecords(const unsigned char* image, const unsigned char* end, bool list, WalkStop* stop)
{
    stop->name[0] = 0;
    stop->size = 0;
    stop->decoded = 0;
    if (end - image < (long)kEmptyDataFileLength)
        return Stop(stop, kWalkDamaged, image);
    ArchiveSpan span = {image + 4, end};
    for (;;)
    {
        const unsigned char* start = span.cursor;
        EntryRecord record;
        record.name[0] = 0;
        RecordStatus status = ReadRecordHead(&span, &record);
        memcpy(stop->name, record.name, sizeof record.name);
        // A name that extraction refuses is damage here too.
        if (status == kRecordEntry && !record.nameTooLong && !IsSafeEntryName(record.name))
            status = kRecordDamaged;
        if (status != kRecordEntry)
            return Stop(stop, status == kRecordEnd ? kWalkWhole : kWalkDamaged,
                        status == kRecordEnd ? span.cursor : start);
        // One byte more than size, so that malloc(0) is never asked for.
        unsigned char* output = (unsigned char*)malloc((size_t)record.size + 1);
        if (!output)
        {
            stop->size = record.size;
            return Stop(stop, kWalkNoMemory, start);
        }
        const unsigned char* payload = span.cursor;
        bool whole = ReadPayload(&span, record, output);
        free(output);
        if (!whole)
            return Stop(stop, kWalkDamaged, start);
        stop->decoded += record.size;
        if (list)
            printf("%10u %-6s %10u %s\n", (unsigned)record.size, MethodName(record.method),
                   (unsigned)(span.cursor - payload), record.name);
    }
}
