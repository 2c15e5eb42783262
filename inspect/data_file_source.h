// The Linux tool's FILE argument: a data.bin, or a program built by this
// project that carries the data file as its embedded image.
#ifndef TREMLOK_INSPECT_DATA_FILE_SOURCE_H
#define TREMLOK_INSPECT_DATA_FILE_SOURCE_H

#include "datafile/record_walk.h"
#include "inspect/image_locate.h"
#include "inspect/pe_sections.h"

#include <stdint.h>

struct DataFileSource
{
    // The whole file, read rather than mapped: a mapped file that another
    // process cuts short would end the tool with SIGBUS; ReleaseDataFileSource() it.
    unsigned char* bytes;
    uint32_t length;
    bool program;    // the data file is the image found inside a program
    FileRange image; // where the data file lies in bytes
};

// Reads path whole and finds its data file: all of it for a data.bin; for
// a program, the embedded image, which has then been decoded whole once. Returns 0, or 1 after one
// line on standard error (bytes is then null): unreadable, too short, not an i686 or x64 program,
// truncated, no image, or an image damaged at a named record and offset.
int LoadDataFileSource(const char* path, DataFileSource* file);

void ReleaseDataFileSource(DataFileSource* file);

// What the program reader makes of a file's bytes.
struct ProgramLookup
{
    ProgramProblem problem; // kProgramSound when its sections could be read
    bool ours;              // a sound program carrying this project's resources
    LocatedImage located;   // searched only in one of ours
};

// Reads bytes as LoadDataFileSource reads a program, quietly; whole and
// wholeLength as LocateImage takes them.
void LookUpProgram(const unsigned char* bytes, uint32_t length, ProgramLookup* lookup,
                   const unsigned char* whole = nullptr, uint32_t wholeLength = 0);

// Reports where a walk of the data file in file stopped short: the record's
// name when it was read, and its offset in the file.
void ReportWalkStop(const char* path, const DataFileSource& file, const WalkStop& stop);

// True when path begins as a program does; false too when it cannot be
// read, which whoever reads it then reports.
bool IsProgramFile(const char* path);

// -e DIR FILE: extracts the data file in path into folder. A data.bin is
// read piece by piece as ExtractDataBin reads it; a program is read whole.
int ExtractDataFileSource(const char* folder, const char* path);

#endif
