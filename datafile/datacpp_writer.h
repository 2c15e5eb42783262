// The source embedding writer: data.bin to data.cpp.
#ifndef TREMLOK_DATAFILE_DATACPP_WRITER_H
#define TREMLOK_DATAFILE_DATACPP_WRITER_H

// Reads the data file at binPath and writes the source text declaring
// gSizeDatfile and gDatfile to cppPath, through a temporary name, so that a
// failure leaves no partial file. Returns 0 on success, 1 on failure
// (reported on standard error).
int WriteDataCppFrom(const char* binPath, const char* cppPath);

// WriteDataCppFrom("data.bin", "data.cpp") in the current directory.
int WriteDataCpp();

// Writes the text straight to cppPath, for a caller that renames it into
// place itself; removes cppPath again on failure. Returns 0 or 1.
int WriteDataCppText(const char* binPath, const char* cppPath);

#endif
