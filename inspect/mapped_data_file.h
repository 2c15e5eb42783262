// A data.bin that --exe writes programs from, mapped rather than read: its
// pages are the ones the page cache already holds, so laying a program
// around it takes no new memory and no copy of the archive. Each mapping
// has free room of its own before and after the file, for one program's
// head and padding, so two programs can be laid around one data.bin at once.
#ifndef TREMLOK_INSPECT_MAPPED_DATA_FILE_H
#define TREMLOK_INSPECT_MAPPED_DATA_FILE_H

#include <stddef.h>
#include <stdint.h>

struct MappedDataFile
{
    unsigned char* block; // the whole mapping: room, file, room; null when none
    size_t blockLength;
    unsigned char* bytes; // the file's, with at least before writable bytes before
    uint32_t length;      // and after writable zero bytes after them
    int64_t changed[2];   // the file's status change time when mapped: s, ns
};

// Maps the length bytes of the file open in fd, privately: writes to the
// room never reach the file. Returns 0, or -1 when it cannot be mapped.
int MapDataFile(int fd, uint32_t length, uint32_t before, uint32_t after, MappedDataFile* file);

void UnmapDataFile(MappedDataFile* file);

// Whether the file open in fd is as it was when file was mapped from it:
// what another process writes to it changes the mapped bytes under the
// walk that vouched for them. A write within the resolution of the file
// system's times (a few milliseconds) of the mapping may pass unseen.
bool DataFileUnchanged(int fd, const MappedDataFile& file);

// A file cut short by another process while it is mapped ends whoever
// touches the lost pages with SIGBUS. While the guard stands, that becomes
// one line naming path, the removal of every temporary named in
// temporaries (each a buffer that holds "" or the name of a file of this
// run's), and status 1. Only one guard stands at a time.
void GuardMappedDataFile(const char* path, const char* const* temporaries, int count);
void EndMappedDataFileGuard();

#endif
