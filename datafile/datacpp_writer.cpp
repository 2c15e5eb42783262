// data.cpp: the data file as an array of 32-bit words, eight to a row. The
// data file is read and turned into text a slice at a time, so a large
// archive never sits in memory whole.
#include "datafile/datacpp_writer.h"

#include "datafile/format.h"
#include "platform/platform.h"
#include "platform/text.h"

#include <stdlib.h>
#include <string.h>

// data.cpp is a text file: it gets this platform's line ends.
static const char* const kLineEnd = kTextLineEnd;
static const uint32_t kLineEndLength = sizeof kTextLineEnd - 1;

// A whole number of rows, so that every slice starts a row.
static const uint32_t kSliceBytes = 32 * 32768;
// Each row of 32 bytes: four spaces, eight items of at most 12 characters,
// a line end.
static const uint32_t kSliceTextBytes = kSliceBytes / 32 * (4 + 8 * 12 + 2);

// "0x", the word in lower-case hex without leading zeros, ", ".
static char* PutItem(char* out, uint32_t word)
{
    static const char kDigits[] = "0123456789abcdef";
    int digits = word ? (35 - __builtin_clz(word)) / 4 : 1;
    out[0] = '0';
    out[1] = 'x';
    for (int i = digits + 1; i >= 2; --i, word >>= 4)
        out[i] = kDigits[word & 15];
    out[digits + 2] = ',';
    out[digits + 3] = ' ';
    return out + digits + 4;
}

static char* PutLineEnd(char* out)
{
    memcpy(out, kLineEnd, kLineEndLength);
    return out + kLineEndLength;
}

// Item i is bytes 4i to 4i + 3 of the data file, little-endian; the slice
// is zero past the data file's end. offset is the slice's place in the file.
static char* PutSlice(char* out, const unsigned char* slice, uint32_t length, uint32_t offset)
{
    for (uint32_t o = 0; o < length; o += 4)
    {
        if ((offset + o) % 32 == 0)
        {
            memcpy(out, "    ", 4);
            out += 4;
        }
        out = PutItem(out, ReadLe32(slice + o));
        if ((offset + o) % 32 == 28)
            out = PutLineEnd(out);
    }
    return out;
}

// n is below 2^31, so its decimal text is the same taken signed or not.
static bool WriteHead(int fd, uint32_t n)
{
    char size[kNumberTextSize], dimension[kNumberTextSize], head[160];
    UnsignedText(size, n, 10);
    // One word more than needed when n is a multiple of 4: the compiler
    // zero-fills it, and the array always ends in a zero byte or more.
    UnsignedText(dimension, ((n | 3) + 1) / 4, 10);
    return JoinText(head, sizeof head, "unsigned int gSizeDatfile = ", size, ";", kLineEnd,
                    "unsigned int gDatfile[", dimension, "] = ", kLineEnd, "{", kLineEnd,
                    nullptr) &&
           FileWriteAll(fd, head, (uint32_t)strlen(head)) == 0;
}

static bool WriteTail(int fd)
{
    char tail[16];
    return JoinText(tail, sizeof tail, kLineEnd, "};", kLineEnd, nullptr) &&
           FileWriteAll(fd, tail, (uint32_t)strlen(tail)) == 0;
}

// Reads exactly count bytes, or fails.
static bool ReadExactly(int fd, unsigned char* buffer, uint32_t count)
{
    for (uint32_t done = 0; done < count;)
    {
        int64_t got = FileRead(fd, buffer + done, count - done);
        if (got <= 0)
            return false;
        done += (uint32_t)got;
    }
    return true;
}

// Returns 0, -1 when data.bin fails to read, -2 when data.cpp fails to write.
static int PrintSource(int binFd, uint32_t n, int cppFd)
{
    unsigned char* slice = (unsigned char*)malloc(kSliceBytes + 4);
    char* text = (char*)malloc(kSliceTextBytes);
    int result = slice && text && WriteHead(cppFd, n) ? 0 : -2;
    for (uint32_t offset = 0; result == 0 && offset < n; offset += kSliceBytes)
    {
        uint32_t length = n - offset < kSliceBytes ? n - offset : kSliceBytes;
        memset(slice + length, 0, 4);
        if (!ReadExactly(binFd, slice, length))
            result = -1;
        else
        {
            char* end = PutSlice(text, slice, (length + 3) & ~3u, offset);
            if (FileWriteAll(cppFd, text, (uint32_t)(end - text)) != 0)
                result = -2;
        }
    }
    unsigned char extra;
    if (result == 0 && FileRead(binFd, &extra, 1) != 0)
        result = -1; // the data file grew or failed at its end
    if (result == 0 && !WriteTail(cppFd))
        result = -2;
    free(slice);
    free(text);
    return result;
}

static int PrintSourceFile(const char* binPath, int binFd, uint32_t n, const char* cppPath)
{
    int fd = FileCreate(cppPath);
    if (fd < 0)
    {
        ReportError("%s: cannot be created", cppPath);
        return 1;
    }
    int printed = PrintSource(binFd, n, fd);
    if (FileClose(fd) != 0 && printed == 0)
        printed = -2;
    if (printed == 0)
        return 0;
    ReportError("%s: cannot be %s", printed == -1 ? binPath : cppPath,
                printed == -1 ? "read" : "written");
    FileRemove(cppPath);
    return 1;
}

int WriteDataCpp(const char* binPath, const char* cppPath, uint64_t* binLength)
{
    int fd = FileOpenRead(binPath);
    uint64_t n = 0;
    if (fd < 0 || FileLength(fd, &n) != 0)
    {
        ReportError("%s: cannot be read", binPath);
        if (fd >= 0)
            FileClose(fd);
        return 1;
    }
    int result = 1;
    if (n < kEmptyDataFileLength)
        ReportError("%s: too short to be a data file (%u bytes)", binPath, (unsigned)n);
    else if (n >= 0x80000000u)
        ReportError("%s: 2 GiB or larger, too large to embed", binPath);
    else
        result = PrintSourceFile(binPath, fd, (uint32_t)n, cppPath);
    FileClose(fd);
    if (result == 0 && binLength)
        *binLength = n;
    return result;
}
