// The archive builder: the /m mode.
#ifndef TREMLOK_DATAFILE_BUILDER_H
#define TREMLOK_DATAFILE_BUILDER_H

#include "platform/platform.h"

#include <stdint.h>

// Walks folder and writes data.bin in the current directory, then data.cpp.
// Returns 0 on success. On any failure (folder empty or unlistable, a file
// that cannot be read whole, a file of 2 GiB or more, a path too long, a
// name the archive cannot hold, data.bin or data.cpp not writable) it
// reports on standard error, returns 1, and leaves no new data.bin or
// data.cpp behind: both are written under temporary names and renamed only
// when complete.
int MakeDataBin(const char* folder);

// The data file being written by one run.
struct BuildOutput
{
    int fd;
    const char* path; // for messages
    uint32_t total;   // sum of the sizes written, modulo 2^32
};

// Writes the records of every file under folderPath, depth-first in listing
// order. archivePrefix is the archive name of the folder: "" for the root,
// else "\sub" and so on. Returns 0, or 1 after reporting the failure.
int AddFolder(const char* folderPath, const char* archivePrefix, BuildOutput* output);

// What one listing entry of parentPath contributes: a recursion, a record or
// nothing. Returns 0, or 1 after reporting the failure.
int AddEntry(const char* parentPath, const char* parentPrefix, const ListingEntry& entry,
             BuildOutput* output);

// Reads the file at path whole and writes its record under archiveName.
// Returns 0, or 1 after reporting the failure.
int AddFileRecord(const char* path, const char* archiveName, uint64_t listedSize,
                  BuildOutput* output);

// The method byte for a file of n bytes whose LZW and delta codings take
// lzwLength and deltaLength bytes: the strictly shortest coding, else stored.
unsigned char ChooseMethod(uint32_t lzwLength, uint32_t deltaLength, uint32_t n);

#endif
