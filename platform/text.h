// Joining texts and writing numbers into fixed buffers, in place of the C
// library's formatted output, which would bring a whole printf
// implementation into the shipped program.
#ifndef TREMLOK_PLATFORM_TEXT_H
#define TREMLOK_PLATFORM_TEXT_H

#include <stddef.h>
#include <stdint.h>

// Writes the texts before the closing null pointer one after another into
// out. Returns true when all of them fit in size bytes with the terminator;
// otherwise false with out left empty, so that a cut text is never used.
bool JoinText(char* out, size_t size, const char* first, ...)
#ifdef __GNUC__
    __attribute__((sentinel))
#endif
    ;

// Room for any 32-bit number written by the two functions below,
// terminator included.
const int kNumberTextSize = 12;

// Writes value in base 10 or 16 (lower-case digits, no prefix) into out,
// which holds kNumberTextSize bytes. Returns the length.
int UnsignedText(char* out, uint32_t value, unsigned base);

// Writes value in decimal, with a '-' when negative. Returns the length.
int SignedText(char* out, int32_t value);

#endif
