// Any input comes back through each encoder and its decoder, coded within
// the worst case, its stream ending itself ahead of other bytes; an encoder
// given one byte too little room fails instead of writing past it.
#include "coders/coder.h"
#include "coders/delta.h"
#include "coders/lzw.h"
#include "fuzz/fuzz_check.h"

#include <stdint.h>
#include <vector>

typedef std::vector<unsigned char> Bytes;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > (1u << 24))
        return 0;
    const uint32_t n = (uint32_t)size;
    const Bytes input(data, data + size);
    for (bool lzw : {true, false})
    {
        const char* name = lzw ? "LZW" : "delta";
        auto encode = lzw ? LzwEncode : DeltaEncode;
        auto decode = lzw ? LzwDecode : DeltaDecode;
        // A 14-bit code a byte and the end code; two bytes a byte and the 0.
        const uint32_t worst = lzw ? (n ? (14 * n + 21) / 8 : 4) : 2 * n + 1;
        Bytes coded(CoderOutputBound(n));
        const uint32_t length =
            encode(input.data(), (int32_t)n, coded.data(), (uint32_t)coded.size());
        FUZZ_CHECK(length != kCoderFailed && length <= worst, "%s: %u bytes coded as %u, worst %u",
                   name, n, length, worst);
        Bytes tight(length - 1);
        FUZZ_CHECK(encode(input.data(), (int32_t)n, tight.data(), length - 1) == kCoderFailed,
                   "%s: %u bytes coded into %u bytes of room", name, n, length - 1);
        // The stream, followed by the input itself.
        coded.resize(length);
        coded.insert(coded.end(), input.begin(), input.end());
        Bytes decoded(n);
        const uint32_t used = decode(coded.data(), (uint32_t)coded.size(), decoded.data(), n);
        FUZZ_CHECK(used == length && decoded == input, "%s: %u bytes came back as %u from %u", name,
                   n, used, length);
    }
    return 0;
}
