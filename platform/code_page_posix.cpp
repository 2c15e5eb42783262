// Both directions go through the code page's table of its upper 128 bytes;
// the lower 128 are ASCII in every code page offered.
#include "platform/code_page.h"

#include <string.h>

struct CodePageTable
{
    unsigned codePage;
    uint16_t unicode[128];        // Unicode of bytes 0x80 to 0xFF; 0 where undefined
    unsigned char upperCase[128]; // the byte of each one's upper case
};

static const CodePageTable kTables[] = {
#include "platform/code_page_tables_posix.inc"
};

static const CodePageTable* gCodePage = &kTables[3]; // kDefaultCodePage

bool SelectCodePage(unsigned codePage)
{
    for (const CodePageTable& table : kTables)
    {
        if (table.codePage == codePage)
        {
            gCodePage = &table;
            return true;
        }
    }
    return false;
}

unsigned SelectedCodePage()
{
    return gCodePage->codePage;
}

// Decodes the character at *p and moves past it; kNotUtf8, not moving, for
// a malformed, overlong or surrogate sequence.
static uint32_t NextUtf8(const unsigned char** p)
{
    const unsigned char* s = *p;
    int extra = s[0] < 0x80   ? 0
                : s[0] < 0xC2 ? -1
                : s[0] < 0xE0 ? 1
                : s[0] < 0xF0 ? 2
                : s[0] < 0xF5 ? 3
                              : -1;
    if (extra < 0)
        return kNotUtf8;
    uint32_t c = extra == 0 ? s[0] : s[0] & (0x3F >> extra);
    for (int i = 1; i <= extra; ++i)
    {
        if ((s[i] & 0xC0) != 0x80)
            return kNotUtf8;
        c = c << 6 | (s[i] & 0x3F);
    }
    static const uint32_t kLeast[] = {0, 0x80, 0x800, 0x10000};
    if (c < kLeast[extra] || c > 0x10FFFF || (c >= 0xD800 && c < 0xE000))
        return kNotUtf8;
    *p = s + extra + 1;
    return c;
}

static int ByteFor(uint32_t c)
{
    if (c < 0x80)
        return (int)c;
    for (int i = 0; i < 128; ++i)
    {
        if (gCodePage->unicode[i] == c)
            return 0x80 + i;
    }
    return -1;
}

// The upper case of c as Windows compares names: for a character of the
// code page, the one its upper case byte stands for.
static uint32_t Folded(uint32_t c)
{
    if (c >= 'a' && c <= 'z')
        return c - 32;
    int byte = c < 0x80 ? -1 : ByteFor(c);
    return byte < 0 ? c : gCodePage->unicode[gCodePage->upperCase[byte - 0x80] - 0x80];
}

int CompareNamesFolded(const char* a, const char* b)
{
    const unsigned char* p = (const unsigned char*)a;
    const unsigned char* q = (const unsigned char*)b;
    while (*p && *q)
    {
        // A byte that is no UTF-8 compares past every character.
        uint32_t x = NextUtf8(&p), y = NextUtf8(&q);
        x = x == kNotUtf8 ? 0x110000u + *p++ : Folded(x);
        y = y == kNotUtf8 ? 0x110000u + *q++ : Folded(y);
        if (x != y)
            return x < y ? -1 : 1;
    }
    return (*p != 0) - (*q != 0);
}

uint32_t CodePageFromUtf8(const char* text, char* out, size_t size)
{
    size_t used = 0;
    for (const unsigned char* p = (const unsigned char*)text; *p;)
    {
        uint32_t c = NextUtf8(&p);
        int byte = c == kNotUtf8 ? -1 : ByteFor(c);
        if (byte < 0 || used + 1 >= size)
        {
            if (size > 0)
                out[0] = 0;
            return byte < 0 ? c : kNotUtf8;
        }
        out[used++] = (char)byte;
    }
    if (size > 0)
        out[used] = 0;
    return 0;
}

CodePageText Utf8FromCodePage(const char* name, char* out, size_t size)
{
    size_t used = 0;
    CodePageText result = kTextWhole;
    for (const unsigned char* p = (const unsigned char*)name; *p; ++p)
    {
        uint32_t c = *p < 0x80 ? *p : gCodePage->unicode[*p - 0x80];
        if (c == 0)
        {
            out[0] = 0;
            return kTextUndefined;
        }
        size_t length = c < 0x80 ? 1 : c < 0x800 ? 2 : 3;
        if (result == kTextCut || used + length >= size)
        {
            result = kTextCut;
            continue;
        }
        if (length == 1)
            out[used++] = (char)c;
        else
        {
            out[used++] = (char)(length == 2 ? 0xC0 | c >> 6 : 0xE0 | c >> 12);
            if (length == 3)
                out[used++] = (char)(0x80 | (c >> 6 & 0x3F));
            out[used++] = (char)(0x80 | (c & 0x3F));
        }
    }
    out[used] = 0;
    return result;
}
