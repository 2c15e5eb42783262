#include "fuzz/decoder_fuzz.h"

#include "coders/coder.h"
#include "fuzz/fuzz_check.h"

#include <stdlib.h>
#include <string.h>

// A heap block of exactly length bytes holding a copy of bytes.
static unsigned char* ExactCopy(const unsigned char* bytes, size_t length)
{
    unsigned char* copy = (unsigned char*)malloc(length ? length : 1);
    if (length)
        memcpy(copy, bytes, length);
    return copy;
}

// Decodes into a fresh block of exactly size bytes; the block is returned
// through output (free it) so the caller can compare.
static uint32_t DecodeInto(DecodeFunction decode, const unsigned char* stream, uint32_t length,
                           uint32_t size, unsigned char** output)
{
    *output = (unsigned char*)malloc(size ? size : 1);
    return decode(stream, length, *output, size);
}

// True when stream[0..length) decodes both to no bytes and to one 0 byte:
// the coding LZW gives the empty input, whose first code is that of byte 0.
static bool StandsForNothingOrZero(DecodeFunction decode, const unsigned char* stream,
                                   uint32_t length)
{
    unsigned char* output;
    bool nothing = DecodeInto(decode, stream, length, 0, &output) == length;
    free(output);
    bool zero = DecodeInto(decode, stream, length, 1, &output) == length && output[0] == 0;
    free(output);
    return nothing && zero;
}

void FuzzDecoder(DecodeFunction decode, const uint8_t* data, size_t size)
{
    if (size < kDeclaredSizeBytes)
        return;
    uint32_t declared = (data[0] | (data[1] << 8) | (data[2] << 16)) & kDeclaredSizeMask;
    uint32_t length = (uint32_t)(size - kDeclaredSizeBytes);
    unsigned char* stream = ExactCopy(data + kDeclaredSizeBytes, length);

    unsigned char* output;
    uint32_t used = DecodeInto(decode, stream, length, declared, &output);
    FUZZ_CHECK(used <= length, "consumed %u of a %u-byte stream", used, length);
    if (used != kCoderFailed)
    {
        // A stream ends itself: given only its own bytes it decodes the same.
        unsigned char* own = ExactCopy(stream, used);
        unsigned char* again;
        FUZZ_CHECK(DecodeInto(decode, own, used, declared, &again) == used,
                   "the stream alone decodes differently");
        FUZZ_CHECK(declared == 0 || memcmp(output, again, declared) == 0,
                   "the stream alone decodes to other bytes");
        free(again);
        // It stands for exactly the declared size, so any other size is
        // damage; only the coding of no bytes may also be one byte.
        bool ambiguous = declared <= 1 && StandsForNothingOrZero(decode, own, used);
        if (!ambiguous)
        {
            FUZZ_CHECK(DecodeInto(decode, own, used, declared + 1, &again) == kCoderFailed,
                       "a %u-byte stream also decodes to %u + 1 bytes", used, declared);
            free(again);
        }
        if (!ambiguous && declared > 0)
        {
            FUZZ_CHECK(DecodeInto(decode, own, used, declared - 1, &again) == kCoderFailed,
                       "a %u-byte stream also decodes to %u - 1 bytes", used, declared);
            free(again);
        }
        free(own);
    }
    free(output);
    free(stream);
}
