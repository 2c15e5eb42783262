// The extraction's process-wide state, all of it in one owner: the engine's
// cursor, counters and percentage, and what this project keeps beside them
// (the entries skipped, the tool's totals, the last folder made). Only
// ResetExtractState clears it, called by BeginExtract and by the tool's
// whole-file extract as each starts; no driver has anything else to reset.
#ifndef TREMLOK_DATAFILE_EXTRACT_STATE_H
#define TREMLOK_DATAFILE_EXTRACT_STATE_H

#include "datafile/entry_record.h"
#include "datafile/format.h"

#include <stdint.h>

// The unread rest of the embedded image, its cursor the next unread byte;
// both null while the image is not the source.
extern DataFileSpan gArchiveSpan;
extern uint32_t gArchiveTotal; // the data file's total size, for the percentage
extern uint32_t gDoneBytes;    // sizes of the entries taken, written or not
extern int gExtractStarted;
extern int gExtractDone;
extern int gExtractPercent; // the last handed out; kExtractDamaged once stopped on damage

extern int gExtractSkipped; // entries not written since the start
// The first of them as currentFile showed it; "" while there is none.
extern char gExtractFirstSkipped[kCurrentFileSize];

// What the tool's whole-file extract wrote, for its summary.
extern uint32_t gExtractFiles;
extern uint64_t gExtractBytes;

// The folder the last entry went into: entries come folder by folder, and
// their folders need making only when it changes.
extern char gLastFolder[kEntryPathSize];

// Puts every variable above back to its value at program start.
void ResetExtractState();

#endif
