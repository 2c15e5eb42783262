// Uses the extraction engine's own record reader, so that what a walk
// passes is what -e and the install can take.
#include "datafile/record_walk.h"

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

void WalkRecords(const unsigned char* data, const unsigned char* end, bool list, WalkStop* stop)
{
    stop->name[0] = 0;
    stop->size = 0;
    stop->decoded = 0;
    stop->largestCoded = 0;
    if (end - data < (long)kEmptyDataFileLength)
        return Stop(stop, kWalkDamaged, data);
    DataFileSpan span = {data + 4, end};
    for (;;)
    {
        const unsigned char* start = span.cursor;
        EntryRecord record;
        record.name[0] = 0;
        RecordStatus status = ReadRecordHead(&span, &record);
        memcpy(stop->name, record.name, sizeof record.name);
        // A name that extraction refuses is damage here too.
        if (status != kRecordEntry)
            return Stop(stop, status == kRecordEnd ? kWalkWhole : kWalkDamaged,
                        status == kRecordEnd ? span.cursor : start);
        const unsigned char* payload = span.cursor;
        const unsigned char* data;
        unsigned char* owned;
        PayloadStatus whole = ReadPayload(&span, record, &data, &owned);
        free(owned);
        if (whole == kPayloadNoMemory)
        {
            stop->size = record.size;
            return Stop(stop, kWalkNoMemory, start);
        }
        if (whole != kPayloadWhole)
            return Stop(stop, kWalkDamaged, start);
        stop->decoded += record.size;
        if (record.method != kMethodStored && record.size > stop->largestCoded)
            stop->largestCoded = record.size;
        if (list)
            printf("%10u %-6s %10u %s\n", (unsigned)record.size, MethodName(record.method),
                   (unsigned)(span.cursor - payload), record.name);
    }
}
