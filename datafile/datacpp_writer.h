// The source embedding writer: data.bin to data.cpp.
#ifndef TREMLOK_DATAFILE_DATACPP_WRITER_H
#define TREMLOK_DATAFILE_DATACPP_WRITER_H

#include <stdint.h>

// Reads the data file at binPath and writes the source text declaring
// gSizeDatfile and gDatfile to cppPath. The builder writes to a temporary
// name and renames it into place with data.bin; on failure cppPath is
// removed again. Returns 0 on success, 1 on failure (reported on standard
// error). On success binLength, when given, gets the data file's length.
int WriteDataCpp(const char* binPath, const char* cppPath, uint64_t* binLength = nullptr);

#endif
