// Method 'L': LZW with fixed 14-bit codes packed most significant bit first.
//
// All state of one coding (bit accumulators, dictionary, decode stack) lives
// in records owned by the call, so separate calls never share anything.
#include "coders/lzw.h"

#include "coders/coder.h"

#include <stdlib.h>
#include <string.h>

namespace
{

const int32_t kCodeBits = 14;
const uint32_t kFirstDictionaryCode = 256;
const uint32_t kLastDictionaryCode = 16382;
const uint32_t kEndCode = 16383;
const int32_t kHashSlots = 18041; // prime, and above the 16,127 dictionary strings
const uint32_t kHashShift = 6;
// Each dictionary code stands for at most one byte more than the code before
// it, so code 16,382 stands for at most 16,128 bytes: the longest string.
const uint32_t kDecodeStackSize = kLastDictionaryCode - kFirstDictionaryCode + 2;

// Bit writer: the pending bits sit at the top of the accumulator.
struct LzwWriter
{
    unsigned char* position;
    unsigned char* end;
    uint32_t accumulator;
    int32_t count; // pending bits
};

// Bit reader: the bits held sit at the top of the accumulator.
struct LzwReader
{
    const unsigned char* position;
    const unsigned char* end;
    uint32_t accumulator;
    int32_t count; // bits held
};

// One slot of the encoder's hash table: the code of the string stored there
// (-1 for a free slot) and the string as its prefix code shifted left by 8
// OR its last byte.
struct LzwSlot
{
    int32_t code;
    uint32_t string;
};

// The decoder's dictionary: entry k is string k as prefix code << 8 | last
// byte; entries 256 to 16,382 are used. The stack holds one string, last byte
// at position 0.
struct LzwDecoder
{
    LzwReader reader;
    uint32_t* strings;
    unsigned char* stack;
};

// Appends a code; with flush, also every pending bit, padded with zero bits to
// a whole byte. False when the output buffer is full.
bool LzwWriteCode(LzwWriter& writer, uint32_t code, bool flush)
{
    writer.accumulator |= code << (32 - kCodeBits - writer.count);
    writer.count += kCodeBits;
    const int32_t limit = flush ? 0 : 7;
    while (writer.count > limit)
    {
        if (writer.position == writer.end)
            return false;
        *writer.position++ = (unsigned char)(writer.accumulator >> 24);
        writer.accumulator <<= 8;
        writer.count -= 8;
    }
    return true;
}

uint32_t TopCode(const LzwReader& reader)
{
    return reader.count >= kCodeBits ? reader.accumulator >> (32 - kCodeBits) : 0;
}

// Takes the next code. The reader holds at least 25 bits before it hands one
// out, except that it reads no further once the bits held begin with a whole
// end code, so it never reads past the byte that ends a stream. At the end of
// the input it hands out a code while 14 bits are held; false when fewer are.
bool LzwReadCode(LzwReader& reader, uint32_t& code)
{
    while (reader.count <= 24 && TopCode(reader) != kEndCode && reader.position != reader.end)
    {
        reader.accumulator |= (uint32_t)*reader.position++ << (24 - reader.count);
        reader.count += 8;
    }
    if (reader.count < kCodeBits)
        return false;
    code = reader.accumulator >> (32 - kCodeBits);
    reader.accumulator <<= kCodeBits;
    reader.count -= kCodeBits;
    return true;
}

// The slot that holds the string prefix + byte, or the free slot where it
// belongs. Open addressing with a second hash; the table is never full.
int32_t LzwFindSlot(const LzwSlot* slots, uint32_t prefix, unsigned char byte)
{
    int32_t slot = (int32_t)(((uint32_t)byte << kHashShift) ^ prefix);
    const int32_t step = slot == 0 ? 1 : kHashSlots - slot;
    const uint32_t string = prefix << 8 | byte;
    while (slots[slot].code != -1 && slots[slot].string != string)
    {
        slot -= step;
        if (slot < 0)
            slot += kHashSlots;
    }
    return slot;
}

// Lays down the string of code in the stack from position upward, last byte
// first, and returns the position of its first byte; -1 when the string
// would reach position limit.
int32_t LzwDecodeString(LzwDecoder& decoder, uint32_t position, uint32_t code, uint32_t limit)
{
    for (;;)
    {
        if (position >= limit)
            return -1;
        if (code < kFirstDictionaryCode)
        {
            decoder.stack[position] = (unsigned char)code;
            return (int32_t)position;
        }
        const uint32_t string = decoder.strings[code];
        decoder.stack[position++] = (unsigned char)string;
        code = string >> 8;
    }
}

// Decodes codes until the end code. False for a damaged stream: it runs out,
// uses a code not yet defined, or stands for more or fewer than size bytes.
bool LzwDecodeCodes(LzwDecoder& decoder, unsigned char* output, uint32_t size)
{
    uint32_t old;
    if (!LzwReadCode(decoder.reader, old) || old >= kFirstDictionaryCode)
        return false;
    if (size == 0)
    {
        // An empty input codes as code 0 and the end code; code 0 alone
        // stands for one byte, so any other stream is damaged here.
        uint32_t end;
        return old == 0 && LzwReadCode(decoder.reader, end) && end == kEndCode;
    }
    output[0] = (unsigned char)old;
    uint32_t written = 1;
    unsigned char firstByte = (unsigned char)old; // of the string written last
    uint32_t nextCode = kFirstDictionaryCode;
    uint32_t code;
    for (;;)
    {
        if (!LzwReadCode(decoder.reader, code))
            return false;
        if (code == kEndCode)
            return written == size;
        if (code > nextCode)
            return false;
        const uint32_t room = size - written;
        const uint32_t limit = room < kDecodeStackSize ? room : kDecodeStackSize;
        int32_t first;
        if (code == nextCode)
        {
            // The code this very step defines: the string written last
            // followed by its own first byte.
            decoder.stack[0] = firstByte;
            first = LzwDecodeString(decoder, 1, old, limit);
        }
        else
        {
            first = LzwDecodeString(decoder, 0, code, limit);
        }
        if (first < 0)
            return false;
        firstByte = decoder.stack[first];
        for (int32_t k = first; k >= 0; --k)
            output[written++] = decoder.stack[k];
        if (nextCode <= kLastDictionaryCode)
            decoder.strings[nextCode++] = old << 8 | firstByte;
        old = code;
    }
}

} // namespace

uint32_t LzwEncode(const unsigned char* input, int32_t n, unsigned char* output,
                   uint32_t outputCapacity)
{
    LzwSlot* slots = (LzwSlot*)malloc(kHashSlots * sizeof(LzwSlot));
    if (slots == NULL)
        return kCoderFailed;
    memset(slots, 0xFF, kHashSlots * sizeof(LzwSlot)); // every code -1: all slots free

    LzwWriter writer = {output, output + outputCapacity, 0, 0};
    uint32_t nextCode = kFirstDictionaryCode;
    uint32_t current = n > 0 ? input[0] : 0; // an empty input still gives a first code
    bool fits = true;
    for (int32_t i = 1; i < n && fits; ++i)
    {
        const unsigned char byte = input[i];
        const int32_t slot = LzwFindSlot(slots, current, byte);
        if (slots[slot].code != -1)
        {
            current = (uint32_t)slots[slot].code;
            continue;
        }
        if (nextCode <= kLastDictionaryCode)
        {
            slots[slot].code = (int32_t)nextCode++;
            slots[slot].string = current << 8 | byte;
        }
        fits = LzwWriteCode(writer, current, false);
        current = byte;
    }
    fits = fits && LzwWriteCode(writer, current, false) && LzwWriteCode(writer, kEndCode, true);
    free(slots);
    return fits ? (uint32_t)(writer.position - output) : kCoderFailed;
}

uint32_t LzwDecode(const unsigned char* input, uint32_t inputLength, unsigned char* output,
                   uint32_t size)
{
    LzwDecoder decoder = {{input, input + inputLength, 0, 0}, NULL, NULL};
    decoder.strings = (uint32_t*)malloc(kEndCode * sizeof(uint32_t));
    decoder.stack = (unsigned char*)malloc(kDecodeStackSize);
    uint32_t consumed = kCoderFailed;
    if (decoder.strings != NULL && decoder.stack != NULL && LzwDecodeCodes(decoder, output, size))
        consumed = (uint32_t)(decoder.reader.position - input);
    free(decoder.stack);
    free(decoder.strings);
    return consumed;
}
