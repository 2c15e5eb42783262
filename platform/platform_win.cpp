// The Windows file and folder services, through the C runtime's low-level
// descriptors and find-first/find-next.
#include "platform/platform.h"

#include "platform/text.h"

#include <direct.h>
#include <fcntl.h>
#include <io.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <windows.h>

struct Listing
{
    HANDLE find;
    WIN32_FIND_DATAA data;
    bool pending; // data holds an entry not yet handed out
};

// The search pattern is the folder followed by "\*": at most 1023 characters.
Listing* ListingOpen(const char* folder)
{
    char pattern[1024];
    if (!JoinText(pattern, sizeof pattern, folder, "\\*", nullptr))
        return nullptr;
    Listing* listing = (Listing*)malloc(sizeof *listing);
    if (!listing)
        return nullptr;
    listing->find = FindFirstFileA(pattern, &listing->data);
    if (listing->find == INVALID_HANDLE_VALUE)
    {
        free(listing);
        return nullptr;
    }
    listing->pending = true;
    return listing;
}

int ListingNext(Listing* listing, ListingEntry* entry)
{
    if (!listing->pending && !FindNextFileA(listing->find, &listing->data))
        return 0;
    listing->pending = false;
    const WIN32_FIND_DATAA& data = listing->data;
    entry->attributes = (unsigned)data.dwFileAttributes;
    entry->size = ((uint64_t)data.nFileSizeHigh << 32) | data.nFileSizeLow;
    size_t length = strlen(data.cFileName);
    if (length >= (size_t)kListingNameSize)
        length = kListingNameSize - 1;
    memcpy(entry->name, data.cFileName, length);
    entry->name[length] = 0;
    return 1;
}

void ListingClose(Listing* listing)
{
    FindClose(listing->find);
    free(listing);
}

int FileOpenRead(const char* path)
{
    return _open(path, _O_RDONLY | _O_BINARY | _O_NOINHERIT);
}

int FileCreate(const char* path)
{
    return _open(path, _O_WRONLY | _O_CREAT | _O_TRUNC | _O_BINARY | _O_NOINHERIT,
                 _S_IREAD | _S_IWRITE);
}

int FileCreateNew(const char* path)
{
    return _open(path, _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY | _O_NOINHERIT,
                 _S_IREAD | _S_IWRITE);
}

int FileClose(int fd)
{
    return _close(fd) == 0 ? 0 : -1;
}

int64_t FileRead(int fd, void* buffer, uint32_t count)
{
    // The runtime's read takes an int count; stay well inside it.
    if (count > 0x40000000u)
        count = 0x40000000u;
    return _read(fd, buffer, count);
}

int FileWriteAll(int fd, const void* buffer, uint32_t count)
{
    const char* p = (const char*)buffer;
    while (count > 0)
    {
        unsigned chunk = count > 0x40000000u ? 0x40000000u : count;
        int put = _write(fd, p, chunk);
        if (put <= 0)
            return -1;
        p += put;
        count -= (uint32_t)put;
    }
    return 0;
}

void FileStartFlush(int fd)
{
    (void)fd;
}

int FileCommit(int fd)
{
    return _commit(fd) == 0 ? 0 : -1;
}

int FileSeek(int fd, uint32_t offset)
{
    return _lseeki64(fd, (__int64)offset, SEEK_SET) == (__int64)offset ? 0 : -1;
}

int FileLength(int fd, uint64_t* length)
{
    __int64 size = _filelengthi64(fd);
    if (size < 0)
        return -1;
    *length = (uint64_t)size;
    return 0;
}

int FolderCreate(const char* path)
{
    return _mkdir(path) == 0 ? 0 : -1;
}

int FileReplace(const char* from, const char* to)
{
    return MoveFileExA(from, to, MOVEFILE_REPLACE_EXISTING) ? 0 : -1;
}

int FileRemove(const char* path)
{
    return _unlink(path) == 0 ? 0 : -1;
}

bool IsPathSeparator(char c)
{
    return c == '\\' || c == '/';
}

struct Thread
{
    HANDLE handle;
    void (*work)(void*);
    void* argument;
};

static DWORD WINAPI RunThread(LPVOID thread)
{
    Thread* t = (Thread*)thread;
    t->work(t->argument);
    return 0;
}

Thread* ThreadStart(void (*work)(void*), void* argument)
{
    Thread* thread = (Thread*)malloc(sizeof *thread);
    if (!thread)
        return nullptr;
    thread->work = work;
    thread->argument = argument;
    thread->handle = CreateThread(nullptr, 0, RunThread, thread, 0, nullptr);
    if (!thread->handle)
    {
        free(thread);
        return nullptr;
    }
    return thread;
}

void ThreadJoin(Thread* thread)
{
    WaitForSingleObject(thread->handle, INFINITE);
    CloseHandle(thread->handle);
    free(thread);
}

// Names compared as full paths, letter case aside: what NTFS takes as the
// same folder. A trailing separator does not change the folder.
bool IsCurrentFolder(const char* path)
{
    char full[MAX_PATH + 1], current[MAX_PATH + 1];
    DWORD a = GetFullPathNameA(path[0] ? path : ".", sizeof full, full, nullptr);
    DWORD b = GetFullPathNameA(".", sizeof current, current, nullptr);
    if (a == 0 || a >= sizeof full || b == 0 || b >= sizeof current)
        return false;
    if (a > 3 && full[a - 1] == '\\')
        full[a - 1] = 0;
    if (b > 3 && current[b - 1] == '\\')
        current[b - 1] = 0;
    return lstrcmpiA(full, current) == 0;
}

const bool kSyncAtEnd = false;

int SyncFileSystem(const char* folder)
{
    (void)folder;
    return 0;
}

// The Windows program is a GUI program with no console to draw on.
bool ProgressDue()
{
    return false;
}

void ShowProgress(const char* text)
{
    (void)text;
}

void EndProgress() {}
