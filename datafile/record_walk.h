// Walking a data file held in memory record by record, decoding every
// payload: the one check of a data file's structure, used by --list and
// --test and by the search for the image inside a program.
#ifndef TREMLOK_DATAFILE_RECORD_WALK_H
#define TREMLOK_DATAFILE_RECORD_WALK_H

#include "datafile/format.h"

#include <stdint.h>

enum WalkResult
{
    kWalkWhole,   // every record sound up to the end marker
    kWalkDamaged, // a record runs past the end or does not decode to its size
    kWalkNoMemory // an entry too large to decode here
};

struct WalkStop
{
    WalkResult result;
    const unsigned char* at;   // whole: just past the end marker; else the bad record
    char name[kEntryNameSize]; // the bad record's name; "" when it could not be read
    uint32_t size;             // its size, for kWalkNoMemory
    uint64_t decoded;          // bytes the sound entries before it decoded to
    uint32_t largestCoded;     // the largest size of a sound entry not stored: the
                               // install decodes it into a buffer of its own
};

// Walks the data file from data (its total size) to its end marker, never
// reading at or past end. With list set, prints one line per sound entry on
// standard output: size, method, coded size, name.
void WalkRecords(const unsigned char* data, const unsigned char* end, bool list, WalkStop* stop);

#endif
