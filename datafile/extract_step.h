// The install's driver of the extraction engine: BeginExtract points it at
// the embedded image, and each ExtractNext, one per progress-page tick,
// takes one entry, so the window stays responsive between entries.
#ifndef TREMLOK_DATAFILE_EXTRACT_STEP_H
#define TREMLOK_DATAFILE_EXTRACT_STEP_H

#include "datafile/extract_state.h"

#include <stdint.h>

// ExtractNext's result when the image is damaged (ReadRecordHead and
// ReadPayload say how) or an entry is too large to hold in memory. Nothing
// more is extracted; every later call returns it again until the next
// BeginExtract.
const int kExtractDamaged = -1;

// Points the engine at an embedded image of imageSize bytes (gDatfile and
// gSizeDatfile), after ResetExtractState. root is not used here. Returns 1,
// the first percentage; an image that is missing or shorter than 5 bytes
// makes the next ExtractNext return kExtractDamaged.
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

#endif
