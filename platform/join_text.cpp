// JoinText: texts joined into a fixed buffer, left empty when they do not fit.
#include "platform/text.h"

#include <stdarg.h>
#include <string.h>

bool JoinText(char* out, size_t size, const char* first, ...)
{
    if (size == 0)
        return false;
    va_list parts;
    va_start(parts, first);
    size_t used = 0;
    bool fits = true;
    for (const char* part = first; part && fits; part = va_arg(parts, const char*))
    {
        size_t length = strlen(part);
        fits = length < size - used;
        if (fits)
        {
            memcpy(out + used, part, length);
            used += length;
        }
    }
    va_end(parts);
    out[fits ? used : 0] = 0;
    return fits;
}
