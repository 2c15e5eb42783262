// The Windows file and folder services, straight over the system's file
// handles and find-first/find-next: the shipped program links no C runtime
// DLL, which the first releases of Windows 95 lack.
#include "platform/platform.h"

#include "platform/text.h"

#include <stdlib.h>
#include <string.h>
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

// A descriptor is the file's handle itself: Windows keeps handles within 32
// bits even in 64-bit processes, and INVALID_HANDLE_VALUE becomes -1.
static int Descriptor(HANDLE handle)
{
    return (int)(intptr_t)handle;
}

static HANDLE Handle(int fd)
{
    return (HANDLE)(intptr_t)fd;
}

// Others may read and write the file meanwhile, as with the C runtime's
// descriptors; a new file is a plain one, neither read-only nor hidden.
static int Open(const char* path, DWORD access, DWORD disposition)
{
    return Descriptor(CreateFileA(path, access, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL,
                                  disposition, FILE_ATTRIBUTE_NORMAL, NULL));
}

int FileOpenRead(const char* path)
{
    return Open(path, GENERIC_READ, OPEN_EXISTING);
}

int FileCreate(const char* path)
{
    return Open(path, GENERIC_WRITE, CREATE_ALWAYS);
}

int FileCreateNew(const char* path)
{
    return Open(path, GENERIC_WRITE, CREATE_NEW);
}

int FileClose(int fd)
{
    return CloseHandle(Handle(fd)) ? 0 : -1;
}

// A read or write of more than some tens of MB at once can fail on a network
// drive (ERROR_NO_SYSTEM_RESOURCES); callers loop over what is done.
const uint32_t kMostPerCall = 1u << 24;

int64_t FileRead(int fd, void* buffer, uint32_t count)
{
    DWORD got = 0;
    if (!ReadFile(Handle(fd), buffer, count < kMostPerCall ? count : kMostPerCall, &got, NULL))
        return -1;
    return got;
}

int FileWriteAll(int fd, const void* buffer, uint32_t count)
{
    const char* p = (const char*)buffer;
    while (count > 0)
    {
        DWORD put = 0;
        if (!WriteFile(Handle(fd), p, count < kMostPerCall ? count : kMostPerCall, &put, NULL) ||
            put == 0)
            return -1;
        p += put;
        count -= put;
    }
    return 0;
}

void FileStartFlush(int fd)
{
    (void)fd;
}

int FileCommit(int fd)
{
    return FlushFileBuffers(Handle(fd)) ? 0 : -1;
}

int FileSeek(int fd, uint32_t offset)
{
    // 0xFFFFFFFF is also a valid position; only the error code tells.
    SetLastError(NO_ERROR);
    LONG high = 0;
    DWORD low = SetFilePointer(Handle(fd), (LONG)offset, &high, FILE_BEGIN);
    return low == offset && high == 0 && GetLastError() == NO_ERROR ? 0 : -1;
}

int FileLength(int fd, uint64_t* length)
{
    DWORD high = 0;
    SetLastError(NO_ERROR);
    DWORD low = GetFileSize(Handle(fd), &high);
    if (low == INVALID_FILE_SIZE && GetLastError() != NO_ERROR)
        return -1;
    *length = ((uint64_t)high << 32) | low;
    return 0;
}

int FolderCreate(const char* path)
{
    return CreateDirectoryA(path, NULL) ? 0 : -1;
}

int FileReplaceByMove(const char* from, const char* to)
{
    if (MoveFileA(from, to))
        return 0;
    // Only a target in the way is removed; a missing source leaves it be.
    if (GetLastError() != ERROR_ALREADY_EXISTS && GetLastError() != ERROR_FILE_EXISTS)
        return -1;
    return DeleteFileA(to) && MoveFileA(from, to) ? 0 : -1;
}

// Windows 95, 98 and Me export MoveFileExA only as a stub that fails with
// ERROR_CALL_NOT_IMPLEMENTED; there the target goes first, then the move.
int FileReplace(const char* from, const char* to)
{
    if (MoveFileExA(from, to, MOVEFILE_REPLACE_EXISTING))
        return 0;
    return GetLastError() == ERROR_CALL_NOT_IMPLEMENTED ? FileReplaceByMove(from, to) : -1;
}

int FileRemove(const char* path)
{
    return DeleteFileA(path) ? 0 : -1;
}

bool IsPathSeparator(char c)
{
    return c == '\\' || c == '/';
}

size_t LinkInPath(const char*, size_t)
{
    return 0;
}

const char* NextCharacter(const char* text)
{
    return CharNextA(text);
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
    // Windows 95, 98 and Me fail the call without somewhere to put the id.
    DWORD id = 0;
    thread->handle = CreateThread(nullptr, 0, RunThread, thread, 0, &id);
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

// Looked up rather than imported: one more import would take the
// program's import table past its last 512-byte block, and the empty
// program past its size limit.
int ProcessorCount()
{
    SYSTEM_INFO info;
    info.dwNumberOfProcessors = 1;
    FARPROC get = GetProcAddress(GetModuleHandleA("kernel32.dll"), "GetSystemInfo");
    if (get)
        ((void(WINAPI*)(SYSTEM_INFO*))(void*)get)(&info);
    return (int)info.dwNumberOfProcessors;
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
