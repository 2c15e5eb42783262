// The Linux tool's --exe: a finished Setup.exe written from a data file
// and one of the stubs it carries, with no compiler or linker.
#ifndef TREMLOK_INSPECT_PROGRAM_FILE_H
#define TREMLOK_INSPECT_PROGRAM_FILE_H

#include "inspect/data_file_source.h"

#include <stdint.h>

// The most address space, in MB, that an archive and the buffer for its
// largest coded file may take in the 32-bit program (scripts/package.sh
// gives the measurements); TREMLOK_ARCHIVE_LIMIT_MB may lower it.
const uint32_t kArchiveLimitMb = 896;

// One program to write: its path, which stub, and its length once written.
struct ProgramRequest
{
    const char* path;
    bool x64;
    uint32_t written;
};

const int kMostPrograms = 2;

// Writes each of count programs (up to kMostPrograms) from the data file at
// dataPath (a data.bin, or a program built by this project), decoded whole
// first, into its stub: laid out in memory, where the program reader must
// find the archive, then under a temporary name beside it, read back and
// compared with those bytes. Only once every program has read back and been flushed are they
// renamed into place; two paths to one file, where the second would
// replace the first, are refused. Returns 0 and each length, or 1 (2 for a
// bad TREMLOK_ARCHIVE_LIMIT_MB) after one line on standard error; no program
// of the run is then left behind, and an earlier one at a path that the
// run did not reach stays as it was.
int WriteProgramFiles(ProgramRequest* programs, int count, const char* dataPath);

// The check of one program written to path: read back through the program
// reader, it must carry data's data file byte for byte. Returns 0 and, when
// length is given, the length read; or 1 after one line on standard error
// naming program.
int CheckWrittenProgram(const char* path, const char* program, const DataFileSource& data,
                        uint32_t* length = nullptr);

#endif
