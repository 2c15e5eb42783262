// The extraction's state and its one reset.
#include "datafile/extract_state.h"

DataFileSpan gArchiveSpan = {nullptr, nullptr};
uint32_t gArchiveTotal = 0;
uint32_t gDoneBytes = 0;
int gExtractStarted = 0;
int gExtractDone = 0;
int gExtractPercent = 0;
int gExtractSkipped = 0;
char gExtractFirstSkipped[kCurrentFileSize] = "";
uint32_t gExtractFiles = 0;
uint64_t gExtractBytes = 0;
char gLastFolder[kEntryPathSize] = "";

void ResetExtractState()
{
    gArchiveSpan = {nullptr, nullptr};
    gArchiveTotal = 0;
    gDoneBytes = 0;
    gExtractStarted = 0;
    gExtractDone = 0;
    gExtractPercent = 0;
    gExtractSkipped = 0;
    gExtractFirstSkipped[0] = 0;
    gExtractFiles = 0;
    gExtractBytes = 0;
    gLastFolder[0] = 0;
}
