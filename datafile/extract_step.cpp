// The install's extraction: one entry of the embedded image per call.
#include "datafile/extract_step.h"

#include "datafile/extract_entry.h"
#include "datafile/percent.h"

#include <string.h>

// A damaged image stops the engine with kExtractDamaged as its standing
// result, so every later call hands it out again.
static int StopDamaged()
{
    gExtractStarted = 0;
    gExtractPercent = kExtractDamaged;
    return kExtractDamaged;
}

int BeginExtract(const char* root, const unsigned int* image, uint32_t imageSize)
{
    (void)root;
    const unsigned char* bytes = (const unsigned char*)image;
    ResetExtractState();
    gExtractStarted = 1;
    gExtractPercent = 1;
    if (!bytes || imageSize < kEmptyDataFileLength)
    {
        StopDamaged();
        return 1;
    }
    gArchiveTotal = ReadLe32(bytes);
    gArchiveSpan = {bytes + 4, bytes + imageSize};
    return 1;
}

// The label has room for 255 characters; a longer path keeps its start
// and its end, the file name, around "...".
static void ShowPath(char* currentFile, const char* path)
{
    const size_t room = kCurrentFileSize - 1;
    size_t length = strlen(path);
    if (length <= room)
    {
        memcpy(currentFile, path, length + 1);
        return;
    }
    size_t head = (room - 3) / 2;
    size_t tail = room - 3 - head;
    memcpy(currentFile, path, head);
    memcpy(currentFile + head, "...", 3);
    memcpy(currentFile + head + 3, path + length - tail, tail + 1);
}

static int FinishExtract(char* currentFile)
{
    gExtractStarted = 0;
    gExtractDone = 1;
    gExtractPercent = 100;
    memcpy(currentFile, "Complete", sizeof "Complete");
    return 100;
}

int ExtractNext(const char* root, char* currentFile)
{
    if (!gExtractStarted)
        return gExtractPercent;
    EntryResult result;
    EntryOutcome outcome = ExtractEntry(root, &gArchiveSpan, kWriteInPlaceLogged, &result);
    if (outcome == kEntryEnd)
        return FinishExtract(currentFile);
    if (outcome == kEntryFailed)
        return StopDamaged();
    ShowPath(currentFile, result.path);
    if (outcome == kEntrySkipped && gExtractSkipped++ == 0)
        ShowPath(gExtractFirstSkipped, result.path);
    gDoneBytes += result.size;
    gExtractPercent = ExtractPercent(gDoneBytes, gArchiveTotal);
    return gExtractPercent;
}
