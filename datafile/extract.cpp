// The install run's extraction: one entry of the embedded image per call,
// so the progress page stays responsive between entries.
#include "datafile/extract.h"

#include "datafile/extract_entry.h"

#include <string.h>

uint32_t gArchiveTotal = 0;
uint32_t gDoneBytes = 0;
int gExtractStarted = 0;
int gExtractDone = 0;
int gExtractPercent = 0;
int gExtractSkipped = 0;
char gExtractFirstSkipped[kCurrentFileSize] = "";

// The unread rest of the embedded image.
static ArchiveSpan gArchiveSpan = {nullptr, nullptr};

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
    gDoneBytes = 0;
    gExtractDone = 0;
    gExtractSkipped = 0;
    gExtractFirstSkipped[0] = 0;
    gExtractStarted = 1;
    gExtractPercent = 1;
    gArchiveTotal = 0;
    gArchiveSpan = {nullptr, nullptr};
    ForgetEntryFolder();
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
    EntryOutcome outcome = ExtractEntry(root, &gArchiveSpan, true, &result);
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
