// The /m run: data.bin and data.cpp are built under temporary names and
// put in place only when both are complete, so a failed run leaves the
// previous pair untouched.
#include "datafile/builder.h"

#include "datafile/datacpp_writer.h"
#include "datafile/format.h"

static const char kDataBin[] = "data.bin";
static const char kDataCpp[] = "data.cpp";
static const char kTempBin[] = "data.bin.tmp";
static const char kTempCpp[] = "data.cpp.tmp";

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
    if (AddFolder(folder, "", output) != 0)
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
    BuildOutput output = {FileCreate(kTempBin), kTempBin, 0};
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
    if (result == 0)
        result = WriteDataCpp(kTempBin, kTempCpp);
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
