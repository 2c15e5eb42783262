// data.cpp: the data file as an array of 32-bit words, eight to a row,
// turned into text a slice at a time as its bytes come, so that a large
// archive never sits in memory whole and is never read back.
#include "datafile/datacpp_writer.h"

#include "datafile/format.h"
#include "platform/platform.h"
#include "platform/text.h"

#include <stdlib.h>
#include <string.h>

// data.cpp is a text file: it gets this platform's line ends.
#ifdef _WIN32
static const char kLineEnd[] = "\r\n";
#else
static const char kLineEnd[] = "\n";
#endif
static const uint32_t kLineEndLength = sizeof kLineEnd - 1;

// Data file bytes turned into text at once, a whole number of rows.
static const uint32_t kSliceBytes = 32 * 2048;
// Each row of 32 bytes: four spaces, eight items of at most 12 characters,
// a line end.
static const uint32_t kSliceTextBytes = kSliceBytes / 32 * (4 + 8 * 12 + 2);
// Text held before it is placed: the whole of a data file of up to about
// 2.5 MB, which is then written without a forecast.
static const uint32_t kHeldText = 8u << 20;
// The two head lines, the brace and the first row.
static const int kFrontSize = 160 + 4 + 8 * 12 + 2;

// Each byte's two hex digits; filled by DataCppBegin.
static char gHexPairs[512];

// "0x", the word in lower-case hex without leading zeros, ", ". Writes up
// to 12 characters, never more, whatever the word.
static char* PutItem(char* out, uint32_t word)
{
    char digits[16];
    for (int i = 0; i < 4; ++i)
        memcpy(digits + 2 * i, gHexPairs + 2 * ((word >> (24 - 8 * i)) & 255), 2);
    const int zeros = word ? __builtin_clz(word) / 4 : 7;
    out[0] = '0';
    out[1] = 'x';
    memcpy(out + 2, digits + zeros, 8);
    out += 10 - zeros;
    out[0] = ',';
    out[1] = ' ';
    return out + 2;
}

// Item i is bytes 4i to 4i + 3 of the data file, little-endian. length is
// a multiple of 4; offset is the slice's place in the file.
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
        {
            memcpy(out, kLineEnd, kLineEndLength);
            out += kLineEndLength;
        }
    }
    return out;
}

// The head lines and the first row, for a data file of n bytes (below
// 2^31, so its decimal text is the same taken signed or not) whose first
// 32 bytes, total size aside, are first. Returns the length.
static uint32_t PutFront(char* out, const unsigned char* first, uint32_t n, uint32_t total)
{
    char size[kNumberTextSize], dimension[kNumberTextSize];
    UnsignedText(size, n, 10);
    // One word more than needed when n is a multiple of 4: the compiler
    // zero-fills it, and the array always ends in a zero byte or more.
    UnsignedText(dimension, ((n | 3) + 1) / 4, 10);
    JoinText(out, 160, "unsigned int gSizeDatfile = ", size, ";", kLineEnd,
             "unsigned int gDatfile[", dimension, "] = ", kLineEnd, "{", kLineEnd, nullptr);
    unsigned char row[32];
    memcpy(row, first, sizeof row);
    WriteLe32(row, total);
    const uint32_t head = (uint32_t)strlen(out);
    return (uint32_t)(PutSlice(out + head, row, n < 32 ? (n + 3) & ~3u : 32, 0) - out);
}

// Writes the text held. The first time, it is placed after the front that
// the forecast gives.
static void WriteHeld(DataCppWriter* writer)
{
    if (!writer->placed)
    {
        char front[kFrontSize];
        const uint32_t n =
            writer->expectedLength > writer->taken ? writer->expectedLength : writer->taken;
        writer->placed = PutFront(front, writer->first, n, writer->expectedTotal);
        writer->failed |= FileSeek(writer->fd, writer->placed) != 0;
    }
    writer->failed |= FileWriteAll(writer->fd, writer->text, writer->textLength) != 0;
    writer->textLength = 0;
}

static void PutWords(DataCppWriter* writer, const unsigned char* words, uint32_t length,
                     uint32_t offset)
{
    if (writer->textLength + kSliceTextBytes > kHeldText)
        WriteHeld(writer);
    char* end = PutSlice(writer->text + writer->textLength, words, length, offset);
    writer->textLength = (uint32_t)(end - writer->text);
}

int DataCppBegin(DataCppWriter* writer, const char* cppPath)
{
    memset(writer, 0, sizeof *writer);
    for (int i = 0; i < 512; ++i)
        gHexPairs[i] = "0123456789abcdef"[i % 2 ? (i >> 1) & 15 : i >> 5];
    writer->path = cppPath;
    writer->fd = FileCreate(cppPath);
    if (writer->fd < 0)
    {
        ReportError("%s: cannot be created", cppPath);
        return 1;
    }
    // Room for the closing lines beyond the text held.
    writer->text = (char*)malloc(kHeldText + 16);
    writer->failed = !writer->text;
    return 0;
}

void DataCppTake(DataCppWriter* writer, const void* bytes, uint32_t count)
{
    const unsigned char* p = (const unsigned char*)bytes;
    if (!writer->text)
        return;
    while (count > 0)
    {
        const uint32_t at = writer->taken;
        uint32_t length = 1;
        if (at >= 32 && at % 4 == 0 && count >= 4)
        {
            length = count < kSliceBytes ? count & ~3u : kSliceBytes;
            PutWords(writer, p, length, at);
        }
        else if (at < 32)
            writer->first[at] = *p;
        else
        {
            writer->partial[at % 4] = *p;
            if (at % 4 == 3)
                PutWords(writer, writer->partial, 4, at - 3);
        }
        writer->taken += length;
        p += length;
        count -= length;
    }
}

void DataCppAbandon(DataCppWriter* writer)
{
    FileClose(writer->fd);
    FileRemove(writer->path);
    free(writer->text);
}

int DataCppEnd(DataCppWriter* writer, uint32_t total, const char* binPath)
{
    const uint32_t n = writer->taken;
    if (n > 32 && n % 4 != 0)
    {
        memset(writer->partial + n % 4, 0, 4 - n % 4);
        PutWords(writer, writer->partial, 4, n & ~3u);
    }
    char front[kFrontSize];
    const uint32_t frontLength = PutFront(front, writer->first, n, total);
    bool written = false;
    if (writer->text && !writer->failed && (!writer->placed || writer->placed == frontLength))
    {
        char* tail = writer->text + writer->textLength;
        JoinText(tail, 16, kLineEnd, "};", kLineEnd, nullptr);
        writer->textLength += (uint32_t)strlen(tail);
        if (!writer->placed)
            written = FileWriteAll(writer->fd, front, frontLength) == 0 &&
                      FileWriteAll(writer->fd, writer->text, writer->textLength) == 0;
        else
            written = FileWriteAll(writer->fd, writer->text, writer->textLength) == 0 &&
                      FileSeek(writer->fd, 0) == 0 &&
                      FileWriteAll(writer->fd, front, frontLength) == 0;
        written = FileClose(writer->fd) == 0 && written;
        free(writer->text);
        if (written)
            return 0;
    }
    else if (binPath && writer->text && !writer->failed)
    {
        // The forecast was wrong: the text is made again from the file.
        FileClose(writer->fd);
        free(writer->text);
        return WriteDataCpp(binPath, writer->path);
    }
    else
    {
        FileClose(writer->fd);
        free(writer->text);
    }
    ReportError("%s: cannot be written", writer->path);
    FileRemove(writer->path);
    return 1;
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

// Both numbers of the front are known here, so the text is placed rightly.
static int PrintSource(const char* binPath, int binFd, uint32_t n, const char* cppPath)
{
    unsigned char* slice = (unsigned char*)malloc(kSliceBytes);
    DataCppWriter writer;
    if (!slice || DataCppBegin(&writer, cppPath) != 0)
    {
        if (slice)
            ReportError("%s: cannot be written", cppPath);
        free(slice);
        return 1;
    }
    writer.expectedLength = n;
    bool read = true;
    for (uint32_t offset = 0; read && offset < n; offset += kSliceBytes)
    {
        const uint32_t length = n - offset < kSliceBytes ? n - offset : kSliceBytes;
        read = ReadExactly(binFd, slice, length);
        if (read && offset == 0)
            writer.expectedTotal = ReadLe32(slice);
        if (read)
            DataCppTake(&writer, slice, length);
    }
    unsigned char extra;
    read = read && FileRead(binFd, &extra, 1) == 0; // the data file grew or failed at its end
    free(slice);
    if (read)
        return DataCppEnd(&writer, writer.expectedTotal, nullptr);
    DataCppAbandon(&writer);
    ReportError("%s: cannot be read", binPath);
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
        result = PrintSource(binPath, fd, (uint32_t)n, cppPath);
    FileClose(fd);
    if (result == 0 && binLength)
        *binLength = n;
    return result;
}
