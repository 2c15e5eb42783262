// The source embedding writer: data.bin to data.cpp.
#ifndef TREMLOK_DATAFILE_DATACPP_WRITER_H
#define TREMLOK_DATAFILE_DATACPP_WRITER_H

#include <stdint.h>

// data.cpp written alongside data.bin, from the data file's bytes as the
// builder writes them. Its first lines hold the data file's length and
// total size, known only at the end: the bytes are held in memory while
// they are few, then their text is written where the builder's forecast of
// those two numbers puts it. When the forecast was wrong the text is
// written again from the finished data file.
struct DataCppWriter
{
    int fd;
    const char* path;
    uint32_t taken;          // data file bytes taken so far
    unsigned char first[32]; // the first row's bytes, written last
    unsigned char* held;     // the bytes after them, while the text is not placed
    uint32_t heldLength;
    uint32_t heldSize;
    uint32_t firstHeldSize;
    char* text; // text not yet written
    uint32_t textLength;
    uint32_t placed; // where the second row begins in the file; 0 while held
    // The builder's forecast, read when the text must be placed.
    uint32_t expectedLength;
    uint32_t expectedTotal;
    bool failed; // a write failed or memory ran out: reported at the end
};

// Data file bytes held before the text is placed: the whole of a data file
// of up to 32 MB, which is then placed without a forecast, and enough of a
// bigger one to forecast from; up to four times as many when the forecast
// is close to a power of ten.
const uint32_t kDataCppHeldBytes = 32u << 20;

// Creates cppPath and starts its text, holding up to held bytes. Returns
// 0, or 1 after reporting.
int DataCppBegin(DataCppWriter* writer, const char* cppPath, uint32_t held = kDataCppHeldBytes);

// The next count bytes of the data file: a multiple of 4 in every call but
// the last, and at least 32 in the first unless it is the last.
void DataCppTake(DataCppWriter* writer, const void* bytes, uint32_t count);

// Completes the text of a data file that begins with total, and closes it.
// binPath, the finished data file, is read only when the forecast was
// wrong. Returns 0, or 1 after reporting, with cppPath removed.
int DataCppEnd(DataCppWriter* writer, uint32_t total, const char* binPath);

// Closes and removes a data.cpp that will not be finished.
void DataCppAbandon(DataCppWriter* writer);

// Reads the data file at binPath and writes the source text declaring
// gSizeDatfile and gDatfile to cppPath. Returns 0 on success, 1 on failure
// (reported on standard error, cppPath removed). On success binLength, when
// given, gets the data file's length.
int WriteDataCpp(const char* binPath, const char* cppPath, uint64_t* binLength = nullptr);

#endif
