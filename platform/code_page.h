// Names in a data file are in a single-byte Windows code page, file names
// on Linux in UTF-8. POSIX only: the Windows program lists and opens files
// in the ANSI code page, the one its names are stored in.
#ifndef TREMLOK_PLATFORM_CODE_PAGE_H
#define TREMLOK_PLATFORM_CODE_PAGE_H

#include <stddef.h>
#include <stdint.h>

const unsigned kDefaultCodePage = 1252;

// Chooses the code page names are converted with: 874 or 1250 to 1258.
// False, leaving the choice as it was, for any other.
bool SelectCodePage(unsigned codePage);
unsigned SelectedCodePage();

// What CodePageFromUtf8 returns for text that is not valid UTF-8.
const uint32_t kNotUtf8 = 0xFFFFFFFFu;

// Writes the UTF-8 text as the selected code page holds it into out (size
// bytes; the text's own length and its terminator always suffice). Returns
// 0; or the first character the code page has no byte for, or kNotUtf8
// (also when out is too small), with out left empty.
uint32_t CodePageFromUtf8(const char* text, char* out, size_t size);

// Compares two UTF-8 names as NTFS orders them, by the upper case of their
// characters as far as the selected code page holds it: 0 for two names
// that Windows takes for one file.
int CompareNamesFolded(const char* a, const char* b);

enum CodePageText
{
    kTextWhole,
    kTextCut,      // out holds the characters that fit, none cut in two
    kTextUndefined // a byte the code page leaves undefined; out is empty
};

// Writes name, in the selected code page, as UTF-8 into out (size bytes).
CodePageText Utf8FromCodePage(const char* name, char* out, size_t size);

#endif
