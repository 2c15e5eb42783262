// DECODER (LzwDecode or DeltaDecode, set by the build) on three bytes whose
// low 20 bits are the size asked for, then any stream. The decoder stays in
// its buffers, exactly as long as stream and size (the sanitizers watch);
// a stream it accepts ends itself and stands for that size alone.
#include "coders/coder.h"
#include "coders/delta.h"
#include "coders/lzw.h"
#include "fuzz/fuzz_check.h"

#include <stdint.h>
#include <vector>

typedef std::vector<unsigned char> Bytes;

static uint32_t Decode(Bytes stream, uint32_t size, Bytes* output)
{
    *output = Bytes(size);
    return DECODER(stream.data(), (uint32_t)stream.size(), output->data(), size);
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 3)
        return 0;
    const uint32_t declared = (data[0] | data[1] << 8 | data[2] << 16) & 0xFFFFF;
    const Bytes stream(data + 3, data + size);
    Bytes output, again;
    const uint32_t used = Decode(stream, declared, &output);
    FUZZ_CHECK(used <= stream.size(), "%u bytes of a %zu-byte stream consumed", used,
               stream.size());
    if (used == kCoderFailed)
        return 0;
    const Bytes own(stream.begin(), stream.begin() + used);
    FUZZ_CHECK(Decode(own, declared, &again) == used && again == output,
               "the stream alone decodes differently");
    // Only LZW's coding of no bytes (code 0, end code) also stands for one 0.
    for (uint32_t other : {declared + 1, declared - 1})
    {
        const bool decodes = other <= 0x100000 && Decode(own, other, &again) != kCoderFailed;
        FUZZ_CHECK(!decodes ||
                       (declared + other == 1 && (declared ? output : again) == Bytes(1, 0)),
                   "a %u-byte stream for %u bytes also decodes to %u", used, declared, other);
    }
    return 0;
}
