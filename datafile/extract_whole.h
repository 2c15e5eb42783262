// The tool's driver of the extraction engine: a whole data file extracted
// into a folder in one call (-e), reporting on standard error.
#ifndef TREMLOK_DATAFILE_EXTRACT_WHOLE_H
#define TREMLOK_DATAFILE_EXTRACT_WHOLE_H

#include <stdint.h>

// Extracts all of data.bin in the current directory into folder. Returns 0
// when every entry was written; 1 when data.bin cannot be read, is damaged,
// or an entry could not be written, each reported on standard error. An
// empty folder is refused: nothing is read or written. gExtractFiles and
// gExtractBytes count what was written.
int ExtractDataBin(const char* folder);

// ExtractDataBin from the data file at path instead of ./data.bin; its
// messages name path.
int ExtractDataFile(const char* folder, const char* path);

// ExtractDataBin from a data file of length bytes already in memory, such
// as the embedded image inside a program; messages name name.
int ExtractImageInMemory(const char* folder, const char* name, const unsigned char* image,
                         uint32_t length);

// False, after a line on standard error, for a data file of length bytes
// that no reader takes: 4 GiB or more, or shorter than the empty data file.
bool DataFileLengthFits(const char* name, uint64_t length);

#endif
