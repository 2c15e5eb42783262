// The archive builder: the /m mode.
#ifndef TREMLOK_DATAFILE_BUILDER_H
#define TREMLOK_DATAFILE_BUILDER_H

#include "datafile/datacpp_writer.h"
#include "datafile/format.h"
#include "platform/platform.h"

#include <atomic>
#include <stdint.h>

// Walks folder and writes data.bin in the current directory, then data.cpp.
// Returns 0 on success. On any failure (folder empty or unlistable, a file
// that cannot be read whole, a file of 2 GiB or more, a path too long, a
// name the archive cannot hold, data.bin or data.cpp not writable) it
// reports on standard error, returns 1, and leaves no new data.bin or
// data.cpp behind: both are written under temporary names and renamed only
// when complete.
int MakeDataBin(const char* folder);

// How many files are coded at once: 1 codes each on the walking thread;
// above 1, that many threads code runs of files side by side; 0 (the
// default) asks for one per processor. The data file is the same byte for
// byte either way. Owned by builder.cpp.
extern int gBuildThreads;

// Whether MakeDataBin writes data.cpp beside data.bin: on Linux a run that
// writes the programs from data.bin has no use for it, and an earlier one
// is then removed rather than left beside an archive it does not hold. Owned
// by builder.cpp.
extern bool gBuildDataCpp;

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
    uint32_t n; // as listed, until read
    int read;   // FileReadWhole's result, -4 when the file's size changed
    unsigned char method;
    unsigned char* payload; // data or one coder's output; the other is freed
    uint32_t payloadLength;
    bool outOfMemory; // the coders' output buffers or tables could not be had
    // Set in the first file of a batch, a run of files next to each other
    // in the ring coded by one thread: how many, their size and, once
    // coded, what they keep, in KiB rounded up; once started, the thread
    // until it is joined (null when coded on the walking thread), and
    // whether it has returned.
    int batch;
    uint32_t batchKib;
    uint32_t keptKib;
    Thread* thread;
    std::atomic<bool> coded;
    uint32_t due; // on the run's clock, when its thread should return
};

// The KiB the files in flight may take: three times the size of each file
// being coded (its contents and both coders' output) and what each coded
// file keeps, held until its record is written. One batch may always
// start when nothing else is in flight, so a file larger than this is coded
// alone. Up to kBuildWindow files are in flight and kMostCoders batches
// coded at once. A batch is closed at kBatchBytes or kBatchFiles; on Linux
// a file of kBatchBytes or more is a batch of its own. The Windows program
// has a window of kLeanWindowBytes instead (see StartClosed).
const int kBuildWindow = 512; // a power of 2
const uint32_t kBuildMemoryKib = 120u << 10;
const int kMostCoders = 16;
const uint32_t kBatchBytes = 1u << 20;
const int kBatchFiles = 32;
const uint32_t kLeanWindowBytes = 32u << 20;

// data.cpp is written beside the data file, from the same bytes; in the
// Windows program, whose size limit leaves no room for the forecast that
// takes, from the finished data file.
const bool kBuildCppBeside = !kLeanProgram;

// Data file bytes gathered before they are written.
const uint32_t kBuildBufferBytes = 1u << 20;

// The data file being written by one run, and data.cpp beside it. Records
// go out in walk order; the files in flight wait in jobs, oldest at
// first, in a ring: first the batches started, in order, then those closed
// and waiting for a thread or for room, then the open batch.
struct BuildOutput
{
    int fd;
    const char* path; // for messages
    uint32_t total;   // sum of the sizes written, modulo 2^32
    uint32_t files;
    uint64_t bytesIn;
    uint64_t bytesOut;    // the data file's length so far
    const char* root;     // the folder archived
    bool listed;          // listedBytes, data.cpp's forecast, is known
    uint64_t listedBytes; // the sizes of the files under root
    int coders;           // batches coded at once
    int running;          // batches whose thread is not yet joined (Windows:
                          // batches in flight)
    BuildJob* jobs;       // kBuildWindow of them
    int first;            // the oldest file in flight
    int inFlight;         // files in flight
    int started;          // of them, the oldest, in batches started
    int open;             // the newest, in no batch yet
    uint32_t openBytes;
    uint32_t charged;      // the KiB in flight, counted as kBuildMemoryKib says
                           // (Windows: the sizes of the files in flight)
    unsigned char* buffer; // kBuildBufferBytes
    uint32_t buffered;
    DataCppWriter cpp;
    // The KiB a coder has coded, as the batches joined tell: a batch started
    // now is due when its own KiB are added.
    uint32_t clock;
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

// Adds bytes to the data file and data.cpp. Returns 0, or 1 after
// reporting the failure.
int WriteOut(BuildOutput* output, const void* bytes, uint32_t count);

// Writes the bytes gathered. Returns 0, or 1 after reporting the failure.
int WriteBuffered(BuildOutput* output);

// The sum of the sizes of the files under folderPath that a run would
// archive, as far as they can be listed.
uint64_t ListedBytes(const char* folderPath);

// The method byte for a file of n bytes whose LZW and delta codings take
// lzwLength and deltaLength bytes: the strictly shortest coding, else stored.
unsigned char ChooseMethod(uint32_t lzwLength, uint32_t deltaLength, uint32_t n);

#endif
