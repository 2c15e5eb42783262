// Any input comes back unchanged through each encoder and its decoder, the
// coded length stays within the worst case, the stream ends itself even
// when other bytes follow it, and an encoder given one byte too little room
// reports failure instead of writing past it.
#include "coders/coder.h"
#include "coders/delta.h"
#include "coders/lzw.h"
#include "fuzz/fuzz_check.h"

#include <stdlib.h>
#include <string.h>

typedef uint32_t (*EncodeFunction)(const unsigned char* input, int32_t n, unsigned char* output,
                                   uint32_t outputCapacity);
typedef uint32_t (*DecodeFunction)(const unsigned char* input, uint32_t inputLength,
                                   unsigned char* output, uint32_t size);

struct Coder
{
    const char* name;
    EncodeFunction encode;
    DecodeFunction decode;
    uint32_t (*worstCase)(uint32_t n);
};

// 14-bit codes, one per input byte plus the end code; two codes at least.
static uint32_t LzwWorstCase(uint32_t n)
{
    return n == 0 ? 4 : (14 * (n + 1) + 7) / 8;
}

// Two bytes per single-byte run, and the terminator.
static uint32_t DeltaWorstCase(uint32_t n)
{
    return 2 * n + 1;
}

static const Coder kCoders[] = {
    {"lzw", LzwEncode, LzwDecode, LzwWorstCase},
    {"delta", DeltaEncode, DeltaDecode, DeltaWorstCase},
};

static void RoundTrip(const Coder& coder, const unsigned char* input, uint32_t n)
{
    uint32_t capacity = CoderOutputBound(n);
    unsigned char* coded = (unsigned char*)malloc(capacity);
    uint32_t length = coder.encode(input, (int32_t)n, coded, capacity);
    FUZZ_CHECK(length != kCoderFailed, "%s: %u bytes failed to encode", coder.name, n);
    FUZZ_CHECK(length <= coder.worstCase(n), "%s: %u bytes coded as %u, worst case %u", coder.name,
               n, length, coder.worstCase(n));

    // The stream followed by the input itself: the decoder must stop at
    // the stream's own end.
    unsigned char* trailed = (unsigned char*)malloc(length + n);
    memcpy(trailed, coded, length);
    if (n)
        memcpy(trailed + length, input, n);
    unsigned char* decoded = (unsigned char*)malloc(n ? n : 1);
    uint32_t used = coder.decode(trailed, length + n, decoded, n);
    FUZZ_CHECK(used == length, "%s: %u-byte stream consumed as %u", coder.name, length, used);
    FUZZ_CHECK(n == 0 || memcmp(decoded, input, n) == 0, "%s: %u bytes came back different",
               coder.name, n);

    unsigned char* tight = (unsigned char*)malloc(length - 1 ? length - 1 : 1);
    FUZZ_CHECK(coder.encode(input, (int32_t)n, tight, length - 1) == kCoderFailed,
               "%s: encoding into %u bytes of room did not fail", coder.name, length - 1);
    free(tight);
    free(decoded);
    free(trailed);
    free(coded);
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > (1u << 24))
        return 0;
    for (const Coder& coder : kCoders)
        RoundTrip(coder, data, (uint32_t)size);
    return 0;
}
