// Reading a whole file, shared by both platforms.
#include "platform/platform.h"

#include <stdlib.h>

ReadWholeResult FileReadWhole(const char* path, unsigned char** data, uint32_t* length)
{
    *data = nullptr;
    *length = 0;
    int fd = FileOpenRead(path);
    if (fd < 0)
        return kReadFailed;
    uint64_t size = 0;
    if (FileLength(fd, &size) != 0)
    {
        FileClose(fd);
        return kReadFailed;
    }
    if (size >= 0x100000000ull)
    {
        FileClose(fd);
        return kReadTooLarge;
    }
    // A 32-bit program may not find a few hundred MB in one piece.
    unsigned char* buffer = (unsigned char*)malloc(size ? (size_t)size : 1);
    if (!buffer)
    {
        FileClose(fd);
        return kReadNoMemory;
    }
    uint32_t done = 0;
    int64_t got = 1;
    while (done < size && (got = FileRead(fd, buffer + done, (uint32_t)size - done)) > 0)
        done += (uint32_t)got;
    // One byte more must meet the end: a file that grew while it was read is
    // not taken as whole.
    unsigned char extra;
    bool whole = done == size && FileRead(fd, &extra, 1) == 0;
    FileClose(fd);
    if (!whole)
    {
        free(buffer);
        return kReadFailed;
    }
    *data = buffer;
    *length = (uint32_t)size;
    return kReadWhole;
}
