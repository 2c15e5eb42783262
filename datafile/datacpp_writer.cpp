// data.cpp: the data file as an array of 32-bit words, eight to a row.
#include "datafile/datacpp_writer.h"

#include "datafile/format.h"
#include "platform/platform.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <string>

// Item i is bytes 4i to 4i + 3 of the data file, little-endian, with zero
// bytes past its end.
static uint32_t Item(const unsigned char* data, uint32_t n, uint32_t offset)
{
    unsigned char word[4] = {0, 0, 0, 0};
    memcpy(word, data + offset, n - offset < 4 ? n - offset : 4);
    return ReadLe32(word);
}

static void PrintSource(FILE* out, const unsigned char* data, uint32_t n)
{
    fprintf(out, "unsigned int gSizeDatfile = %d;\n", (int)n);
    // One word more than needed when n is a multiple of 4: the compiler
    // zero-fills it, and the array always ends in a zero byte or more.
    fprintf(out, "unsigned int gDatfile[%d] = \n", (int)(((n | 3) + 1) / 4));
    fputs("{\n", out);
    for (uint32_t offset = 0; offset < n; offset += 4)
    {
        if (offset % 32 == 0)
            fputs("    ", out);
        fprintf(out, "0x%x, ", (unsigned)Item(data, n, offset));
        if (offset % 32 == 28)
            fputs("\n", out);
    }
    fputs("\n};\n", out);
}

// Text mode on purpose: the generated file gets the platform's line ends.
static int PrintSourceFile(const char* cppPath, const unsigned char* data, uint32_t n)
{
    FILE* out = fopen(cppPath, "w");
    if (!out)
    {
        ReportError("%s: cannot be created", cppPath);
        return 1;
    }
    PrintSource(out, data, n);
    bool written = !ferror(out);
    written = fclose(out) == 0 && written;
    if (written)
        return 0;
    ReportError("%s: cannot be written", cppPath);
    FileRemove(cppPath);
    return 1;
}

int WriteDataCppText(const char* binPath, const char* cppPath)
{
    unsigned char* data = nullptr;
    uint32_t n = 0;
    int read = FileReadWhole(binPath, &data, &n);
    if (read != 0)
    {
        ReportError("%s: %s", binPath, read == -2 ? "4 GiB or larger" : "cannot be read");
        return 1;
    }
    int result = 1;
    if (n < kEmptyDataFileLength)
        ReportError("%s: too short to be a data file (%u bytes)", binPath, (unsigned)n);
    else if (n >= 0x80000000u)
        ReportError("%s: 2 GiB or larger, too large to embed", binPath);
    else
        result = PrintSourceFile(cppPath, data, n);
    free(data);
    return result;
}

int WriteDataCppFrom(const char* binPath, const char* cppPath)
{
    std::string temporary = std::string(cppPath) + ".tmp";
    if (WriteDataCppText(binPath, temporary.c_str()) != 0)
        return 1;
    if (FileReplace(temporary.c_str(), cppPath) != 0)
    {
        ReportError("%s: cannot be replaced", cppPath);
        FileRemove(temporary.c_str());
        return 1;
    }
    return 0;
}

int WriteDataCpp()
{
    return WriteDataCppFrom("data.bin", "data.cpp");
}
