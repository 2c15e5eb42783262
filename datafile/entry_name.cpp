// Entry names come from the data file, which may be damaged or crafted: a name
// is only ever joined to the destination after it passes this check.
#include "datafile/entry_name.h"

#include <string.h>

static bool IsRefusedChar(unsigned char c)
{
    return c < 0x20 || strchr("<>\"|?*/:", c) != nullptr;
}

static char Upper(char c)
{
    return (c >= 'a' && c <= 'z') ? (char)(c - 32) : c;
}

// Windows code pages 1252 and others write superscript 1, 2 and 3 as these
// bytes, and Windows takes COM1-COM3 spelt with them as devices too.
static bool IsDeviceDigit(unsigned char c)
{
    return (c >= '1' && c <= '9') || c == 0xB9 || c == 0xB2 || c == 0xB3;
}

// A device name stays a device with any extension and with trailing spaces
// before it, so only the part before the first dot, less those spaces, counts.
static bool IsDeviceName(const char* component, size_t length)
{
    const char* dot = (const char*)memchr(component, '.', length);
    size_t base = dot ? (size_t)(dot - component) : length;
    while (base > 0 && component[base - 1] == ' ')
        --base;
    char upper[4];
    if (base < 3 || base > 4)
        return false;
    for (size_t i = 0; i < 3; ++i)
        upper[i] = Upper(component[i]);
    upper[3] = 0;
    if (base == 3)
        return !strcmp(upper, "CON") || !strcmp(upper, "PRN") || !strcmp(upper, "AUX") ||
               !strcmp(upper, "NUL");
    return (!strcmp(upper, "COM") || !strcmp(upper, "LPT")) &&
           IsDeviceDigit((unsigned char)component[3]);
}

static bool IsSafeComponent(const char* component, size_t length)
{
    if (length == 0)
        return false;
    for (size_t i = 0; i < length; ++i)
    {
        if (IsRefusedChar((unsigned char)component[i]))
            return false;
    }
    // Windows drops a trailing dot or space, so "a." would land on "a"; the
    // rule also refuses "." and "..".
    char last = component[length - 1];
    if (last == '.' || last == ' ')
        return false;
    return !IsDeviceName(component, length);
}

bool IsSafeEntryName(const char* name)
{
    if (name[0] != '\\')
        return false;
    const char* component = name + 1;
    for (;;)
    {
        const char* end = strchr(component, '\\');
        size_t length = end ? (size_t)(end - component) : strlen(component);
        if (!IsSafeComponent(component, length))
            return false;
        if (!end)
            return true;
        component = end + 1;
    }
}
