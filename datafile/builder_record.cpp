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

// What a coded file keeps until its record is written, in KiB as charged.
static uint32_t Kept(const BuildJob* job)
{
    return job->payload ? (job->payloadLength >> 10) + 1 : 0;
}

static void CodeBatch(void* argument)
{
    BuildJob* head = (BuildJob*)argument;
    for (int i = 0; i < head->batch; ++i)
    {
        CodeJob(head + i);
        head->keptKib += kLeanProgram ? 0 : Kept(head + i);
    }
    if (!kLeanProgram)
        head->coded.store(true, std::memory_order_release);
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

static BuildJob* JobAt(const BuildOutput* output, int age)
{
    return &output->jobs[(output->first + age) & (kBuildWindow - 1)];
}

// Writes one file's record when write is set, and releases it. Returns 0,
// or 1 after reporting the failure.
static int FinishJob(BuildJob* job, BuildOutput* output, bool write)
{
    // The record is written only once the whole file is in hand, so a file
    // that cannot be read never leaves a record without its payload.
    output->charged -= kLeanProgram ? job->n : 0;
    // One call for every failure: a format without %u ignores the size.
    const char* failure = job->read == -3    ? "%s: not enough memory to read its %u bytes"
                          : job->read == -4  ? "%s: changed size while being archived"
                          : job->read != 0   ? kCannotBeRead
                          : job->outOfMemory ? "%s: not enough memory to code its %u bytes"
                                             : nullptr;
    int result = 0;
    if (write && failure)
    {
        ReportError(failure, job->path, (unsigned)job->n);
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

// Writes the records of the oldest batch when write is set (up to the first
// that fails), and releases its files. Returns 0, or 1 after reporting the
// failure.
static int FinishOldest(BuildOutput* output, bool write)
{
    BuildJob* head = JobAt(output, 0);
    const int count = head->batch;
    int result = 0;
    for (int i = 0; i < count; ++i)
        result |= FinishJob(head + i, output, write && result == 0);
    output->first = (output->first + count) & (kBuildWindow - 1);
    output->inFlight -= count;
    output->started -= kLeanProgram ? 0 : count;
    return result;
}

static void CloseBatch(BuildOutput* output)
{
    BuildJob* head = JobAt(output, output->inFlight - output->open);
    head->batch = output->open;
    if (!kLeanProgram)
    {
        head->batchKib = (output->openBytes >> 10) + 1;
        head->keptKib = 0;
    }
    output->open = 0;
    output->openBytes = 0;
}

static void JoinBatch(BuildOutput* output, BuildJob* head)
{
    ThreadJoin(head->thread);
    head->thread = nullptr;
    output->running -= 1;
    // Its files charge what they keep instead.
    output->charged += head->keptKib - 3 * head->batchKib;
    output->clock = head->due > output->clock ? head->due : output->clock;
}

// The running batch due first, or null.
static BuildJob* DueFirst(const BuildOutput* output)
{
    BuildJob* first = nullptr;
    for (int age = 0; age < output->started; age += JobAt(output, age)->batch)
    {
        BuildJob* head = JobAt(output, age);
        if (head->thread && (!first || head->due < first->due))
            first = head;
    }
    return first;
}

// Joins every thread that has returned. When none has and wait is set,
// waits for the one due first. A coder that returns first meanwhile is idle
// for less than a batch, and a big file never holds up the small ones coded
// beside it.
static void JoinBatches(BuildOutput* output, bool wait)
{
    for (int age = 0; output->running > 0 && age < output->started;
         age += JobAt(output, age)->batch)
    {
        BuildJob* head = JobAt(output, age);
        if (head->thread && head->coded.load(std::memory_order_acquire))
        {
            JoinBatch(output, head);
            wait = false;
        }
    }
    if (wait && output->running > 0)
        JoinBatch(output, DueFirst(output));
}

// Rather than wait, this thread codes the next batch itself when it is small
// and every coder should still be busy when it is done: each processor
// stays busy while a big file is coded.
static bool CodeHere(const BuildOutput* output)
{
    const BuildJob* next = JobAt(output, output->started);
    const BuildJob* due = DueFirst(output);
    return next->batchKib <= (kBatchBytes >> 10) + 1 && due &&
           due->due > output->clock + next->batchKib;
}

// The next closed batch starts while fewer than coders run and the memory
// it takes is there, or nothing else is in flight.
static bool MayStart(const BuildOutput* output, int coders)
{
    if (output->inFlight - output->open == output->started || output->running >= coders)
        return false;
    const uint32_t needed = 3 * JobAt(output, output->started)->batchKib;
    return output->charged == 0 || output->charged + needed <= kBuildMemoryKib;
}

// On a thread of its own when there are coders and here is not set, else
// here.
static void StartBatch(BuildOutput* output, bool here)
{
    BuildJob* head = JobAt(output, output->started);
    output->started += head->batch;
    head->coded.store(false, std::memory_order_relaxed);
    head->due = output->clock + head->batchKib;
    head->thread = output->coders > 1 && !here ? ThreadStart(CodeBatch, head) : nullptr;
    if (head->thread)
    {
        output->running += 1;
        output->charged += 3 * head->batchKib;
        return;
    }
    CodeBatch(head);
    output->charged += head->keptKib;
}

// Starts as many batches as may start, and writes the records of the
// oldest batches coded, or only releases them when write is not set.
// Returns 0, or 1 after reporting the failure.
static int MoveOn(BuildOutput* output, bool write)
{
    int result = 0;
    for (;;)
    {
        JoinBatches(output, false);
        // A batch at a time, the coders given work first: the records held
        // behind a big file take a while to write.
        while (write && result == 0 && MayStart(output, output->coders))
            StartBatch(output, false);
        if (output->started == 0 || JobAt(output, 0)->thread)
            return result;
        output->charged -= JobAt(output, 0)->keptKib;
        result |= FinishOldest(output, write && result == 0);
    }
}

// Moves on until at most files are in flight, waiting for threads as
// needed. Returns 0, or 1 after reporting the failure.
static int MoveOnTo(BuildOutput* output, int files, bool write)
{
    int result = 0;
    while (output->inFlight > files)
    {
        result |= MoveOn(output, write && result == 0);
        // After a failure, those never started, holding nothing, are dropped.
        if (output->running == 0 && (!write || result != 0))
            output->inFlight = output->open = 0;
        else if (output->inFlight <= files)
            continue;
        else if (write && result == 0 && MayStart(output, output->coders + 1) && CodeHere(output))
            StartBatch(output, true);
        else
            JoinBatches(output, true);
    }
    return result;
}

// The Windows program's size limit has no room for the scheduling above.
// There a batch starts as soon as it is closed, up to four for each coder,
// and the oldest is waited for once the files in flight, counted by their
// sizes, hold the larger of kLeanWindowBytes and twice the file being added:
// while the oldest is a big file still being coded, the other processors
// code only what fits beside it.
static void StartClosed(BuildOutput* output, bool threaded)
{
    BuildJob* head = JobAt(output, output->inFlight - output->open);
    CloseBatch(output);
    output->running += 1;
    head->thread = threaded ? ThreadStart(CodeBatch, head) : nullptr;
    if (!head->thread)
        CodeBatch(head);
}

static int FinishLeanOldest(BuildOutput* output, bool write)
{
    if (output->running == 0)
        StartClosed(output, false);
    BuildJob* head = JobAt(output, 0);
    if (head->thread)
        ThreadJoin(head->thread);
    output->running -= 1;
    return FinishOldest(output, write);
}

static int AddLean(BuildOutput* output, uint32_t size)
{
    const uint32_t most = kLeanWindowBytes > 2 * size ? kLeanWindowBytes : 2 * size;
    while (output->inFlight > 0 &&
           (output->inFlight == kBuildWindow || output->charged > most - size))
        if (FinishLeanOldest(output, true) != 0)
            return 1;
    output->charged += size;
    return 0;
}

static int MoveOnLean(BuildOutput* output, int at)
{
    const bool threaded = output->coders > 1;
    if (threaded && output->openBytes < kBatchBytes && output->open < kBatchFiles &&
        at != kBuildWindow - 1)
        return 0;
    while (output->running >= 4 * output->coders)
        if (FinishLeanOldest(output, true) != 0)
            return 1;
    StartClosed(output, threaded);
    return 0;
}

static int FinishLeanPending(BuildOutput* output, bool write)
{
    // The last files go to a thread of their own only when others are
    // still being coded: there is nothing else to overlap with.
    if (output->open > 0 && output->running > 0 && write)
        StartClosed(output, true);
    int result = 0;
    while (output->inFlight > 0)
        result |= FinishLeanOldest(output, write && result == 0);
    return result;
}

int FinishPending(BuildOutput* output, bool write)
{
    if (kLeanProgram)
        return FinishLeanPending(output, write);
    if (output->open > 0)
        CloseBatch(output);
    return MoveOnTo(output, 0, write);
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
    const uint32_t size = (uint32_t)listedSize;
    if (kLeanProgram && AddLean(output, size) != 0)
        return 1;
    if (!kLeanProgram && output->open > 0 && output->openBytes + size > kBatchBytes)
        CloseBatch(output);
    if (!kLeanProgram && MoveOnTo(output, kBuildWindow - 1, true) != 0)
        return 1;
    const int at = (output->first + output->inFlight) & (kBuildWindow - 1);
    BuildJob* job = &output->jobs[at];
    job->n = size;
    // Both fit: the walk checked them against kSourcePathSize.
    memcpy(job->path, path, strlen(path) + 1);
    memcpy(job->name, archiveName, strlen(archiveName) + 1);
    output->inFlight += 1;
    output->open += 1;
    output->openBytes += size;
    if (kLeanProgram)
        return MoveOnLean(output, at);
    // A batch lies side by side in the ring.
    if (output->openBytes >= kBatchBytes || output->open >= kBatchFiles || at == kBuildWindow - 1)
        CloseBatch(output);
    return MoveOn(output, true);
}
