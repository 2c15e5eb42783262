// A text written through a small buffer to a sink, with one failure flag for
// the whole text.
#include "platform/text_output.h"

#include "platform/platform.h"
#include "platform/text.h"

#include <string.h>

void BeginTextOutput(TextOutput* out, TextSink sink, void* target)
{
    out->sink = sink;
    out->target = target;
    out->failed = false;
    out->used = 0;
}

static void Drain(TextOutput* out)
{
    if (!out->failed && out->used > 0 && out->sink(out->target, out->buffer, out->used) != 0)
        out->failed = true;
    out->used = 0;
}

void PutBytes(TextOutput* out, const char* text, size_t length)
{
    while (length > 0)
    {
        if (out->used == (uint32_t)kTextOutputBufferSize)
            Drain(out);
        size_t room = kTextOutputBufferSize - out->used;
        size_t chunk = length < room ? length : room;
        memcpy(out->buffer + out->used, text, chunk);
        out->used += (uint32_t)chunk;
        text += chunk;
        length -= chunk;
    }
}

void PutText(TextOutput* out, const char* text)
{
    PutBytes(out, text, strlen(text));
}

void PutNumber(TextOutput* out, uint32_t value, unsigned base)
{
    char digits[kNumberTextSize];
    PutBytes(out, digits, (size_t)UnsignedText(digits, value, base));
}

static void PutConversion(TextOutput* out, char conversion, va_list* arguments)
{
    char text[kNumberTextSize];
    switch (conversion)
    {
    case 's':
        PutText(out, va_arg(*arguments, const char*));
        break;
    case 'c':
        text[0] = (char)va_arg(*arguments, int);
        PutBytes(out, text, 1);
        break;
    case 'd':
        PutBytes(out, text, (size_t)SignedText(text, va_arg(*arguments, int)));
        break;
    case 'u':
        PutNumber(out, va_arg(*arguments, unsigned), 10);
        break;
    case 'x':
        PutNumber(out, va_arg(*arguments, unsigned), 16);
        break;
    }
}

void PutFormatted(TextOutput* out, const char* format, va_list arguments)
{
    // A va_list cannot be handed on by pointer portably; a copy can.
    va_list rest;
    va_copy(rest, arguments);
    for (const char* p = format; *p; ++p)
    {
        if (p[0] == '%' && p[1] && strchr("scdux", p[1]))
            PutConversion(out, *++p, &rest);
        else if (p[0] == '%' && p[1] == '%')
            PutBytes(out, ++p, 1);
        else
            PutBytes(out, p, 1);
    }
    va_end(rest);
}

int FinishTextOutput(TextOutput* out)
{
    Drain(out);
    return out->failed ? -1 : 0;
}

int FileSink(void* target, const char* text, uint32_t length)
{
    return FileWriteAll(*(const int*)target, text, length);
}
