// POSIX stand-ins for the Windows file and folder services, so that the
// packager's tool builds and runs on Linux build machines.
#include "platform/platform.h"

#include "platform/code_page.h"

#include <algorithm>
#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <limits.h>
#include <pthread.h>
#include <sched.h>
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>
#include <vector>

struct Listing
{
    std::vector<ListingEntry> entries;
    size_t next;
};

static bool CopyName(char* destination, const char* name)
{
    size_t length = strlen(name);
    if (length >= (size_t)kListingNameSize)
    {
        memcpy(destination, name, kListingNameSize - 1);
        destination[kListingNameSize - 1] = 0;
        return false;
    }
    memcpy(destination, name, length + 1);
    return true;
}

// NTFS lists a folder in the order of its names' upper case, and a name's
// twins in letter case then lie next to it.
static bool ListsBefore(const ListingEntry& a, const ListingEntry& b)
{
    int order = CompareNamesFolded(a.name, b.name);
    return order != 0 ? order < 0 : strcmp(a.name, b.name) < 0;
}

// Describes one name of folder; stat follows symbolic links, so a link to
// a file is archived as that file and a link loop fails by name.
static bool DescribeEntry(const char* folder, const char* name, ListingEntry* entry)
{
    entry->attributes = 0;
    entry->size = 0;
    if (!CopyName(entry->name, name))
        return false;
    char path[4096];
    if (snprintf(path, sizeof path, "%s/%s", folder, name) >= (int)sizeof path)
        return false;
    struct stat info;
    if (stat(path, &info) != 0)
        return false;
    if (S_ISDIR(info.st_mode))
        entry->attributes = kAttributeDirectory;
    else if (S_ISREG(info.st_mode))
        entry->size = (uint64_t)info.st_size;
    else
        return false; // a FIFO blocks the read, a device never ends or reads empty
    return true;
}

Listing* ListingOpen(const char* folder)
{
    DIR* dir = opendir(folder[0] ? folder : ".");
    if (!dir)
        return nullptr;
    Listing* listing = new Listing;
    listing->next = 0;
    while (struct dirent* item = readdir(dir))
    {
        ListingEntry entry;
        bool described = DescribeEntry(folder, item->d_name, &entry);
        if (!described)
            entry.attributes = ~0u; // marks an entry that failed
        listing->entries.push_back(entry);
    }
    closedir(dir);
    std::sort(listing->entries.begin(), listing->entries.end(), ListsBefore);
    return listing;
}

int ListingNext(Listing* listing, ListingEntry* entry)
{
    if (listing->next >= listing->entries.size())
        return 0;
    *entry = listing->entries[listing->next++];
    if (entry->attributes == ~0u)
    {
        entry->attributes = 0;
        return -1;
    }
    return 1;
}

void ListingClose(Listing* listing)
{
    delete listing;
}

int FileOpenRead(const char* path)
{
    return open(path, O_RDONLY | O_CLOEXEC);
}

int FileCreate(const char* path)
{
    return open(path, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
}

int FileCreateNew(const char* path)
{
    return open(path, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
}

int FileClose(int fd)
{
    return close(fd) == 0 ? 0 : -1;
}

int64_t FileRead(int fd, void* buffer, uint32_t count)
{
    for (;;)
    {
        ssize_t got = read(fd, buffer, count);
        if (got >= 0 || errno != EINTR)
            return got;
    }
}

int FileWriteAll(int fd, const void* buffer, uint32_t count)
{
    const char* p = (const char*)buffer;
    while (count > 0)
    {
        ssize_t put = write(fd, p, count);
        if (put < 0 && errno == EINTR)
            continue;
        if (put <= 0)
            return -1;
        p += put;
        count -= (uint32_t)put;
    }
    return 0;
}

int FileCommit(int fd)
{
    return fsync(fd) == 0 ? 0 : -1;
}

void FileStartFlush(int fd)
{
    // Only a hint: an error shows again at the flush that is checked.
#ifdef __linux__
    sync_file_range(fd, 0, 0, SYNC_FILE_RANGE_WRITE);
#else
    (void)fd;
#endif
}

int FileSeek(int fd, uint32_t offset)
{
    return lseek(fd, (off_t)offset, SEEK_SET) == (off_t)offset ? 0 : -1;
}

int FileLength(int fd, uint64_t* length)
{
    struct stat info;
    if (fstat(fd, &info) != 0)
        return -1;
    *length = (uint64_t)info.st_size;
    return 0;
}

int FolderCreate(const char* path)
{
    return mkdir(path, 0777) == 0 ? 0 : -1;
}

int FileReplace(const char* from, const char* to)
{
    return rename(from, to) == 0 ? 0 : -1;
}

int FileRemove(const char* path)
{
    return unlink(path) == 0 ? 0 : -1;
}

bool IsPathSeparator(char c)
{
    return c == '/';
}

const char* NextCharacter(const char* text)
{
    return text + 1;
}

void ReportError(const char* format, ...)
{
    va_list arguments;
    va_start(arguments, format);
    EndProgress();
    fputs("setup: ", stderr);
    vfprintf(stderr, format, arguments);
    fputc('\n', stderr);
    va_end(arguments);
}

struct Thread
{
    pthread_t thread;
    void (*work)(void*);
    void* argument;
};

static void* RunThread(void* thread)
{
    Thread* t = (Thread*)thread;
    t->work(t->argument);
    return nullptr;
}

Thread* ThreadStart(void (*work)(void*), void* argument)
{
    Thread* thread = (Thread*)malloc(sizeof *thread);
    if (!thread)
        return nullptr;
    thread->work = work;
    thread->argument = argument;
    if (pthread_create(&thread->thread, nullptr, RunThread, thread) != 0)
    {
        free(thread);
        return nullptr;
    }
    return thread;
}

void ThreadJoin(Thread* thread)
{
    pthread_join(thread->thread, nullptr);
    free(thread);
}

int ProcessorCount()
{
#ifdef __linux__
    // The processors this process is allowed, which a container or taskset
    // may make fewer than the machine's.
    cpu_set_t allowed;
    if (sched_getaffinity(0, sizeof allowed, &allowed) == 0 && CPU_COUNT(&allowed) > 0)
        return CPU_COUNT(&allowed);
#endif
    long online = sysconf(_SC_NPROCESSORS_ONLN);
    return online > 0 ? (int)online : 1;
}

size_t LinkInPath(const char* path, size_t from)
{
    char prefix[PATH_MAX];
    const size_t length = strlen(path);
    if (length >= sizeof prefix)
        return 0;
    memcpy(prefix, path, length + 1);
    for (size_t i = from + 1; i <= length; ++i)
    {
        if (prefix[i] != '/' && prefix[i] != 0)
            continue;
        const char kept = prefix[i];
        prefix[i] = 0;
        struct stat status;
        const int found = lstat(prefix, &status);
        prefix[i] = kept;
        if (found != 0)
            return 0; // what is not there yet is made here, as a folder
        if (S_ISLNK(status.st_mode))
            return i;
    }
    return 0;
}

bool IsCurrentFolder(const char* path)
{
    struct stat folder, current;
    return stat(path[0] ? path : ".", &folder) == 0 && stat(".", &current) == 0 &&
           folder.st_dev == current.st_dev && folder.st_ino == current.st_ino;
}

const bool kSyncAtEnd = true;

int SyncFileSystem(const char* folder)
{
    int fd = open(folder, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return -1;
#ifdef __linux__
    int synced = syncfs(fd);
#else
    // Without syncfs (macOS, the BSDs) the whole system is flushed.
    sync();
    int synced = 0;
#endif
    close(fd);
    return synced == 0 ? 0 : -1;
}

static double gLastProgress = -1; // seconds, monotonic; -1 when no line is shown

static double Now()
{
    struct timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return (double)now.tv_sec + now.tv_nsec / 1e9;
}

bool ProgressDue()
{
    static int terminal = -1;
    if (terminal < 0)
        terminal = isatty(2);
    return terminal && (gLastProgress < 0 || Now() - gLastProgress >= 0.25);
}

void ShowProgress(const char* text)
{
    // Erases what a longer earlier line left to the right.
    fprintf(stderr, "\r%s\033[K", text);
    fflush(stderr);
    gLastProgress = Now();
}

void EndProgress()
{
    if (gLastProgress < 0)
        return;
    fputs("\r\033[K", stderr);
    fflush(stderr);
    gLastProgress = -1;
}
