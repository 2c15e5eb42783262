// A program's bytes made once in memory serve the write, the program
// reader and the comparison with the disk: each is a pass over memory, and
// the archive, walked whole once for the run, is not decoded again.
#include "inspect/written_program.h"

#include "inspect/data_file_source.h"
#include "platform/platform.h"

#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

static const uint32_t kReadBackChunk = 1u << 20;

// Creates a new "PROGRAM.tremlok~N" beside program, executable where the
// umask allows, as a linker leaves a program; -1 when none can be. Only the
// name of the file created reaches temporary: the others are not ours.
static int CreateTemporary(const char* program, char* temporary, size_t size)
{
    char name[sizeof ProgramJob::temporary];
    for (unsigned n = 0; n < 100; ++n)
    {
        int length = snprintf(name, sizeof name, "%s.tremlok~%u", program, n);
        if (length < 0 || (size_t)length >= sizeof name || (size_t)length >= size)
            return -1;
        int fd = open(name, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0777);
        if (fd >= 0)
        {
            memcpy(temporary, name, (size_t)length + 1);
            return fd;
        }
    }
    return -1;
}

// Lays the program out at bytes: head, gSizeDatfile, archive, zero padding.
// In the room the archive and the zeros are already in place; elsewhere
// they are copied and written.
static void LayOut(const ProgramJob& job, unsigned char* bytes, uint32_t length)
{
    const ArchiveRoom& room = job.room;
    const uint32_t head = job.layout.imageOffset;
    memcpy(bytes, job.stub, head);
    const uint32_t end = head + 4 + room.archiveLength;
    if (!job.inRoom)
    {
        memcpy(bytes + head + 4, room.archive, room.archiveLength);
        memset(bytes + end, 0, length - end);
    }
    PrepareProgramHead(bytes, job.layout, room.archive, room.archiveLength, bytes + head);
}

bool FileHolds(const char* path, const unsigned char* bytes, uint32_t length, unsigned char* chunk,
               uint32_t chunkSize)
{
    int fd = FileOpenRead(path);
    if (fd < 0)
        return false;
    uint32_t done = 0;
    int64_t got = 1;
    while (got > 0 && done <= length)
    {
        got = FileRead(fd, chunk, chunkSize);
        if (got > 0 && (got > length - done || memcmp(chunk, bytes + done, (size_t)got) != 0))
            break;
        done += got > 0 ? (uint32_t)got : 0;
    }
    FileClose(fd);
    return got == 0 && done == length;
}

// Whether bytes hold the archive walked where it was laid, and the program
// reader finds it there.
static bool ReaderFindsArchive(const ProgramJob& job, const unsigned char* bytes, uint32_t length)
{
    const uint32_t archiveLength = job.room.archiveLength;
    const unsigned char* laid = bytes + job.layout.imageOffset + 4;
    if (laid != job.walked && memcmp(laid, job.walked, archiveLength) != 0)
        return false;
    ProgramLookup lookup;
    LookUpProgram(bytes, length, &lookup, laid, archiveLength);
    return lookup.ours && lookup.located.result == kLocateFound &&
           lookup.located.image.offset == job.layout.imageOffset + 4 &&
           lookup.located.image.length == archiveLength;
}

static void StartFlush(void* job)
{
    FileStartFlush(((ProgramJob*)job)->fd);
}

// Drops what job holds: the temporary, unless it is kept, and its bytes.
static void Drop(ProgramJob* job, bool keepTemporary)
{
    if (job->flusher)
        ThreadJoin(job->flusher);
    job->flusher = nullptr;
    if (!keepTemporary && job->fd >= 0)
    {
        FileClose(job->fd);
        FileRemove(job->temporary);
        job->fd = -1;
    }
    if (!job->inRoom)
        free(job->bytes);
    job->bytes = nullptr;
}

void WriteProgramJob(void* argument)
{
    ProgramJob* job = (ProgramJob*)argument;
    const ArchiveRoom& room = job->room;
    job->fd = -1;
    job->bytes = nullptr;
    job->flusher = nullptr;
    job->length = WrittenProgramLength(job->stub, job->layout, room.archiveLength);
    job->program->written = job->length;
    job->failure = kProgramHeld;
    if (!job->length)
    {
        job->failure = kProgramTooLong;
        return;
    }
    job->bytes = job->inRoom ? (unsigned char*)room.archive - 4 - job->layout.imageOffset
                             : (unsigned char*)malloc(job->length);
    if (!job->bytes)
    {
        job->failure = kProgramNoMemory;
        return;
    }
    LayOut(*job, job->bytes, job->length);
    job->fd = CreateTemporary(job->program->path, job->temporary, sizeof job->temporary);
    if (job->fd < 0)
        job->failure = kProgramNoTemporary;
    else if (FileWriteAll(job->fd, job->bytes, job->length) != 0)
        job->failure = kProgramCannotWrite;
    // The disk takes the bytes while they are checked. Starting it may wait
    // for the device's queue, so a thread of its own does.
    else if (!(job->flusher = ThreadStart(StartFlush, job)))
        FileStartFlush(job->fd);
    if (job->failure != kProgramHeld)
        Drop(job, false);
}

void CheckProgramJob(void* argument)
{
    ProgramJob* job = (ProgramJob*)argument;
    if (job->failure != kProgramHeld)
        return;
    unsigned char* chunk = (unsigned char*)malloc(kReadBackChunk);
    if (!chunk)
        job->failure = kProgramNoMemory;
    else if (!ReaderFindsArchive(*job, job->bytes, job->length) ||
             !FileHolds(job->temporary, job->bytes, job->length, chunk, kReadBackChunk))
        job->failure = kProgramNotFoundBack;
    free(chunk);
    Drop(job, job->failure == kProgramHeld);
}

void AbandonProgramJob(ProgramJob* job)
{
    Drop(job, false);
}

void ReportProgramFailure(const ProgramJob& job)
{
    const char* path = job.program->path;
    switch (job.failure)
    {
    case kProgramHeld:
        break;
    case kProgramTooLong:
        ReportError("%s: would reach 4 GiB", path);
        break;
    case kProgramNoMemory:
        ReportError("%s: not enough memory", path);
        break;
    case kProgramNoTemporary:
        ReportError("%s: cannot create a temporary file beside it", path);
        break;
    case kProgramCannotWrite:
        ReportError("%s: cannot write %s", path, job.temporary);
        break;
    case kProgramNotFoundBack:
        ReportError("%s: read back, it does not carry the archive it was written with", path);
        break;
    }
}
