// Mapping a data.bin with room around it, and the guard against its being
// cut short while mapped.
#include "inspect/mapped_data_file.h"

#include <signal.h>
#include <stdio.h>
#include <string.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

static size_t RoundUp(size_t n, size_t page)
{
    return (n + page - 1) / page * page;
}

int MapDataFile(int fd, uint32_t length, uint32_t before, uint32_t after, MappedDataFile* file)
{
    *file = {nullptr, 0, nullptr, length, {0, 0}};
    struct stat status;
    if (fstat(fd, &status) != 0)
        return -1;
    const size_t page = (size_t)sysconf(_SC_PAGESIZE);
    const size_t room = RoundUp(before, page);
    const size_t total = room + RoundUp((size_t)length + after, page);
    void* block = mmap(nullptr, total, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (block == MAP_FAILED)
        return -1;
    unsigned char* bytes = (unsigned char*)block + room;
    // Read-only, so that its pages are the page cache's and filling them in
    // at once copies nothing; the end of its last page reads as zeros.
    if (length > 0 &&
        mmap(bytes, length, PROT_READ, MAP_PRIVATE | MAP_FIXED | MAP_POPULATE, fd, 0) == MAP_FAILED)
    {
        munmap(block, total);
        return -1;
    }
    *file = {(unsigned char*)block,
             total,
             bytes,
             length,
             {(int64_t)status.st_ctim.tv_sec, (int64_t)status.st_ctim.tv_nsec}};
    return 0;
}

bool DataFileUnchanged(int fd, const MappedDataFile& file)
{
    struct stat status;
    return fstat(fd, &status) == 0 && (uint64_t)status.st_size == file.length &&
           status.st_ctim.tv_sec == file.changed[0] && status.st_ctim.tv_nsec == file.changed[1];
}

void UnmapDataFile(MappedDataFile* file)
{
    if (file->block)
        munmap(file->block, file->blockLength);
    file->block = nullptr;
    file->bytes = nullptr;
}

// What the handler needs, prepared beforehand: it may call only what is
// safe in a signal handler.
static char gCutShortLine[1200];
static size_t gCutShortLength;
static const char* const* gTemporaries;
static int gTemporaryCount;
static struct sigaction gBefore;

static void CutShort(int)
{
    for (int i = 0; i < gTemporaryCount; ++i)
        if (gTemporaries[i][0])
            unlink(gTemporaries[i]);
    ssize_t written = write(STDERR_FILENO, gCutShortLine, gCutShortLength);
    (void)written;
    _exit(1);
}

void GuardMappedDataFile(const char* path, const char* const* temporaries, int count)
{
    int length = snprintf(gCutShortLine, sizeof gCutShortLine,
                          "setup: %s: cut short by another program while it was read; no "
                          "program was written\n",
                          path);
    gCutShortLength = length < 0 ? 0 : strlen(gCutShortLine);
    gTemporaries = temporaries;
    gTemporaryCount = count;
    struct sigaction action;
    memset(&action, 0, sizeof action);
    action.sa_handler = CutShort;
    sigemptyset(&action.sa_mask);
    sigaction(SIGBUS, &action, &gBefore);
}

void EndMappedDataFileGuard()
{
    sigaction(SIGBUS, &gBefore, nullptr);
    gTemporaryCount = 0;
}
