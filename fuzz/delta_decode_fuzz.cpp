// DeltaDecode on any bytes: never reads or writes outside its buffers, and
// a stream it accepts is self-delimiting and exactly the declared size.
#include "coders/delta.h"
#include "fuzz/decoder_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzDecoder(DeltaDecode, data, size);
    return 0;
}
