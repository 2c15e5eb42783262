// The extraction engine: reads a data file from the embedded image or from
// data.bin and writes its entries under a destination folder.
#ifndef TREMLOK_DATAFILE_EXTRACT_H
#define TREMLOK_DATAFILE_EXTRACT_H

#include "datafile/format.h"

#include <stdint.h>

// ExtractNext's result when the image is damaged (a record runs past the
// image, a payload does not decode to its size, an unknown method byte, an
// entry name that would leave the destination) or an entry is too large to
// hold in memory. Nothing more is extracted; every later call returns it
// again until the next BeginExtract.
const int kExtractDamaged = -1;

// Points the engine at an embedded image of imageSize bytes (gDatfile and
// gSizeDatfile). root is not used here. Returns 1, the first percentage;
// an image that is missing or shorter than 5 bytes makes the next
// ExtractNext return kExtractDamaged.
int BeginExtract(const char* root, const unsigned int* image, uint32_t imageSize);

// Extracts the next entry under root, logging its folders and file in the
// uninstall log, and copies the entry path into currentFile (256 bytes,
// shortened with "..." in the middle when it does not fit). Returns 1 to 99
// per entry, 100 with "Complete" at the end marker and ever after, or
// kExtractDamaged. An entry whose path does not fit the buffers, or whose
// file cannot be written, is skipped and counted in gExtractSkipped; the
// first such path is kept in gExtractFirstSkipped. Before any BeginExtract
// it returns gExtractPercent (0) and does nothing.
int ExtractNext(const char* root, char* currentFile);

// Extracts all of data.bin in the current directory into folder. Returns 0
// when every entry was written; 1 when data.bin cannot be read, is damaged,
// or an entry could not be written, each reported on standard error. An
// empty folder is refused: nothing is read or written.
int ExtractDataBin(const char* folder);

// ExtractDataBin from the data file at path instead of ./data.bin; its
// messages name path.
int ExtractDataFile(const char* folder, const char* path);

// ExtractDataBin from a data file of length bytes already in memory, such
// as the image inside a program; messages name name. The Linux tool's only.
int ExtractImageInMemory(const char* folder, const char* name, const unsigned char* image,
                         uint32_t length);

// Creates every folder along path, outermost first, logging each folder it
// creates. A path of kMakePathSize characters or more is refused whole.
void MakePath(const char* path);

// Percentage of done against total, truncated in double precision with both
// taken as signed 32-bit numbers, clamped to 1..99 (1 when total is 0).
int ExtractPercent(uint32_t done, uint32_t total);

// Engine state, owned by extract.cpp. gExtractPercent holds kExtractDamaged
// once the engine stopped on damage.
extern uint32_t gArchiveTotal;
extern uint32_t gDoneBytes;
extern int gExtractStarted;
extern int gExtractDone;
extern int gExtractPercent;
extern int gExtractSkipped; // entries not written since BeginExtract
// The first of them as currentFile showed it; "" while there is none.
extern char gExtractFirstSkipped[kCurrentFileSize];

// What the last ExtractDataBin wrote, for its summary; owned by
// extract_databin.cpp.
extern uint32_t gExtractFiles;
extern uint64_t gExtractBytes;

#endif
