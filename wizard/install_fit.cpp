#include "wizard/install_fit.h"

#include "datafile/embedded_image.h"
#include "datafile/entry_record.h"
#include "platform/text.h"

#include <stdlib.h>
#include <string.h>

// Entry names may be 511 bytes, far beyond what the ANSI calls take, and
// Wine does not apply CreateDirectoryA's limit: an archive that cannot fit
// is refused here, on the welcome page, not half-installed. Payloads are
// not stored with their coded length, so coded ones are decoded to find
// the next record.
bool InstallFits(const char* folder, char* out, size_t size)
{
    DataFileSpan span = {(const unsigned char*)gDatfile + 4,
                         (const unsigned char*)gDatfile + gSizeDatfile};
    // Every entry's folder, the install folder at least, is made: with one
    // entry or more, one of them names the limit.
    size_t allowed = (size_t)-1;
    char tightest[kEntryNameSize];
    tightest[0] = 0;
    EntryRecord record;
    if (gSizeDatfile < 5)
        return true;
    while (ReadRecordHead(&span, &record) == kRecordEntry)
    {
        const unsigned char* data;
        unsigned char* owned;
        const PayloadStatus payload = ReadPayload(&span, record, &data, &owned);
        free(owned);
        if (payload != kPayloadWhole)
            return true;
        const char* slash = strrchr(record.name, '\\');
        long room = (long)kLongestFilePath - (long)strlen(record.name);
        long folderRoom = (long)kLongestFolderPath - (slash ? (long)(slash - record.name) : 0);
        if (folderRoom < room)
            room = folderRoom;
        // One that no folder, not even "C:\a", could hold (a name cut at
        // 511 bytes among them) is left for the progress page to report as
        // not written.
        if (room >= 4 && (size_t)room < allowed)
        {
            allowed = (size_t)room;
            memcpy(tightest, record.name, strlen(record.name) + 1);
        }
    }
    if (strlen(folder) <= allowed)
        return true;
    char number[kNumberTextSize];
    UnsignedText(number, (uint32_t)allowed, 10);
    JoinText(out, size, "Please choose a folder of at most ", number, " characters: the path of ",
             tightest, " would be too long.", nullptr);
    return false;
}
