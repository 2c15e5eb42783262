// The LZW codes both encoders share, and their bit writer.
#ifndef TREMLOK_CODERS_LZW_WRITER_H
#define TREMLOK_CODERS_LZW_WRITER_H

#include <stdint.h>

const int32_t kLzwCodeBits = 14;
const uint32_t kLzwFirstDictionaryCode = 256;
const uint32_t kLzwLastDictionaryCode = 16382;
const uint32_t kLzwEndCode = 16383;

// Bit writer: the pending bits sit at the top of the accumulator.
struct LzwWriter
{
    unsigned char* position;
    unsigned char* end;
    uint32_t accumulator;
    int32_t count; // pending bits
};

// Appends a code; with flush, also every pending bit, padded with zero bits to
// a whole byte. False when the output buffer is full.
inline bool LzwWriteCode(LzwWriter& writer, uint32_t code, bool flush)
{
    writer.accumulator |= code << (32 - kLzwCodeBits - writer.count);
    writer.count += kLzwCodeBits;
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

// As LzwWriteCode without flush, for the encoder's hottest loop: while two
// bytes are left it stores both bytes that may be whole, without a branch on
// how many are, and a part byte is stored again whole with the next code.
inline bool LzwWriteCodeQuick(LzwWriter& writer, uint32_t code)
{
    if (writer.end - writer.position < 2)
        return LzwWriteCode(writer, code, false);
    writer.accumulator |= code << (32 - kLzwCodeBits - writer.count);
    writer.count += kLzwCodeBits;
    const int32_t whole = writer.count >> 3; // 1 or 2
    writer.position[0] = (unsigned char)(writer.accumulator >> 24);
    writer.position[1] = (unsigned char)(writer.accumulator >> 16);
    writer.position += whole;
    writer.accumulator <<= 8 * whole;
    writer.count &= 7;
    return true;
}

#endif
