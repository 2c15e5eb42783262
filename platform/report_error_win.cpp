// Error reports of the tool modes on Windows, written straight to the
// standard error handle: the C runtime's stdio would bring its whole
// printf implementation into the shipped program.
#include "platform/platform.h"

#include "platform/text_output.h"

#include <stdarg.h>
#include <windows.h>

static int HandleSink(void* target, const char* text, uint32_t length)
{
    while (length > 0)
    {
        DWORD written = 0;
        if (!WriteFile((HANDLE)target, text, length, &written, NULL) || written == 0)
            return -1;
        text += written;
        length -= written;
    }
    return 0;
}

void ReportError(const char* format, ...)
{
    // A GUI program has a standard error handle only when its starter
    // passed one on.
    HANDLE handle = GetStdHandle(STD_ERROR_HANDLE);
    if (handle == NULL || handle == INVALID_HANDLE_VALUE)
        return;
    TextOutput out;
    BeginTextOutput(&out, HandleSink, handle);
    PutText(&out, "setup: ");
    va_list arguments;
    va_start(arguments, format);
    PutFormatted(&out, format, arguments);
    va_end(arguments);
    // The text-mode stderr stream this replaces ended lines with CR LF.
    PutText(&out, "\r\n");
    FinishTextOutput(&out);
}
