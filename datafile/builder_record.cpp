// One file's entry record: read whole, coded both ways, the shortest kept.
// Files are read, coded and written at once: runs of files are coded on
// threads of their own, on every processor, while the walk reads the next
// and the records of those before them are written, in walk order.
#include "datafile/builder.h"

#include "coders/coder.h"
#include "coders/delta.h"
#include "coders/lzw.h"
#include "datafile/entry_name.h"
#include "datafile/format.h"
#include "datafile/tool_messages.h"
#include "platform/text.h"

#include <stdlib.h>
#include <string.h>

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

// Runs on any thread: touches the job alone. The file is read here, so that
// many small files are read on every processor too; a failure is reported
// when its record is due. Only the chosen payload is kept, and the file's
// bytes only when stored, so a job waiting to be written holds one copy of
// the file's contents.
static void CodeJob(void* argument)
{
    BuildJob* job = (BuildJob*)argument;
    unsigned char* lzw = nullptr;
    unsigned char* delta = nullptr;
    uint32_t lzwLength = 0, deltaLength = 0, n = 0;
    job->payload = nullptr;
    job->read = FileReadWhole(job->path, &job->data, &n);
    if (job->read == 0 && n != job->n)
        job->read = -4;
    if (job->read != 0)
        return;
    job->outOfMemory = false;
    job->method = CodeWithin(job, &lzw, &delta, &lzwLength, &deltaLength);
    job->payload = job->data;
    job->payloadLength = job->n;
    if (job->method == kMethodLzw)
    {
        job->payload = lzw;
        job->payloadLength = lzwLength;
        lzw = nullptr;
    }
    else if (job->method == kMethodDelta)
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

static void CodeBatch(void* argument)
{
    BuildJob* head = (BuildJob*)argument;
    for (int i = 0; i < head->batch; ++i)
        CodeJob(head + i);
}

int WriteBuffered(BuildOutput* output)
{
    if (!kBuildCppBeside || output->buffered == 0)
        return 0;
    const uint32_t count = output->buffered;
    output->buffered = 0;
    const uint64_t out = output->bytesOut + count;
    if (gBuildDataCpp)
        DataCppTake(&output->cpp, output->buffer, count);
    // The disk starts on the data file now, so that its flush at the end
    // finds little left to do.
    if (out / (8u << 20) != output->bytesOut / (8u << 20))
        FileStartFlush(output->fd);
    output->bytesOut = out;
    if (FileWriteAll(output->fd, output->buffer, count) != 0)
    {
        ReportError(kCannotBeWritten, output->path);
        return 1;
    }
    return 0;
}

int WriteOut(BuildOutput* output, const void* bytes, uint32_t count)
{
    // Written as they come where nothing else takes them: the Windows
    // program's size limit has no room for the buffer's code.
    if (!kBuildCppBeside && FileWriteAll(output->fd, bytes, count) != 0)
    {
        ReportError(kCannotBeWritten, output->path);
        return 1;
    }
    while (kBuildCppBeside && count > 0)
    {
        uint32_t part = kBuildBufferBytes - output->buffered;
        part = count < part ? count : part;
        memcpy(output->buffer + output->buffered, bytes, part);
        output->buffered += part;
        bytes = (const unsigned char*)bytes + part;
        count -= part;
        if (output->buffered == kBuildBufferBytes && WriteBuffered(output) != 0)
            return 1;
    }
    return 0;
}

// data.cpp's first lines hold the data file's length and total size: they
// are forecast from the sizes of the files listed and not yet written, at
// the ratio of the data file so far to the bytes written into it.
static void Forecast(const BuildJob* job, BuildOutput* output)
{
    const uint64_t in = output->bytesIn + job->n;
    const uint64_t out =
        output->bytesOut + output->buffered + strlen(job->name) + 6 + job->payloadLength;
    // Listed only for a data file too big for data.cpp to hold, well
    // before the text must be placed.
    if (!output->listed && out > kDataCppHeldBytes / 2)
    {
        output->listedBytes = ListedBytes(output->root);
        output->listed = true;
    }
    const double rest = output->listedBytes > in ? (double)(output->listedBytes - in) : 0;
    output->cpp.expectedLength = (uint32_t)(out + (in ? rest * out / in : rest));
    output->cpp.expectedTotal = (uint32_t)output->listedBytes;
}

static int WriteRecord(const BuildJob* job, BuildOutput* output)
{
    if (kBuildCppBeside && gBuildDataCpp)
        Forecast(job, output);
    // The name with its terminator, then the size and the method byte.
    unsigned char sizeAndMethod[5];
    WriteLe32(sizeAndMethod, job->n);
    sizeAndMethod[4] = job->method;
    if (WriteOut(output, job->name, (uint32_t)strlen(job->name) + 1) != 0 ||
        WriteOut(output, sizeAndMethod, sizeof sizeAndMethod) != 0 ||
        WriteOut(output, job->payload, job->payloadLength) != 0)
        return 1;
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

// Writes one file's record when write is set, and releases it. Returns 0,
// or 1 after reporting the failure.
static int FinishJob(BuildJob* job, BuildOutput* output, bool write)
{
    output->first = (output->first + 1) & (kBuildWindow - 1);
    output->inFlight -= 1;
    output->bytesInFlight -= job->n;
    // The record is written only once the whole file is in hand, so a file
    // that cannot be read never leaves a record without its payload.
    int result = write ? 1 : 0;
    if (write && job->read == -3)
        ReportError("%s: not enough memory to read its %u bytes", job->path, (unsigned)job->n);
    else if (write && job->read == -4)
        ReportError("%s: changed size while being archived", job->path);
    else if (write && job->read != 0)
        ReportError(kCannotBeRead, job->path);
    else if (write && job->outOfMemory)
        ReportError("%s: not enough memory to code its %u bytes", job->path, (unsigned)job->n);
    else if (write)
        result = WriteRecord(job, output);
    if (job->payload != job->data)
        free(job->payload);
    free(job->data);
    if (result == 0 && write)
        ShowBuildProgress(output);
    return result;
}

// Gives the open batch to a thread of its own when threaded is set and one
// starts, else codes it here.
static void CloseBatch(BuildOutput* output, bool threaded)
{
    BuildJob* head =
        &output->jobs[(output->first + output->inFlight - output->open) & (kBuildWindow - 1)];
    head->batch = output->open;
    head->thread = threaded ? ThreadStart(CodeBatch, head) : nullptr;
    if (!head->thread)
        CodeBatch(head);
    output->batches += 1;
    output->open = 0;
    output->openBytes = 0;
}

// Waits for the oldest batch, closing the open one first when it is the
// only one, and writes its records when write is set (up to the first that
// fails). Returns 0, or 1 after reporting the failure.
static int FinishOldest(BuildOutput* output, bool write)
{
    if (output->batches == 0)
        CloseBatch(output, false);
    BuildJob* head = &output->jobs[output->first];
    output->batches -= 1;
    if (head->thread)
        ThreadJoin(head->thread);
    int result = 0;
    for (int i = 0, count = head->batch; i < count; ++i)
        result |= FinishJob(head + i, output, write && result == 0);
    return result;
}

int FinishPending(BuildOutput* output, bool write)
{
    // The last files go to a thread of their own only when others are
    // still being coded: there is nothing else to overlap with.
    if (output->open > 0 && output->batches > 0 && write)
        CloseBatch(output, true);
    int result = 0;
    while (output->inFlight > 0)
        result |= FinishOldest(output, write && result == 0);
    return result;
}

// A new file may join those in flight while they hold at most the larger of
// the budget and twice the new file's size: memory stays a small multiple
// of the largest file however big the tree. The first file in flight
// always may.
static bool WindowHasRoom(const BuildOutput* output, uint32_t size)
{
    const uint32_t budget = output->budget > 2 * size ? output->budget : 2 * size;
    return output->inFlight == 0 ||
           (output->inFlight < kBuildWindow && output->bytesInFlight <= budget - size);
}

// A batch is closed when it holds enough to pay for a thread, or at the
// ring's end, so that its files lie side by side; on one coder, at once.
// Up to four batches for each coder are in flight: while the oldest is a big
// file still being coded, the others keep the remaining processors busy.
// Returns 0, or 1 after reporting the failure.
static int MoveOn(BuildOutput* output)
{
    const int last = (output->first + output->inFlight - 1) & (kBuildWindow - 1);
    const bool threaded = output->coders > 1;
    if (threaded && output->openBytes < kBatchBytes && output->open < kBatchFiles &&
        last != kBuildWindow - 1)
        return 0;
    while (output->batches >= 4 * output->coders)
        if (FinishOldest(output, true) != 0)
            return 1;
    CloseBatch(output, threaded);
    return 0;
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
    while (!WindowHasRoom(output, (uint32_t)listedSize))
    {
        if (FinishOldest(output, true) != 0)
            return 1;
    }
    BuildJob* job = &output->jobs[(output->first + output->inFlight) & (kBuildWindow - 1)];
    job->n = (uint32_t)listedSize;
    // Both fit: the walk checked them against kSourcePathSize.
    memcpy(job->path, path, strlen(path) + 1);
    memcpy(job->name, archiveName, strlen(archiveName) + 1);
    output->inFlight += 1;
    output->bytesInFlight += job->n;
    output->open += 1;
    output->openBytes += job->n;
    return MoveOn(output);
}
