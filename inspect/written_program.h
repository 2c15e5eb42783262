// One program of a --exe run: its bytes laid out whole in memory, written
// under a temporary name, and checked twice: the program reader finds the
// archive in those bytes, and the file on disk holds exactly those bytes.
// Each program is one job, so that two can run side by side.
#ifndef TREMLOK_INSPECT_WRITTEN_PROGRAM_H
#define TREMLOK_INSPECT_WRITTEN_PROGRAM_H

#include "inspect/program_file.h"
#include "inspect/program_writer.h"
#include "platform/platform.h"

#include <stdint.h>

enum ProgramFailure
{
    kProgramHeld,        // written and checked; the temporary is open in fd
    kProgramTooLong,     // it would reach 4 GiB
    kProgramNoMemory,    // no memory for its bytes or for reading them back
    kProgramNoTemporary, // no temporary file could be created beside it
    kProgramCannotWrite, // the temporary could not be written whole
    kProgramNotFoundBack // read back, it does not carry its archive whole
};

// Where one job's archive lies: with free bytes before it and zero bytes
// after it, where the job's head and padding can be laid without a copy of
// the archive, when the job is inRoom.
struct ArchiveRoom
{
    const unsigned char* archive;
    uint32_t archiveLength;
};

struct ProgramJob
{
    ProgramRequest* program;
    const unsigned char* stub;
    StubLayout layout;
    ArchiveRoom room;
    const unsigned char* walked; // the archive walked whole; room's must hold its bytes
    bool inRoom;                 // lays its bytes in the room; else in a block of its own
    unsigned char* bytes;        // the program, between the two steps
    uint32_t length;
    char temporary[1024]; // "" until one is created
    int fd;
    Thread* flusher; // starting the disk on fd, until the job is dropped
    ProgramFailure failure;
};

// The two steps of a job (each argument is a ProgramJob*; a step touches
// that job alone, and the room's bytes before and after the archive when
// inRoom, so the jobs' steps may run side by side). The first lays the
// program out and writes it under a temporary name; the second, once the
// walked archive has been walked whole, checks it and releases its bytes.
// Each sets failure; on any but kProgramHeld the temporary is already
// removed.
void WriteProgramJob(void* job);
void CheckProgramJob(void* job);

// Removes the temporary of a job that was written but will not be checked,
// and releases its bytes.
void AbandonProgramJob(ProgramJob* job);

// Whether the file at path holds exactly length bytes, those of bytes;
// read through chunk, of chunkSize bytes.
bool FileHolds(const char* path, const unsigned char* bytes, uint32_t length, unsigned char* chunk,
               uint32_t chunkSize);

// The one line on standard error for a job that failed.
void ReportProgramFailure(const ProgramJob& job);

#endif
