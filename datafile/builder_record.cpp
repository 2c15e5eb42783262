// One file's entry record: read whole, coded both ways, the shortest kept.
// Files are coded while the records of those before them are still to be
// written, each on a thread of its own when it is large enough to pay for one.
#include "datafile/builder.h"

#include "coders/coder.h"
#include "coders/delta.h"
#include "coders/lzw.h"
#include "datafile/entry_name.h"
#include "datafile/format.h"
#include "platform/text.h"

#include <stdlib.h>
#include <string.h>

// Below this a file codes faster than a thread starts.
static const uint32_t kThreadMinimum = 64 * 1024;

unsigned char ChooseMethod(uint32_t lzwLength, uint32_t deltaLength, uint32_t n)
{
    if (lzwLength < deltaLength && lzwLength < n)
        return kMethodLzw;
    if (deltaLength < lzwLength && deltaLength < n)
        return kMethodDelta;
    return kMethodStored;
}

// A coding is kept only when it is shorter than the file, and the LZW one
// only when shorter than the delta one too; so each coder gets just that
// much room, and a coder that runs out of it may stop: the method chosen is
// the one ChooseMethod gives on the full lengths. Delta goes first, being
// the faster, so that LZW's room is the smaller.
static unsigned char CodeWithin(BuildJob* job, unsigned char** lzw, unsigned char** delta,
                                uint32_t* lzwLength, uint32_t* deltaLength)
{
    const uint32_t n = job->n;
    if (n == 0)
        return kMethodStored; // nothing is shorter than no bytes
    *delta = (unsigned char*)malloc(n - 1 ? n - 1 : 1);
    if (!*delta)
    {
        job->outOfMemory = true;
        return kMethodStored;
    }
    // Delta fails only for want of room: then it takes n bytes or more.
    *deltaLength = DeltaEncode(job->data, (int32_t)n, *delta, n - 1);
    if (*deltaLength == kCoderFailed)
        *deltaLength = n;
    const uint32_t room = *deltaLength < n ? *deltaLength : n - 1;
    *lzw = (unsigned char*)malloc(room ? room : 1);
    if (!*lzw)
    {
        job->outOfMemory = true;
        return kMethodStored;
    }
    *lzwLength = LzwEncodeBounded(job->data, (int32_t)n, *lzw, room);
    if (*lzwLength == kCoderFailed)
    {
        job->outOfMemory = true;
        return kMethodStored;
    }
    if (*lzwLength == kCoderTooLong)
        *lzwLength = room + 1;
    return ChooseMethod(*lzwLength, *deltaLength, n);
}

// Runs on any thread: touches the job alone. Only the chosen payload is
// kept, and the file's bytes only when stored, so a job waiting to be
// written holds one copy of the file's contents.
static void CodeJob(void* argument)
{
    BuildJob* job = (BuildJob*)argument;
    unsigned char* lzw = nullptr;
    unsigned char* delta = nullptr;
    uint32_t lzwLength = 0, deltaLength = 0;
    job->outOfMemory = false;
    job->method = CodeWithin(job, &lzw, &delta, &lzwLength, &deltaLength);
    job->coded = !job->outOfMemory;
    job->payload = job->data;
    job->payloadLength = job->n;
    if (job->coded && job->method == kMethodLzw)
    {
        job->payload = lzw;
        job->payloadLength = lzwLength;
        lzw = nullptr;
    }
    else if (job->coded && job->method == kMethodDelta)
    {
        job->payload = delta;
        job->payloadLength = deltaLength;
        delta = nullptr;
    }
    if (job->payload != job->data)
    {
        free(job->data);
        job->data = nullptr;
    }
    free(lzw);
    free(delta);
}

static void StartCoding(BuildJob* job)
{
    job->thread = nullptr;
    if (gBuildThreads > 1 && job->n >= kThreadMinimum)
        job->thread = ThreadStart(CodeJob, job);
    if (!job->thread)
        CodeJob(job);
}

static int WriteRecord(const BuildJob* job, BuildOutput* output)
{
    // The name with its terminator, then the size and the method byte.
    unsigned char sizeAndMethod[5];
    WriteLe32(sizeAndMethod, job->n);
    sizeAndMethod[4] = job->method;
    if (FileWriteAll(output->fd, job->name, (uint32_t)strlen(job->name) + 1) != 0 ||
        FileWriteAll(output->fd, sizeAndMethod, sizeof sizeAndMethod) != 0 ||
        FileWriteAll(output->fd, job->payload, job->payloadLength) != 0)
    {
        ReportError("%s: cannot be written", output->path);
        return 1;
    }
    output->total += job->n;
    output->files += 1;
    output->bytesIn += job->n;
    return 0;
}

static void ShowBuildProgress(const BuildOutput* output)
{
    if (!ProgressDue())
        return;
    char files[kNumberTextSize], megabytes[kNumberTextSize], line[64];
    UnsignedText(files, output->files, 10);
    UnsignedText(megabytes, (uint32_t)(output->bytesIn >> 20), 10);
    if (JoinText(line, sizeof line, "setup: ", files, " files, ", megabytes, " MB", nullptr))
        ShowProgress(line);
}

// Waits for the oldest file in flight, writes its record when write is
// set, and releases it. Returns 0, or 1 after reporting the failure.
static int FinishOldest(BuildOutput* output, bool write)
{
    BuildJob* job = &output->jobs[output->first];
    output->first = (output->first + 1) % kBuildWindow;
    output->inFlight -= 1;
    output->bytesInFlight -= job->n;
    if (job->thread)
        ThreadJoin(job->thread);
    int result = 0;
    if (write && job->outOfMemory)
    {
        ReportError("%s: not enough memory to code its %u bytes", job->path, (unsigned)job->n);
        result = 1;
    }
    else if (write && !job->coded)
    {
        ReportError("%s: cannot be coded", job->path);
        result = 1;
    }
    else if (write)
        result = WriteRecord(job, output);
    if (job->payload != job->data)
        free(job->payload);
    free(job->data);
    if (result == 0 && write)
        ShowBuildProgress(output);
    return result;
}

int FinishPending(BuildOutput* output, bool write)
{
    int result = 0;
    while (output->inFlight > 0)
        result |= FinishOldest(output, write && result == 0);
    return result;
}

// Files are coded side by side, up to kBuildWindow of them and, past the
// first, while the files in flight hold at most kBuildWindowBytes or twice
// the new file's size: memory stays a small multiple of the largest file
// however big the tree. Records still go out in walk order.
static bool WindowHasRoom(const BuildOutput* output, uint64_t size)
{
    const int window = gBuildThreads > 1 ? kBuildWindow : 1;
    if (output->inFlight == 0)
        return true;
    const uint64_t budget = kBuildWindowBytes > 2 * size ? kBuildWindowBytes : 2 * size;
    return output->inFlight < window && output->bytesInFlight + size <= budget;
}

int AddFileRecord(const char* path, const char* archiveName, uint64_t listedSize,
                  BuildOutput* output)
{
    // The extractor refuses such names as damage; catch them here, by name.
    if (!IsSafeEntryName(archiveName))
    {
        ReportError("%s: name cannot be installed on Windows", path);
        return 1;
    }
    // The coders take a signed 32-bit length and data.cpp a signed size.
    if (listedSize >= 0x80000000u)
    {
        ReportError("%s: 2 GiB or larger, too large for the archive", path);
        return 1;
    }
    while (!WindowHasRoom(output, listedSize))
    {
        if (FinishOldest(output, true) != 0)
            return 1;
    }
    // The record is written only once the whole file is in hand, so a file
    // that cannot be read never leaves a record without its payload.
    BuildJob* job = &output->jobs[(output->first + output->inFlight) % kBuildWindow];
    int read = FileReadWhole(path, &job->data, &job->n);
    if (read != 0)
    {
        if (read == -3)
            ReportError("%s: not enough memory to read its %u bytes", path, (unsigned)listedSize);
        else
            ReportError("%s: cannot be read", path);
        return 1;
    }
    if (job->n != listedSize)
    {
        ReportError("%s: changed size while being archived", path);
        free(job->data);
        return 1;
    }
    // Both fit: the walk checked them against kSourcePathSize.
    memcpy(job->path, path, strlen(path) + 1);
    memcpy(job->name, archiveName, strlen(archiveName) + 1);
    output->inFlight += 1;
    output->bytesInFlight += job->n;
    StartCoding(job);
    return 0;
}
