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
    // A writer thread still reading files that lie in the buffer, waited
    // for before the bytes move; null when none is.
    Thread** reader;
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
        if (w->reader && *w->reader)
        {
            ThreadJoin(*w->reader);
            *w->reader = nullptr;
        }
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

// Reports an entry's outcome other than the end and counts a written one.
// Returns false when the run cannot go on; *result becomes 1 on any fault.
static bool TakeOutcome(const char* name, EntryOutcome outcome, const EntryResult& entry,
                        int* result)
{
    if (outcome == kEntryFailed)
    {
        if (!entry.path[0])
            ReportError("%s: %s", name, kProblemTexts[entry.problem]);
        else
            ReportError("%s: %s at %s", name, kProblemTexts[entry.problem], entry.path);
        *result = 1;
        return false;
    }
    if (outcome == kEntrySkipped)
    {
        ReportError("%s: %s", entry.path, kProblemTexts[entry.problem]);
        *result = 1;
        return true;
    }
    gExtractFiles += 1;
    gExtractBytes += entry.size;
    ShowExtractProgress();
    return true;
}

// Returns 0 when every entry was written, 1 otherwise.
static int ExtractOneByOne(const char* folder, DataFileWindow* window)
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
        if (!TakeOutcome(window->name, outcome, entry, &result))
            return result;
    }
}

// The Linux tool decodes on one processor while another writes: entries are
// decoded into a batch, and each full batch is written, in the data file's
// order, on a thread of its own while the next one is decoded. Two batches
// at most are held, each of kWriteBatchEntries files or about
// kWriteBatchBytes bytes (or one larger file), so memory follows the largest
// entry, as before. A stored file of kCopiedBytes or more is written from
// the window, where it lies: it ends its batch, and the window waits for
// that batch's writer before its bytes move. A smaller one is copied out.
const int kWriteBatchEntries = 32;
const uint32_t kWriteBatchBytes = 8 << 20;
const uint32_t kCopiedBytes = 64 << 10;

struct DecodedEntry
{
    EntryRecord record;
    EntryResult result;
    const unsigned char* data;
    unsigned char* owned;
    EntryOutcome outcome;
};

struct EntryBatch
{
    const char* folder;
    DecodedEntry entries[kWriteBatchEntries];
    int count;   // decoded
    int handled; // written or skipped, the last one failed when the writer stopped
    uint32_t bytes;
    bool inWindow; // its last file lies in the window
    Thread* writer;
};

static EntryBatch gBatches[2];

// Runs on the writer thread: touches the batch and the folders under it
// alone (gLastFolder is the writer's while a batch is out).
static void WriteBatch(void* argument)
{
    EntryBatch* batch = (EntryBatch*)argument;
    for (batch->handled = 0; batch->handled < batch->count;)
    {
        DecodedEntry& e = batch->entries[batch->handled++];
        e.outcome = WriteEntry(batch->folder, e.record, e.data, kWriteThroughTemporary, &e.result);
        if (e.outcome == kEntryFailed)
            return;
    }
}

static void StartWriting(EntryBatch* batch)
{
    if (batch->count == 0)
        return;
    batch->writer = ThreadStart(WriteBatch, batch);
    if (!batch->writer)
        WriteBatch(batch);
}

// Waits for the batch's writer, reports each entry in order and empties the
// batch. Returns false when the run cannot go on.
static bool FinishWriting(const char* name, EntryBatch* batch, int* result)
{
    if (batch->writer)
        ThreadJoin(batch->writer);
    batch->writer = nullptr;
    bool goOn = true;
    for (int i = 0; i < batch->count; ++i)
    {
        DecodedEntry& e = batch->entries[i];
        if (goOn && i < batch->handled)
            goOn = TakeOutcome(name, e.outcome, e.result, result);
        free(e.owned);
    }
    batch->count = 0;
    batch->handled = 0;
    batch->bytes = 0;
    batch->inWindow = false;
    return goOn;
}

// Why decoding stopped short of the end, reported once the entries before
// it are.
struct DecodeFault
{
    bool unreadable; // data.bin could not be read; otherwise entry says why
    EntryResult entry;
};

// Decodes the next entry into the batch.
static EntryOutcome DecodeInto(const char* folder, DataFileWindow* window, EntryBatch* batch,
                               DecodeFault* fault)
{
    fault->unreadable = !FillRecord(window);
    if (fault->unreadable)
        return kEntryFailed;
    DataFileSpan span = {window->buffer + window->start, window->buffer + window->end};
    DecodedEntry& e = batch->entries[batch->count];
    EntryOutcome outcome = DecodeEntry(folder, &span, &e.record, &e.data, &e.owned, &e.result);
    window->start = (size_t)(span.cursor - window->buffer);
    batch->inWindow =
        outcome == kEntryWritten && !e.owned && window->fd >= 0 && e.record.size >= kCopiedBytes;
    if (outcome == kEntryWritten && !e.owned && window->fd >= 0 && !batch->inWindow &&
        e.record.size > 0)
    {
        e.owned = (unsigned char*)malloc(e.record.size);
        if (e.owned)
        {
            memcpy(e.owned, e.data, e.record.size);
            e.data = e.owned;
        }
        else
        {
            e.result.problem = kProblemNoMemory;
            outcome = kEntryFailed;
        }
    }
    if (outcome == kEntryWritten)
    {
        batch->count += 1;
        batch->bytes += e.record.size;
        return outcome;
    }
    free(e.owned);
    e.owned = nullptr;
    if (outcome == kEntryFailed)
        fault->entry = e.result;
    return outcome;
}

// Returns 0 when every entry was written, 1 otherwise.
static int ExtractOverlapped(const char* folder, DataFileWindow* window)
{
    static DecodeFault fault;
    int result = 0;
    EntryBatch* writing = &gBatches[0];
    EntryBatch* decoding = &gBatches[1];
    writing->folder = decoding->folder = folder;
    for (;;)
    {
        EntryOutcome outcome = kEntryWritten;
        while (decoding->count < kWriteBatchEntries && decoding->bytes < kWriteBatchBytes &&
               !decoding->inWindow && outcome == kEntryWritten)
            outcome = DecodeInto(folder, window, decoding, &fault);
        if (!FinishWriting(window->name, writing, &result))
        {
            FinishWriting(window->name, decoding, &result); // frees it: nothing was handled
            return result;
        }
        StartWriting(decoding);
        if (outcome == kEntryWritten)
        {
            EntryBatch* written = writing;
            writing = decoding;
            decoding = written;
            window->reader = writing->inWindow ? &writing->writer : nullptr;
            continue;
        }
        if (FinishWriting(window->name, decoding, &result) && outcome == kEntryFailed)
        {
            if (fault.unreadable)
                ReportError("%s: cannot be read", window->name);
            else
                TakeOutcome(window->name, kEntryFailed, fault.entry, &result);
            result = 1;
        }
        return result;
    }
}

static int ExtractAll(const char* folder, DataFileWindow* window)
{
    return kLeanProgram ? ExtractOneByOne(folder, window) : ExtractOverlapped(folder, window);
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
    DataFileWindow window = {path, FileOpenRead(path), 0, nullptr, 0, 0, 0, nullptr};
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
    DataFileWindow window = {name, -1, 0, (unsigned char*)image, length, 4, length, nullptr};
    return ExtractWindow(folder, &window);
}
