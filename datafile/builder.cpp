// The /m run: data.bin and data.cpp are built under temporary names and
// put in place only when both are complete, so a failed run leaves the
// previous pair untouched.
#include "datafile/builder.h"

#include "datafile/datacpp_writer.h"
#include "datafile/format.h"

#include <string.h>

int gBuildThreads = 2;
uint32_t gBuildFiles = 0;
uint64_t gBuildBytesIn = 0;
uint64_t gBuildBytesOut = 0;

const char* const kBuildOutputs[kBuildOutputCount] = {"data.bin", "data.cpp", "data.bin.tmp",
                                                      "data.cpp.tmp"};
static const char* const kDataBin = kBuildOutputs[0];
static const char* const kDataCpp = kBuildOutputs[1];
static const char* const kTempBin = kBuildOutputs[2];
static const char* const kTempCpp = kBuildOutputs[3];

static int WriteWord(BuildOutput* output, uint32_t value)
{
    unsigned char bytes[4];
    WriteLe32(bytes, value);
    return FileWriteAll(output->fd, bytes, 4);
}

// The total size is known only after the walk: a placeholder goes first
// and is overwritten at the end.
static int WriteArchive(const char* folder, BuildOutput* output)
{
    static const unsigned char kEndMarker = 0;
    if (WriteWord(output, 0) != 0)
    {
        ReportError("%s: cannot be written", output->path);
        return 1;
    }
    // The files met last are still in flight when the walk ends or fails.
    bool walked = AddFolder(folder, "", output) == 0;
    if (FinishPending(output, walked) != 0 || !walked)
        return 1;
    if (FileWriteAll(output->fd, &kEndMarker, 1) != 0 || FileSeek(output->fd, 0) != 0 ||
        WriteWord(output, output->total) != 0 || FileCommit(output->fd) != 0)
    {
        ReportError("%s: cannot be written", output->path);
        return 1;
    }
    return 0;
}

static int BuildTemporaries(const char* folder)
{
    BuildOutput output;
    memset(&output, 0, sizeof output);
    output.fd = FileCreate(kTempBin);
    output.path = kTempBin;
    if (output.fd < 0)
    {
        ReportError("%s: cannot be created", kTempBin);
        return 1;
    }
    int result = WriteArchive(folder, &output);
    if (FileClose(output.fd) != 0 && result == 0)
    {
        ReportError("%s: cannot be written", kTempBin);
        result = 1;
    }
    EndProgress();
    if (result == 0)
        result = WriteDataCpp(kTempBin, kTempCpp, &gBuildBytesOut);
    gBuildFiles = output.files;
    gBuildBytesIn = output.bytesIn;
    return result;
}

static int PutInPlace()
{
    if (FileReplace(kTempBin, kDataBin) != 0)
    {
        ReportError("%s: cannot be replaced", kDataBin);
        return 1;
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
