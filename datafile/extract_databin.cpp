// The /e mode: all of data.bin into a folder in one call. data.bin is read
// whole so that coded payloads, whose length only the decoder learns, are
// decoded in place exactly as from the embedded image.
#include "datafile/extract.h"

#include "datafile/extract_entry.h"
#include "platform/platform.h"

#include <stdlib.h>

static const char kDataBinName[] = "data.bin";

// Returns 0 when every entry was written, 1 otherwise.
static int ExtractAll(const char* folder, ArchiveSpan* span)
{
    int result = 0;
    for (;;)
    {
        EntryResult entry;
        EntryOutcome outcome = ExtractEntry(folder, span, false, &entry);
        if (outcome == kEntryEnd)
            return result;
        if (outcome == kEntryFailed)
        {
            if (!entry.path[0])
                ReportError("%s: %s", kDataBinName, entry.problem);
            else
                ReportError("%s: %s at %s", kDataBinName, entry.problem, entry.path);
            return 1;
        }
        if (outcome == kEntrySkipped)
        {
            ReportError("%s: %s", entry.path, entry.problem);
            result = 1;
        }
    }
}

int ExtractDataBin(const char* folder)
{
    // An empty folder would put every entry under the root of the drive.
    if (!folder || !folder[0])
    {
        ReportError("no destination folder given");
        return 1;
    }
    unsigned char* image = nullptr;
    uint32_t length = 0;
    int read = FileReadWhole(kDataBinName, &image, &length);
    if (read != 0)
    {
        ReportError("%s: %s", kDataBinName,
                    read == -2 ? "4 GiB or larger" : "cannot be opened or read");
        return 1;
    }
    int result = 1;
    if (length < kEmptyDataFileLength)
        ReportError("%s: too short to be a data file (%u bytes)", kDataBinName, (unsigned)length);
    else
    {
        ArchiveSpan span = {image + 4, image + length};
        result = ExtractAll(folder, &span);
    }
    free(image);
    return result;
}
