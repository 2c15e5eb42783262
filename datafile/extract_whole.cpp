// The -e mode: all of a data file into a folder in one call. data.bin is
// read through a window that always holds the whole next record, so coded
// payloads, whose length only the decoder learns, are decoded in place
// exactly as from the embedded image, and memory follows the largest entry
// rather than the data file.
#include "datafile/extract_whole.h"

#include "datafile/extract_entry.h"
#include "datafile/extract_state.h"
#include "datafile/tool_messages.h"
#include "platform/platform.h"
#include "platform/text.h"

#include <stdlib.h>
#include <string.h>

static const char kDataBinName[] = "data.bin";
static const size_t kReadBytes = 4 << 20;

struct DataFileWindow
{
    const char* name; // the file, for messages
    int fd;
    uint64_t unread; // bytes of data.bin not yet in the buffer
    unsigned char* buffer;
    size_t capacity;
    size_t start; // the next record
    size_t end;   // end of the bytes read
};

// The buffer holds at least this much, so that bytes already read are moved
// to its start only once in a while rather than on every read.
static const size_t kLeastWindow = 4 * kReadBytes;

// Makes at least need bytes from start available, or all that remain of
// data.bin. Returns false when it cannot be read or memory runs out.
static bool Fill(DataFileWindow* w, uint64_t need)
{
    size_t held = w->end - w->start;
    if (held >= need || w->unread == 0)
        return true;
    uint64_t want = held + (w->unread < kReadBytes ? w->unread : kReadBytes);
    if (want < need)
        want = need < held + w->unread ? need : held + w->unread;
    if (w->start + want > w->capacity)
    {
        if (want > w->capacity || !w->buffer)
        {
            size_t capacity = want > kLeastWindow ? (size_t)want : kLeastWindow;
            unsigned char* grown = (unsigned char*)malloc(capacity);
            if (!grown)
                return false;
            if (held > 0)
                memcpy(grown, w->buffer + w->start, held);
            free(w->buffer);
            w->buffer = grown;
            w->capacity = capacity;
        }
        else if (held > 0)
            memmove(w->buffer, w->buffer + w->start, held);
        w->start = 0;
        w->end = held;
    }
    while (w->end - w->start < want)
    {
        int64_t got = FileRead(w->fd, w->buffer + w->end, (uint32_t)(want - (w->end - w->start)));
        if (got <= 0)
            return false; // shorter than its length said, or a read error
        w->end += (size_t)got;
        w->unread -= (uint64_t)got;
    }
    return true;
}

// Brings the whole next record into the window, or all that is left of the
// file: a record cut short is then damage that the engine reports.
static bool FillRecord(DataFileWindow* w)
{
    size_t scanned = 0;
    for (;;)
    {
        const size_t held = w->end - w->start;
        if (!Fill(w, RecordExtent(w->buffer + w->start, held, &scanned)))
            return false;
        if (w->end - w->start == held)
            return true; // it holds the record, or the file has no more
    }
}

// The tool's wording of what happened to an entry, in EntryProblem's order.
// The Windows program never meets a link (it does not look for one) and
// has no room for the text.
static const char* const kProblemTexts[] = {"",
                                            "no destination folder given",
                                            "data file damaged",
                                            "entry name would leave the destination folder",
                                            "out of memory",
                                            kLeanProgram ? ""
                                                         : "not written through the symbolic link",
                                            "entry name too long",
                                            "path too long",
                                            "cannot be written"};

static void ShowExtractProgress()
{
    if (!ProgressDue())
        return;
    char files[kNumberTextSize], megabytes[kNumberTextSize], line[64];
    UnsignedText(files, gExtractFiles, 10);
    UnsignedText(megabytes, (uint32_t)(gExtractBytes >> 20), 10);
    if (JoinText(line, sizeof line, "setup: ", files, " files, ", megabytes, " MB", nullptr))
        ShowProgress(line);
}

// Returns 0 when every entry was written, 1 otherwise.
static int ExtractAll(const char* folder, DataFileWindow* window)
{
    int result = 0;
    for (;;)
    {
        if (!FillRecord(window))
        {
            ReportError(kCannotBeRead, window->name);
            return 1;
        }
        DataFileSpan span = {window->buffer + window->start, window->buffer + window->end};
        EntryResult entry;
        EntryOutcome outcome = ExtractEntry(folder, &span, kWriteThroughTemporary, &entry);
        window->start = (size_t)(span.cursor - window->buffer);
        if (outcome == kEntryEnd)
            return result;
        if (outcome == kEntryFailed)
        {
            if (!entry.path[0])
                ReportError("%s: %s", window->name, kProblemTexts[entry.problem]);
            else
                ReportError("%s: %s at %s", window->name, kProblemTexts[entry.problem], entry.path);
            return 1;
        }
        if (outcome == kEntrySkipped)
        {
            ReportError("%s: %s", entry.path, kProblemTexts[entry.problem]);
            result = 1;
            continue;
        }
        gExtractFiles += 1;
        gExtractBytes += entry.size;
        ShowExtractProgress();
    }
}

// Extracts the records that start at the window's start, after the total
// size, and flushes what was written.
static int ExtractWindow(const char* folder, DataFileWindow* window)
{
    int result = ExtractAll(folder, window);
    EndProgress();
    // Every file is on the disk before the run says so.
    if (kSyncAtEnd && gExtractFiles > 0 && SyncFileSystem(folder) != 0)
    {
        ReportError("%s: cannot be flushed to the disk", folder);
        result = 1;
    }
    return result;
}

bool DataFileLengthFits(const char* name, uint64_t length)
{
    if (length >= 0x100000000ull)
        ReportError("%s: 4 GiB or larger", name);
    else if (length < kEmptyDataFileLength)
        ReportError(kTooShortForDataFile, name, (unsigned)length);
    else
        return true;
    return false;
}

// Refuses an empty folder as ExtractEntry would, before anything is read.
static bool StartExtraction(const char* folder)
{
    ResetExtractState();
    if (folder && folder[0])
        return true;
    ReportError("%s", kProblemTexts[kProblemNoDestination]);
    return false;
}

int ExtractDataFile(const char* folder, const char* path)
{
    if (!StartExtraction(folder))
        return 1;
    DataFileWindow window = {path, FileOpenRead(path), 0, nullptr, 0, 0, 0};
    uint64_t length = 0;
    bool readable = window.fd >= 0 && FileLength(window.fd, &length) == 0;
    int result = 1;
    if (readable && DataFileLengthFits(path, length))
    {
        window.unread = length;
        readable = Fill(&window, 4);
        window.start = 4; // the total size: only the wizard's progress needs it
        if (readable)
            result = ExtractWindow(folder, &window);
    }
    if (!readable)
        ReportError("%s: cannot be opened or read", path);
    if (window.fd >= 0)
        FileClose(window.fd);
    free(window.buffer);
    return result;
}

int ExtractDataBin(const char* folder)
{
    return ExtractDataFile(folder, kDataBinName);
}

int ExtractImageInMemory(const char* folder, const char* name, const unsigned char* image,
                         uint32_t length)
{
    if (!StartExtraction(folder) || !DataFileLengthFits(name, length))
        return 1;
    // The whole image is in the window already: nothing is left to read.
    DataFileWindow window = {name, -1, 0, (unsigned char*)image, length, 4, length};
    return ExtractWindow(folder, &window);
}
