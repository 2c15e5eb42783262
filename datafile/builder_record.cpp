// One file's entry record: read whole, coded both ways, the shortest kept.
// A file is coded while the record of the one before it is still to be
// written, on a thread of its own when it is large enough to pay for one.
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

// Runs on any thread: touches the job alone. Only the chosen payload is
// kept, so a job waiting to be written holds the file and at most one
// coding of it.
static void CodeJob(void* argument)
{
    BuildJob* job = (BuildJob*)argument;
    uint32_t bound = CoderOutputBound(job->n);
    unsigned char* lzw = (unsigned char*)malloc(bound);
    unsigned char* delta = (unsigned char*)malloc(bound);
    uint32_t lzwLength = lzw ? LzwEncode(job->data, (int32_t)job->n, lzw, bound) : kCoderFailed;
    uint32_t deltaLength =
        delta ? DeltaEncode(job->data, (int32_t)job->n, delta, bound) : kCoderFailed;
    // A 32-bit process runs out of address space for the two buffers of up
    // to 2n + 4 bytes from a few hundred MB on: say so rather than "cannot
    // be coded".
    job->outOfMemory = !lzw || !delta;
    job->coded = lzwLength != kCoderFailed && deltaLength != kCoderFailed;
    job->method = ChooseMethod(lzwLength, deltaLength, job->n);
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

int FinishPending(BuildOutput* output, bool write)
{
    BuildJob* job = output->pending;
    if (!job)
        return 0;
    output->pending = nullptr;
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
    // The record is written only once the whole file is in hand, so a file
    // that cannot be read never leaves a record without its payload.
    BuildJob* job = output->pending == &output->jobs[0] ? &output->jobs[1] : &output->jobs[0];
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
    StartCoding(job);
    int result = FinishPending(output, true);
    output->pending = job;
    return result;
}
