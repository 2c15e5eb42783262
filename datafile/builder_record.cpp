// One file's entry record: read whole, coded both ways, the shortest kept.
#include "datafile/builder.h"

#include "coders/coder.h"
#include "coders/delta.h"
#include "coders/lzw.h"
#include "datafile/entry_name.h"
#include "datafile/format.h"

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

struct CodedFile
{
    unsigned char* lzw;
    unsigned char* delta;
    uint32_t lzwLength;
    uint32_t deltaLength;
};

// Returns 0, -1 when the two buffers of up to 2n + 4 bytes cannot be had (a
// 32-bit process runs out of address space from a few hundred MB on), or
// -2 when a coder fails.
static int CodeBothWays(const unsigned char* data, uint32_t n, CodedFile* coded)
{
    uint32_t bound = CoderOutputBound(n);
    coded->lzw = (unsigned char*)malloc(bound);
    coded->delta = (unsigned char*)malloc(bound);
    if (!coded->lzw || !coded->delta)
        return -1;
    coded->lzwLength = LzwEncode(data, (int32_t)n, coded->lzw, bound);
    coded->deltaLength = DeltaEncode(data, (int32_t)n, coded->delta, bound);
    return coded->lzwLength != kCoderFailed && coded->deltaLength != kCoderFailed ? 0 : -2;
}

static int WriteRecord(const char* archiveName, const unsigned char* data, uint32_t n,
                       const CodedFile& coded, BuildOutput* output)
{
    unsigned char method = ChooseMethod(coded.lzwLength, coded.deltaLength, n);
    const unsigned char* payload = data;
    uint32_t payloadLength = n;
    if (method == kMethodLzw)
    {
        payload = coded.lzw;
        payloadLength = coded.lzwLength;
    }
    else if (method == kMethodDelta)
    {
        payload = coded.delta;
        payloadLength = coded.deltaLength;
    }
    // The name with its terminator, then the size and the method byte.
    unsigned char sizeAndMethod[5];
    WriteLe32(sizeAndMethod, n);
    sizeAndMethod[4] = method;
    if (FileWriteAll(output->fd, archiveName, (uint32_t)strlen(archiveName) + 1) != 0 ||
        FileWriteAll(output->fd, sizeAndMethod, sizeof sizeAndMethod) != 0 ||
        FileWriteAll(output->fd, payload, payloadLength) != 0)
    {
        ReportError("%s: cannot be written", output->path);
        return 1;
    }
    output->total += n;
    return 0;
}

static int CodeAndWrite(const char* path, const char* archiveName, const unsigned char* data,
                        uint32_t n, BuildOutput* output)
{
    CodedFile coded = {nullptr, nullptr, 0, 0};
    int result = 1;
    int codedBoth = CodeBothWays(data, n, &coded);
    if (codedBoth == -1)
        ReportError("%s: not enough memory to code its %u bytes", path, (unsigned)n);
    else if (codedBoth != 0)
        ReportError("%s: cannot be coded", path);
    else
        result = WriteRecord(archiveName, data, n, coded, output);
    free(coded.lzw);
    free(coded.delta);
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
    unsigned char* data = nullptr;
    uint32_t n = 0;
    if (FileReadWhole(path, &data, &n) != 0)
    {
        ReportError("%s: cannot be read", path);
        return 1;
    }
    int result = 1;
    if (n != listedSize)
        ReportError("%s: changed size while being archived", path);
    else
        result = CodeAndWrite(path, archiveName, data, n, output);
    free(data);
    return result;
}
