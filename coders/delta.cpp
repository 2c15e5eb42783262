// Method 'W': runs of 4-bit differences and runs of literal bytes, each run
// a control byte (bit 7 set for differences, low 7 bits the count) and its
// payload, ended by a 0 control byte.
#include "coders/delta.h"

#include "coders/coder.h"

#include <string.h>

namespace
{

const unsigned char kDeltaRun = 0x80;
const unsigned char kCountMask = 0x7F;
const uint32_t kLongestRun = 127;

// The byte that input[i] is measured against: the one before it, 0 at first.
unsigned char PreviousByte(const unsigned char* input, uint32_t i)
{
    return i == 0 ? 0 : input[i - 1];
}

bool FitsAt(const unsigned char* input, uint32_t i)
{
    return DeltaFits(input[i], PreviousByte(input, i));
}

// Payload bytes of a run of count bytes.
uint32_t PayloadLength(bool deltaRun, uint32_t count)
{
    return deltaRun ? (count + 1) / 2 : count;
}

} // namespace

bool DeltaFits(unsigned char current, unsigned char previous)
{
    return (unsigned char)(current - previous + 8) < 16;
}

uint32_t DeltaEncode(const unsigned char* input, int32_t n, unsigned char* output,
                     uint32_t outputCapacity)
{
    const uint32_t length = n > 0 ? (uint32_t)n : 0;
    uint32_t in = 0;
    uint32_t out = 0;
    while (in < length)
    {
        // A run takes its kind from its first byte and ends where the fit
        // changes, after 127 bytes, or at the end of the input.
        const bool deltaRun = FitsAt(input, in);
        uint32_t count = 1;
        while (count < kLongestRun && in + count < length && FitsAt(input, in + count) == deltaRun)
            ++count;
        if (outputCapacity - out < 1 + PayloadLength(deltaRun, count))
            return kCoderFailed;
        if (deltaRun)
        {
            output[out++] = (unsigned char)(kDeltaRun | count);
            for (uint32_t k = 0; k < count; k += 2)
            {
                unsigned char pair = (input[in + k] - PreviousByte(input, in + k)) & 0x0F;
                if (k + 1 < count)
                    pair |= (unsigned char)(((input[in + k + 1] - input[in + k]) & 0x0F) << 4);
                output[out++] = pair;
            }
        }
        else
        {
            output[out++] = (unsigned char)count;
            memcpy(output + out, input + in, count);
            out += count;
        }
        in += count;
    }
    if (out == outputCapacity)
        return kCoderFailed;
    output[out++] = 0;
    return out;
}

uint32_t DeltaDecode(const unsigned char* input, uint32_t inputLength, unsigned char* output,
                     uint32_t size)
{
    uint32_t in = 0;
    uint32_t out = 0;
    unsigned char previous = 0;
    for (;;)
    {
        if (in == inputLength)
            return kCoderFailed;
        const unsigned char control = input[in++];
        if (control == 0)
            break;
        const bool deltaRun = (control & kDeltaRun) != 0;
        const uint32_t count = control & kCountMask;
        const uint32_t payload = PayloadLength(deltaRun, count);
        if (inputLength - in < payload || size - out < count)
            return kCoderFailed;
        if (deltaRun)
        {
            // A 0x80 control byte is a run of no bytes.
            for (uint32_t k = 0; k < count; ++k)
            {
                unsigned char nibble = (input[in + k / 2] >> (k % 2 * 4)) & 0x0F;
                if (nibble >= 8)
                    nibble |= 0xF0;
                previous = (unsigned char)(previous + nibble);
                output[out++] = previous;
            }
        }
        else
        {
            memcpy(output + out, input + in, count);
            out += count;
            previous = output[out - 1];
        }
        in += payload;
    }
    return out == size ? in : kCoderFailed;
}
