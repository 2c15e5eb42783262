// The archive builder: the /m mode.
#ifndef TREMLOK_DATAFILE_BUILDER_H
#define TREMLOK_DATAFILE_BUILDER_H

#include "datafile/format.h"
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

// 1 codes each file on the walking thread; above 1 (2, the default) files
// are coded side by side on threads of their own, up to kBuildWindow at
// once. The data file is the same byte for byte either way. Owned by
// builder.cpp.
extern int gBuildThreads;

// What the last successful MakeDataBin wrote, for its summary. Owned by
// builder.cpp.
extern uint32_t gBuildFiles;
extern uint64_t gBuildBytesIn;  // the files' sizes, not wrapped
extern uint64_t gBuildBytesOut; // the length of data.bin

// The files a run writes in the current directory, which never go into its
// own archive: data.bin, data.cpp and their temporaries.
const int kBuildOutputCount = 4;
extern const char* const kBuildOutputs[kBuildOutputCount];

// One file read whole and being coded, until its record is written.
struct BuildJob
{
    char path[kSourcePathSize]; // for messages
    char name[kSourcePathSize]; // the archive name
    unsigned char* data;
    uint32_t n;
    unsigned char method;
    unsigned char* payload; // data or one coder's output; the other is freed
    uint32_t payloadLength;
    bool coded;       // false when a coder failed
    bool outOfMemory; // the coders' output buffers could not be had
    Thread* thread;   // null when coded on the walking thread
};

// How many files may be in flight (read, being coded or waiting to be
// written) at once, and how many of their bytes.
const int kBuildWindow = 8;
const uint64_t kBuildWindowBytes = 32u << 20;

// The data file being written by one run. Records go out in walk order;
// the files in flight wait in jobs, oldest at first, in a ring.
struct BuildOutput
{
    int fd;
    const char* path; // for messages
    uint32_t total;   // sum of the sizes written, modulo 2^32
    uint32_t files;
    uint64_t bytesIn;
    BuildJob jobs[kBuildWindow];
    int first;    // the oldest file in flight
    int inFlight; // files in flight
    uint64_t bytesInFlight;
};

// Writes the records of every file under folderPath, depth-first in listing
// order. archivePrefix is the archive name of the folder: "" for the root,
// else "\sub" and so on. Returns 0, or 1 after reporting the failure.
int AddFolder(const char* folderPath, const char* archivePrefix, BuildOutput* output);

// What one listing entry of parentPath contributes: a recursion, a record or
// nothing. Returns 0, or 1 after reporting the failure.
int AddEntry(const char* parentPath, const char* parentPrefix, const ListingEntry& entry,
             BuildOutput* output);

// Reads the file at path whole and starts coding it, first writing the
// records of the oldest files in flight as far as needed to make room.
// Returns 0, or 1 after reporting the failure.
int AddFileRecord(const char* path, const char* archiveName, uint64_t listedSize,
                  BuildOutput* output);

// Waits for every file in flight, writes their records in order when write
// is set (up to the first that fails), and releases them. Returns 0, or 1
// after reporting the failure.
int FinishPending(BuildOutput* output, bool write);

// The method byte for a file of n bytes whose LZW and delta codings take
// lzwLength and deltaLength bytes: the strictly shortest coding, else stored.
unsigned char ChooseMethod(uint32_t lzwLength, uint32_t deltaLength, uint32_t n);

#endif
