// The Linux tool's --exe: a finished Setup.exe written from a data file
// and one of the stubs it carries, with no compiler or linker.
#ifndef TREMLOK_INSPECT_PROGRAM_FILE_H
#define TREMLOK_INSPECT_PROGRAM_FILE_H

#include <stdint.h>

// The most address space, in MB, that an archive and the buffer for its
// largest coded file may take in the 32-bit program (scripts/package.sh
// gives the measurements); TREMLOK_ARCHIVE_LIMIT_MB may lower it.
const uint32_t kArchiveLimitMb = 896;

// Writes program from the data file at dataPath (a data.bin, or a program
// built by this project), decoded whole first, into the x64 or the i686
// stub: under a temporary name beside it, renamed once complete and
// flushed. Returns 0 and the program's length, or 1 (2 for a bad
// TREMLOK_ARCHIVE_LIMIT_MB) after one line on standard error; no file is
// then left behind.
int WriteProgramFile(const char* program, bool x64, const char* dataPath, uint32_t* written);

#endif
