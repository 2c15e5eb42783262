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

// The 64-bit builds find where runs end 64 bytes at a time and write them
// a word at a time; the 32-bit program, whose 64 KB leave no room for that
// code, codes a byte at a time, as the 64-bit builds do near the end.
const bool kWordsAtATime = sizeof(void*) >= 8;

const uint64_t kLowNibbles = 0x0F0F0F0F0F0F0F0Full;

// A literal run is copied 64 bytes at a time: less than this many bytes
// beyond the end of a run are read, and written.
const uint32_t kOverrun = 64;

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

bool LittleEndian()
{
    const uint16_t one = 1;
    unsigned char first;
    memcpy(&first, &one, 1);
    return first == 1;
}

// Byte k of a word is p[k] on any machine. Compilers fold the test and
// make each copy one access.
uint64_t InOrder(uint64_t word)
{
    if (LittleEndian())
        return word;
    uint64_t swapped = 0;
    for (int k = 0; k < 8; ++k, word >>= 8)
        swapped = swapped << 8 | (word & 0xFF);
    return swapped;
}

uint64_t Load(const unsigned char* p)
{
    uint64_t word;
    memcpy(&word, p, 8);
    return InOrder(word);
}

// The low bytes of word, as many as bytes says.
void Store(unsigned char* p, uint64_t word, size_t bytes)
{
    word = InOrder(word);
    memcpy(p, &word, bytes);
}

// Bit k set where input[at + k] fits, for k from 0 to 63. Written as a
// loop over bytes that compilers test 16 or 32 at a time.
uint64_t FitBits(const unsigned char* input, uint32_t at)
{
    const unsigned char* current = input + at;
    const unsigned char* previous = current - 1;
    unsigned char first[65]; // the first window's bytes after the 0 they start from
    if (at == 0)
    {
        first[0] = 0;
        memcpy(first + 1, input, 64);
        previous = first;
        current = first + 1;
    }
    unsigned char fits[64];
    for (int k = 0; k < 64; ++k)
        fits[k] = (unsigned char)(current[k] - previous[k] + 8) < 16 ? 0x80 : 0;
    uint64_t bits = 0;
    for (int k = 0; k < 64; k += 8)
        bits |= Load(fits + k) * 0x0002040810204081ull >> 56 << k; // bit 7 of byte j to bit 56 + j
    return bits;
}

// The payload of the eight differences from input[i]: their low nibbles
// two a byte, the first in the low half.
uint64_t PackedDifferences(const unsigned char* input, uint32_t i)
{
    const uint64_t current = Load(input + i);
    const uint64_t previous = i == 0 ? current << 8 : Load(input + i - 1);
    uint64_t nibbles = ((current | ~kLowNibbles) - (previous & kLowNibbles)) & kLowNibbles;
    nibbles = (nibbles | nibbles >> 4) & 0x00FF00FF00FF00FFull;
    nibbles = (nibbles | nibbles >> 8) & 0x0000FFFF0000FFFFull;
    return (nibbles | nibbles >> 16) & 0xFFFFFFFFull;
}

// One run of 1 to 127 bytes a word at a time, given input and room for
// kOverrun bytes beyond it: the next run overwrites what is written there.
// Returns the bytes it holds.
uint32_t PutRunByWords(const unsigned char* input, uint32_t in, uint32_t count, bool deltaRun,
                       unsigned char* output)
{
    // The kinds come in turn, which a branch predicts; a literal run of up
    // to 64 bytes is one copy of 64.
    if (!deltaRun)
    {
        output[0] = (unsigned char)count;
        memcpy(output + 1, input + in, kOverrun);
        if (count > kOverrun)
            memcpy(output + 1 + kOverrun, input + in + kOverrun, kOverrun);
        return 1 + count;
    }
    output[0] = (unsigned char)(kDeltaRun | count);
    uint32_t k = 0;
    for (; count - k > 8; k += 8)
        Store(output + 1 + k / 2, PackedDifferences(input, in + k), 4);
    // An odd run's last high half stays 0.
    const uint64_t last = PackedDifferences(input, in + k);
    Store(output + 1 + k / 2, last & 0xFFFFFFFFu >> (32 - 4 * (count - k)), 4);
    return 1 + (count + 1) / 2;
}

// Codes input[in..length) a byte at a time into output from out, and ends
// the stream; in is where a run begins.
uint32_t EncodeFrom(const unsigned char* input, uint32_t length, unsigned char* output,
                    uint32_t outputCapacity, uint32_t in, uint32_t out)
{
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

} // namespace

bool DeltaFits(unsigned char current, unsigned char previous)
{
    return (unsigned char)(current - previous + 8) < 16;
}

uint32_t DeltaEncode(const unsigned char* input, int32_t n, unsigned char* output,
                     uint32_t outputCapacity)
{
    const uint32_t length = n > 0 ? (uint32_t)n : 0;
    // Stretches of one kind end where the fit changes; each is written as
    // runs of 127 bytes and fewer when the next begins.
    bool deltaRun = length > 0 && FitsAt(input, 0);
    uint64_t lastFits = deltaRun;
    uint32_t in = 0;
    uint32_t out = 0;
    // A stretch ends before at + 64.
    for (uint32_t at = 0; kWordsAtATime && length - at >= 64 + kOverrun; at += 64)
    {
        // The runs that end in this window write a byte more than they hold
        // at most, a control byte for each 127 more, and the last run's
        // overrun; near the end of the room, runs are written as they fit.
        const uint32_t stretch = at + 64 - in;
        if (outputCapacity - out <= stretch + stretch / kLongestRun + 64 + kOverrun)
            break;
        const uint64_t fits = FitBits(input, at);
        uint64_t changes = fits ^ (fits << 1 | lastFits);
        lastFits = fits >> 63;
        for (; changes != 0; changes &= changes - 1)
        {
            const uint32_t end = at + (uint32_t)__builtin_ctzll(changes);
            const uint32_t count = end - in;
            for (uint32_t run = 0; run < count; run += kLongestRun)
                out += PutRunByWords(input, in + run,
                                     count - run < kLongestRun ? count - run : kLongestRun,
                                     deltaRun, output + out);
            in = end;
            deltaRun = !deltaRun;
        }
    }
    return EncodeFrom(input, length, output, outputCapacity, in, out);
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
