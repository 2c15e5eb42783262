// data.cpp: the data file as an array of 32-bit words, eight to a row.
#include "datafile/datacpp_writer.h"

#include "datafile/format.h"
#include "platform/platform.h"
#include "platform/text_output.h"

#include <stdlib.h>
#include <string.h>

// data.cpp is a text file: it gets this platform's line ends.
#ifdef _WIN32
static const char kLineEnd[] = "\r\n";
#else
static const char kLineEnd[] = "\n";
#endif

// Item i is bytes 4i to 4i + 3 of the data file, little-endian, with zero
// bytes past its end.
static uint32_t Item(const unsigned char* data, uint32_t n, uint32_t offset)
{
    unsigned char word[4] = {0, 0, 0, 0};
    memcpy(word, data + offset, n - offset < 4 ? n - offset : 4);
    return ReadLe32(word);
}

static void PutLine(TextOutput* out, const char* text)
{
    PutText(out, text);
    PutText(out, kLineEnd);
}

// n is below 2^31, so its decimal text is the same taken signed or not.
static void PrintSource(TextOutput* out, const unsigned char* data, uint32_t n)
{
    PutText(out, "unsigned int gSizeDatfile = ");
    PutNumber(out, n, 10);
    PutLine(out, ";");
    // One word more than needed when n is a multiple of 4: the compiler
    // zero-fills it, and the array always ends in a zero byte or more.
    PutText(out, "unsigned int gDatfile[");
    PutNumber(out, ((n | 3) + 1) / 4, 10);
    PutLine(out, "] = ");
    PutLine(out, "{");
    for (uint32_t offset = 0; offset < n; offset += 4)
    {
        if (offset % 32 == 0)
            PutText(out, "    ");
        PutText(out, "0x");
        PutNumber(out, Item(data, n, offset), 16);
        PutText(out, ", ");
        if (offset % 32 == 28)
            PutText(out, kLineEnd);
    }
    PutText(out, kLineEnd);
    PutLine(out, "};");
}

static int PrintSourceFile(const char* cppPath, const unsigned char* data, uint32_t n)
{
    int fd = FileCreate(cppPath);
    if (fd < 0)
    {
        ReportError("%s: cannot be created", cppPath);
        return 1;
    }
    TextOutput out;
    BeginTextOutput(&out, FileSink, &fd);
    PrintSource(&out, data, n);
    bool written = FinishTextOutput(&out) == 0;
    written = FileClose(fd) == 0 && written;
    if (written)
        return 0;
    ReportError("%s: cannot be written", cppPath);
    FileRemove(cppPath);
    return 1;
}

int WriteDataCpp(const char* binPath, const char* cppPath)
{
    unsigned char* data = nullptr;
    uint32_t n = 0;
    int read = FileReadWhole(binPath, &data, &n);
    if (read != 0)
    {
        ReportError("%s: %s", binPath, read == -2 ? "4 GiB or larger" : "cannot be read");
        return 1;
    }
    int result = 1;
    if (n < kEmptyDataFileLength)
        ReportError("%s: too short to be a data file (%u bytes)", binPath, (unsigned)n);
    else if (n >= 0x80000000u)
        ReportError("%s: 2 GiB or larger, too large to embed", binPath);
    else
        result = PrintSourceFile(cppPath, data, n);
    free(data);
    return result;
}
