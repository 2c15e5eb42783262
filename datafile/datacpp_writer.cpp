// data.cpp: the data file as an array of 32-bit words, eight to a row,
// turned into text a slice at a time as its bytes come, so that a large
// archive never sits in memory whole, and is read back only when the
// forecast of its first lines missed.
#include "datafile/datacpp_writer.h"

#include "datafile/format.h"
#include "datafile/tool_messages.h"
#include "platform/platform.h"
#include "platform/text.h"

#include <stdlib.h>
#include <string.h>

// data.cpp is a text file: it gets this platform's line ends.
static const char* const kLineEnd = kTextLineEnd;
static const uint32_t kLineEndLength = sizeof kTextLineEnd - 1;

// Data file bytes turned into text at once, a whole number of rows.
static const uint32_t kSliceBytes = 32 * 2048;
// Each row of 32 bytes: four spaces, eight items of at most 12 characters,
// a line end.
static const uint32_t kSliceTextBytes = kSliceBytes / 32 * (4 + 8 * 12 + 2);
// Text is written in pieces of kTextBytes.
static const uint32_t kTextBytes = 1u << 20;
// The two head lines, the brace and the first row.
static const int kFrontSize = 160 + 4 + 8 * 12 + 2;

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

// The two head lines and the brace, for a data file of n bytes (below
// 2^31, so its decimal text is the same taken signed or not). Returns the
// length.
static uint32_t PutHead(char* out, uint32_t n)
{
    char size[kNumberTextSize], dimension[kNumberTextSize];
    UnsignedText(size, n, 10);
    // One word more than needed when n is a multiple of 4: the compiler
    // zero-fills it, and the array always ends in a zero byte or more.
    UnsignedText(dimension, ((n | 3) + 1) / 4, 10);
    JoinText(out, 160, "unsigned int gSizeDatfile = ", size, ";", kLineEnd,
             "unsigned int gDatfile[", dimension, "] = ", kLineEnd, "{", kLineEnd, nullptr);
    return (uint32_t)strlen(out);
}

// The head and the first row, of the data file of n bytes whose first 32
// bytes, total size aside, are first. Returns the length.
static uint32_t PutFront(char* out, const unsigned char* first, uint32_t n, uint32_t total)
{
    unsigned char row[32];
    memcpy(row, first, sizeof row);
    WriteLe32(row, total);
    const uint32_t head = PutHead(out, n);
    return (uint32_t)(PutSlice(out + head, row, n < 32 ? (n + 3) & ~3u : 32, 0) - out);
}

static void WriteText(DataCppWriter* writer)
{
    writer->failed |= FileWriteAll(writer->fd, writer->text, writer->textLength) != 0;
    writer->textLength = 0;
}

// The text of length bytes of the data file at offset; a length not a
// multiple of 4 ends the data file, its last word zero-padded.
static void PutBytes(DataCppWriter* writer, const unsigned char* bytes, uint32_t length,
                     uint32_t offset)
{
    for (uint32_t slice; length > 0; length -= slice, bytes += slice, offset += slice)
    {
        slice = length < kSliceBytes ? length : kSliceBytes;
        if (writer->textLength + kSliceTextBytes > kTextBytes)
            WriteText(writer);
        unsigned char word[4] = {0, 0, 0, 0};
        memcpy(word, bytes + (slice & ~3u), slice % 4);
        char* end = PutSlice(writer->text + writer->textLength, bytes, slice & ~3u, offset);
        if (slice % 4 != 0)
            end = PutSlice(end, word, 4, offset + (slice & ~3u));
        writer->textLength = (uint32_t)(end - writer->text);
    }
}

// Places the text after the front that n and total give, and turns the
// bytes held into text.
static void Place(DataCppWriter* writer, uint32_t n, uint32_t total)
{
    char front[kFrontSize];
    writer->placed = PutFront(front, writer->first, n > writer->taken ? n : writer->taken, total);
    writer->failed |= FileSeek(writer->fd, writer->placed) != 0;
    PutBytes(writer, writer->held, writer->heldLength, 32);
    free(writer->held);
    writer->held = nullptr;
}

// A forecast within a tenth of a power of ten of the data file's length
// (or of its length in words) may miss: then twice as many bytes are held,
// up to four times the first hold, for a later forecast.
static bool HoldMore(DataCppWriter* writer)
{
    const uint32_t n = writer->expectedLength;
    char low[kFrontSize], high[kFrontSize];
    const uint32_t size = 2 * writer->heldSize;
    if (size > 4 * writer->firstHeldSize || n > 0x70000000u ||
        PutFront(low, writer->first, n - n / 10, 0) == PutFront(high, writer->first, n + n / 10, 0))
        return false;
    unsigned char* more = (unsigned char*)realloc(writer->held, size);
    if (!more)
        return false;
    writer->held = more;
    writer->heldSize = size;
    return true;
}

int DataCppBegin(DataCppWriter* writer, const char* cppPath, uint32_t held)
{
    memset(writer, 0, sizeof *writer);
    writer->path = cppPath;
    writer->fd = FileCreate(cppPath);
    if (writer->fd < 0)
    {
        ReportError(kCannotBeCreated, cppPath);
        return 1;
    }
    // Room for the closing lines beyond the text.
    writer->text = (char*)malloc(kTextBytes + 16);
    writer->held = (unsigned char*)malloc(held);
    writer->heldSize = held;
    writer->firstHeldSize = held;
    writer->failed = !writer->text || !writer->held;
    return 0;
}

void DataCppTake(DataCppWriter* writer, const void* bytes, uint32_t count)
{
    const unsigned char* p = (const unsigned char*)bytes;
    if (writer->failed)
        return;
    for (; count > 0 && writer->taken < 32; --count)
        writer->first[writer->taken++] = *p++;
    while (!writer->placed && writer->heldLength + count > writer->heldSize && HoldMore(writer))
        continue;
    if (!writer->placed && writer->heldLength + count > writer->heldSize)
        Place(writer, writer->expectedLength, writer->expectedTotal);
    if (!writer->placed)
        memcpy(writer->held + writer->heldLength, p, count);
    else
        PutBytes(writer, p, count, writer->taken);
    writer->heldLength += writer->placed ? 0 : count;
    writer->taken += count;
}

void DataCppAbandon(DataCppWriter* writer)
{
    FileClose(writer->fd);
    FileRemove(writer->path);
    free(writer->text);
    free(writer->held);
}

int DataCppEnd(DataCppWriter* writer, uint32_t total, const char* binPath)
{
    const uint32_t n = writer->taken;
    bool rightlyPlaced = false;
    if (!writer->failed)
    {
        if (!writer->placed)
            Place(writer, n, total);
        char* tail = writer->text + writer->textLength;
        JoinText(tail, 16, kLineEnd, "};", kLineEnd, nullptr);
        writer->textLength += (uint32_t)strlen(tail);
        WriteText(writer);
        char front[kFrontSize];
        const uint32_t frontLength = PutFront(front, writer->first, n, total);
        rightlyPlaced = frontLength == writer->placed;
        if (rightlyPlaced)
            writer->failed |=
                FileSeek(writer->fd, 0) != 0 || FileWriteAll(writer->fd, front, frontLength) != 0;
    }
    const bool written = FileClose(writer->fd) == 0 && !writer->failed;
    free(writer->text);
    free(writer->held);
    if (written && rightlyPlaced)
        return 0;
    // The forecast was wrong: the text is made again from the data file.
    if (written && binPath)
        return WriteDataCpp(binPath, writer->path);
    ReportError(kCannotBeWritten, writer->path);
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

static bool WriteTail(int fd)
{
    char tail[16];
    return JoinText(tail, sizeof tail, kLineEnd, "};", kLineEnd, nullptr) &&
           FileWriteAll(fd, tail, (uint32_t)strlen(tail)) == 0;
}

// Returns 0, -1 when data.bin fails to read, -2 when data.cpp fails to write.
static int PrintSource(int binFd, uint32_t n, int cppFd)
{
    unsigned char* slice = (unsigned char*)malloc(kSliceBytes + 4);
    char* text = (char*)malloc(kSliceTextBytes);
    char head[kFrontSize];
    int result = slice && text && FileWriteAll(cppFd, head, PutHead(head, n)) == 0 ? 0 : -2;
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
        ReportError(kCannotBeCreated, cppPath);
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
        ReportError(kCannotBeRead, binPath);
        if (fd >= 0)
            FileClose(fd);
        return 1;
    }
    int result = 1;
    if (n < kEmptyDataFileLength)
        ReportError(kTooShortForDataFile, binPath, (unsigned)n);
    else if (n >= 0x80000000u)
        ReportError(kTooLargeToEmbed, binPath);
    else
        result = PrintSourceFile(binPath, fd, (uint32_t)n, cppPath);
    FileClose(fd);
    if (result == 0 && binLength)
        *binLength = n;
    return result;
}
