// The one place where the Windows and POSIX builds differ: file descriptors,
// directory listing, folders, and error reporting. Everything above this
// layer is the same source on both.
#ifndef TREMLOK_PLATFORM_PLATFORM_H
#define TREMLOK_PLATFORM_PLATFORM_H

#include <stddef.h>
#include <stdint.h>

#ifdef _WIN32
const char kPathSeparator = '\\';
// A path may begin with a drive, "C:", whose root is never made.
const bool kPathsHaveDrives = true;
// Names that differ only in letter case name the same file.
const bool kNamesIgnoreCase = true;
// Names listed here are already as the data file holds them: in the
// Windows code page, with no '\' inside one.
const bool kNamesAreArchiveNames = true;
// The line end of a text file written here (data.cpp).
const char kTextLineEnd[] = "\r\n";
// The Windows program must stay within its size: what only speeds up the
// packager's tool is left out of it.
const bool kLeanProgram = true;
#else
const char kPathSeparator = '/';
const bool kPathsHaveDrives = false;
const bool kNamesIgnoreCase = false;
const bool kNamesAreArchiveNames = false;
const char kTextLineEnd[] = "\n";
const bool kLeanProgram = false;
#endif

// Attribute bit of a listing entry that marks a folder, as find-first reports it.
const unsigned kAttributeDirectory = 0x10;

// Longest name a listing entry may carry, terminator included.
const int kListingNameSize = 260;

// One entry of a folder listing.
struct ListingEntry
{
    unsigned attributes;
    uint64_t size;
    char name[kListingNameSize];
};

struct Listing;

// Opens a listing of folder. Returns null when the folder cannot be listed.
// On POSIX the entries come sorted case-insensitively, byte by byte (the
// order NTFS lists them), so the same tree always gives the same data file.
Listing* ListingOpen(const char* folder);

// Fills entry with the next entry. Returns 1 for an entry, 0 at the end and
// -1 when an entry cannot be described (name too long, stat failed, on
// POSIX neither a regular file nor a folder); the
// failing name is then in entry->name, cut to fit.
int ListingNext(Listing* listing, ListingEntry* entry);

void ListingClose(Listing* listing);

// Binary file descriptors. Each returns -1 on failure.
int FileOpenRead(const char* path);
int FileCreate(const char* path);    // create or truncate, read and write permission
int FileCreateNew(const char* path); // as FileCreate, but fails where path exists
int FileClose(int fd);

// Reads up to count bytes; returns the count read, 0 at end of file, -1 on error.
int64_t FileRead(int fd, void* buffer, uint32_t count);

// Writes all count bytes. Returns 0 on success, -1 on any failure.
int FileWriteAll(int fd, const void* buffer, uint32_t count);

// Flushes the file's data to the disk. Returns 0 on success.
int FileCommit(int fd);

// Starts writing fd's data to the disk without waiting for it, so that a
// flush at the end of the run finds less to do. Nothing on Windows, where
// each file is committed as it is written.
void FileStartFlush(int fd);

// Moves the descriptor to an absolute offset. Returns 0 on success.
int FileSeek(int fd, uint32_t offset);

// Length of an open file. Returns 0 on success.
int FileLength(int fd, uint64_t* length);

enum ReadWholeResult
{
    kReadWhole = 0,
    kReadFailed = -1,   // cannot be opened or read, or changed length while read
    kReadTooLarge = -2, // 4 GiB or more
    kReadNoMemory = -3
};

// Reads a whole file into a new heap buffer (free with free()).
ReadWholeResult FileReadWhole(const char* path, unsigned char** data, uint32_t* length);

// Creates one folder. Returns 0 when it was created, -1 when not (it exists
// already, or any other reason).
int FolderCreate(const char* path);

// Renames from over to, replacing to whole if it exists. Returns 0 on success.
int FileReplace(const char* from, const char* to);

#ifdef _WIN32
// FileReplace where MoveFileExA is not implemented (Windows 95, 98, Me): a
// plain move, with the target removed first only when it is in the way.
int FileReplaceByMove(const char* from, const char* to);
#endif

// Deletes a file. Returns 0 on success.
int FileRemove(const char* path);

// True when c separates folder levels on this platform.
bool IsPathSeparator(char c);

// The character after the one at text, which is not its end: on Chinese,
// Japanese and Korean Windows one character may take two bytes, the second
// of them often 0x5C, a backslash.
const char* NextCharacter(const char* text);

// A thread running one function; the coders own all their state, so files
// can be coded side by side.
struct Thread;

// Starts work(argument) on a new thread. Returns null when it cannot be
// started; the caller then runs the work itself.
Thread* ThreadStart(void (*work)(void*), void* argument);

// Waits until the thread's work has returned and releases the thread.
void ThreadJoin(Thread* thread);

// How many processors this process may run on at once; at least 1.
int ProcessorCount();

// The length of path's first prefix, past its first from bytes, that names
// a symbolic link, or 0 when none does: a folder of the data file standing
// there would be written through it, somewhere else. The Windows program
// has no such check: there only an administrator makes links.
size_t LinkInPath(const char* path, size_t from);

// True when path names the current directory (the same folder, however
// written); false when either cannot be looked up.
bool IsCurrentFolder(const char* path);

// True on POSIX, where the tool writes its files unflushed and then flushes
// the whole file system at once with SyncFileSystem; false on Windows, where
// each file is flushed as it is written.
extern const bool kSyncAtEnd;

// Flushes every file written under folder to the disk. Returns 0 on success.
int SyncFileSystem(const char* folder);

// The tool modes' progress line on standard error, only when it is a
// terminal: redrawn in place at most a few times a second. text is the line
// without its line end. EndProgress clears it before any other output.
bool ProgressDue();
void ShowProgress(const char* text);
void EndProgress();

// Writes "setup: <message>" and a line end to standard error. The tool modes
// report what failed this way; the install wizard shows no messages of its own.
// format takes only %s, %c, %d, %u, %x and %%, without flags or widths: the
// Windows build formats it with PutFormatted (platform/text_output.h).
void ReportError(const char* format, ...)
#ifdef __GNUC__
    __attribute__((format(printf, 1, 2)))
#endif
    ;

#endif
