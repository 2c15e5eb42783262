// Finding the embedded image inside a program built by this project. The
// program is stripped, so the image is found by its own shape: the bytes
// of a data file on a word boundary in an initialised data section, framed
// by gSizeDatfile, a word holding its length, close before it (only zero
// padding between) or close after its zero padding. Only an image whose
// structure holds from the total size to an end marker on its last byte is
// taken.
#ifndef TREMLOK_INSPECT_IMAGE_LOCATE_H
#define TREMLOK_INSPECT_IMAGE_LOCATE_H

#include "datafile/record_walk.h"
#include "inspect/pe_sections.h"

#include <stdint.h>

// Padding bytes allowed between gSizeDatfile and the image: the compilers
// align a large array to at most 32 bytes.
const uint32_t kMaxFramingGap = 64;

enum LocateResult
{
    kLocateFound,
    kLocateDamaged, // only a damaged image: damage says where
    kLocateMissing, // nothing framed like an image
    kLocateGaveUp   // failed walks read and decoded four times the sections' size
};

struct LocatedImage
{
    LocateResult result;
    FileRange image; // found: where the data file lies in the file
    WalkStop damage; // damaged: the walk's stop inside the furthest-reaching image
};

// Searches the sections' raw data in file, in one linear pass plus one walk
// per framed candidate that starts before the best image found so far;
// candidates that fail may read and decode four times the sections' size
// in all, so the cost stays linear in the file's size whatever its bytes.
// The earliest image in the file wins: a game carrying another program
// built by this project has that one's image inside its own. An empty
// image (5 bytes) is taken only when no image with entries holds and none
// is damaged beyond its first record, since any word 5 followed by zeros
// frames one. A candidate holding the same bytes as whole, an image that
// has already been walked whole, is taken without a walk of its own.
void LocateImage(const unsigned char* file, const ProgramSections& sections, LocatedImage* located,
                 const unsigned char* whole = nullptr, uint32_t wholeLength = 0);

#endif
