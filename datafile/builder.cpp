// The /m run: data.bin and data.cpp are built under temporary names and
// put in place only when both are complete, so a failed run leaves the
// previous pair untouched.
#include "datafile/builder.h"

#include "datafile/datacpp_writer.h"
#include "datafile/format.h"
#include "datafile/tool_messages.h"

#include <string.h>

int gBuildThreads = 0;
bool gBuildDataCpp = true;
uint32_t gBuildFiles = 0;
uint64_t gBuildBytesIn = 0;
uint64_t gBuildBytesOut = 0;

const char* const kBuildOutputs[kBuildOutputCount] = {"data.bin", "data.cpp", "data.bin.tmp",
                                                      "data.cpp.tmp"};
static const char* const kDataBin = kBuildOutputs[0];
static const char* const kDataCpp = kBuildOutputs[1];
static const char* const kTempBin = kBuildOutputs[2];
static const char* const kTempCpp = kBuildOutputs[3];

// The files in flight and the data file bytes not yet written, of the one
// run at a time.
static BuildJob gJobs[kBuildWindow];
static unsigned char gBuffer[kBuildBufferBytes];

// The total size is known only after the walk: a placeholder goes first
// and is overwritten at the end.
static int WriteArchive(const char* folder, BuildOutput* output)
{
    static const unsigned char kPlaceholder[4] = {0, 0, 0, 0};
    if (WriteOut(output, kPlaceholder, 4) != 0)
        return 1;
    // The files met last are still in flight when the walk ends or fails.
    bool walked = AddFolder(folder, "", output) == 0;
    if (FinishPending(output, walked) != 0 || !walked)
        return 1;
    unsigned char total[4];
    WriteLe32(total, output->total);
    if (WriteOut(output, kPlaceholder, 1) != 0 || WriteBuffered(output) != 0)
        return 1;
    if (FileSeek(output->fd, 0) != 0 || FileWriteAll(output->fd, total, 4) != 0 ||
        FileCommit(output->fd) != 0)
    {
        ReportError(kCannotBeWritten, output->path);
        return 1;
    }
    return 0;
}

static int BuildTemporaries(const char* folder)
{
    BuildOutput output;
    memset(&output, 0, sizeof output);
    output.path = kTempBin;
    output.coders = gBuildThreads > 0 ? gBuildThreads : ProcessorCount();
    output.coders = output.coders < kMostCoders ? output.coders : kMostCoders;
    output.root = folder;
    output.jobs = gJobs;
    output.buffer = kBuildCppBeside ? gBuffer : nullptr;
    output.fd = FileCreate(kTempBin);
    int result = 1;
    if (output.fd < 0)
        ReportError(kCannotBeCreated, kTempBin);
    else if (kBuildCppBeside && gBuildDataCpp && DataCppBegin(&output.cpp, kTempCpp) != 0)
        FileClose(output.fd);
    else
    {
        result = WriteArchive(folder, &output);
        if (FileClose(output.fd) != 0 && result == 0)
        {
            ReportError(kCannotBeWritten, kTempBin);
            result = 1;
        }
        EndProgress();
        if (kBuildCppBeside && gBuildDataCpp && result == 0 && output.bytesOut >= 0x80000000u)
        {
            ReportError(kTooLargeToEmbed, kTempBin);
            result = 1;
        }
        if (!kBuildCppBeside)
            result = result ? result : WriteDataCpp(kTempBin, kTempCpp, &output.bytesOut);
        else if (gBuildDataCpp && result == 0)
            result = DataCppEnd(&output.cpp, output.total, kTempBin);
        else if (gBuildDataCpp)
            DataCppAbandon(&output.cpp);
    }
    gBuildFiles = output.files;
    gBuildBytesIn = output.bytesIn;
    gBuildBytesOut = output.bytesOut;
    return result;
}

static int PutInPlace()
{
    if (FileReplace(kTempBin, kDataBin) != 0)
    {
        ReportError("%s: cannot be replaced", kDataBin);
        return 1;
    }
    if (kBuildCppBeside && !gBuildDataCpp)
    {
        FileRemove(kDataCpp);
        return 0;
    }
    if (FileReplace(kTempCpp, kDataCpp) != 0)
    {
        ReportError("%s: cannot be replaced (%s is already new)", kDataCpp, kDataBin);
        return 1;
    }
    return 0;
}

int MakeDataBin(const char* folder)
{
    if (!folder || !folder[0])
    {
        ReportError("no folder given to archive");
        return 1;
    }
    gBuildFiles = 0;
    gBuildBytesIn = 0;
    gBuildBytesOut = 0;
    int result = BuildTemporaries(folder);
    if (result == 0)
        result = PutInPlace();
    if (result != 0)
    {
        FileRemove(kTempBin);
        FileRemove(kTempCpp);
    }
    return result;
}
