// Text written out through a small buffer: data.cpp, uninst.bat and the
// tool modes' error reports.
#ifndef TREMLOK_PLATFORM_TEXT_OUTPUT_H
#define TREMLOK_PLATFORM_TEXT_OUTPUT_H

#include <stdarg.h>
#include <stddef.h>
#include <stdint.h>

// Takes length bytes of text for target. Returns 0 when all were taken.
typedef int (*TextSink)(void* target, const char* text, uint32_t length);

const int kTextOutputBufferSize = 2048;

struct TextOutput
{
    TextSink sink;
    void* target;
    bool failed; // the sink refused some text; nothing more is handed to it
    uint32_t used;
    char buffer[kTextOutputBufferSize];
};

void BeginTextOutput(TextOutput* out, TextSink sink, void* target);

void PutBytes(TextOutput* out, const char* text, size_t length);
void PutText(TextOutput* out, const char* text);
void PutNumber(TextOutput* out, uint32_t value, unsigned base); // base 10 or 16

// printf's %s, %c, %d, %u, %x and %%, with no flags, widths or length
// modifiers; any other '%' sequence is copied as it stands.
void PutFormatted(TextOutput* out, const char* format, va_list arguments);

// Hands the rest of the buffer to the sink. Returns 0 when the sink took
// every byte put since BeginTextOutput, -1 otherwise.
int FinishTextOutput(TextOutput* out);

// A sink for a file descriptor from FileCreate; target points at the int.
int FileSink(void* target, const char* text, uint32_t length);

#endif
