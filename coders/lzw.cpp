// Method 'L': LZW with fixed 14-bit codes packed most significant bit first.
//
// All state of one coding (bit accumulators, dictionary) lives in records
// owned by the call, so separate calls never share anything.
#include "coders/lzw.h"

#include "coders/coder.h"
#include "coders/lzw_writer.h"

#include <stdlib.h>
#include <string.h>

namespace
{

// Codes are assigned in order to each new string until the last dictionary
// code, so the code a string gets depends on the input alone, not on how the
// dictionary finds it. The encoder's table is a power-of-two open-addressing
// hash, never more than half full, keyed by prefix code << 8 | byte.
const uint32_t kFreeKey = 0xFFFFFFFF; // above every key: prefix codes have 14 bits
const uint32_t kDictionaryStrings = kLzwLastDictionaryCode - kLzwFirstDictionaryCode + 1;
const uint32_t kLargestTableBits = 15; // 32,768 slots for the 16,127 strings

struct LzwEntry
{
    uint32_t key;
    uint32_t code;
};

// Table size for an input of n bytes: one string at most per byte.
uint32_t LzwTableBits(int32_t n)
{
    const uint32_t strings =
        n < (int32_t)kDictionaryStrings ? (uint32_t)(n > 0 ? n : 0) : kDictionaryStrings;
    uint32_t bits = 6;
    while (bits < kLargestTableBits && (1u << bits) < 2 * strings)
        ++bits;
    return bits;
}

// Bit reader: the bits held sit at the top of the accumulator.
struct LzwReader
{
    const unsigned char* position;
    const unsigned char* end;
    uint32_t accumulator;
    int32_t count; // bits held
};

uint32_t TopCode(const LzwReader& reader)
{
    return reader.count >= kLzwCodeBits ? reader.accumulator >> (32 - kLzwCodeBits) : 0;
}

// Takes the next code. The reader holds at least 25 bits before it hands one
// out, except that it reads no further once the bits held begin with a whole
// end code, so it never reads past the byte that ends a stream. At the end of
// the input it hands out a code while 14 bits are held; false when fewer are.
bool LzwReadCode(LzwReader& reader, uint32_t& code)
{
    while (reader.count <= 24 && TopCode(reader) != kLzwEndCode && reader.position != reader.end)
    {
        reader.accumulator |= (uint32_t)*reader.position++ << (24 - reader.count);
        reader.count += 8;
    }
    if (reader.count < kLzwCodeBits)
        return false;
    code = reader.accumulator >> (32 - kLzwCodeBits);
    reader.accumulator <<= kLzwCodeBits;
    reader.count -= kLzwCodeBits;
    return true;
}

// The decoder's dictionary. A string is always the string written before it
// followed by the first byte written after that, so it stands in the output
// already: entry k gives where code k's string starts there and its length.
struct LzwString
{
    uint32_t start;
    uint32_t length;
};

// Decodes codes until the end code. False for a damaged stream: it runs out,
// uses a code not yet defined, or stands for more or fewer than size bytes.
bool LzwDecodeCodes(LzwReader& reader, LzwString* strings, unsigned char* output, uint32_t size)
{
    uint32_t old;
    if (!LzwReadCode(reader, old) || old >= kLzwFirstDictionaryCode)
        return false;
    if (size == 0)
    {
        // An empty input codes as code 0 and the end code; code 0 alone
        // stands for one byte, so any other stream is damaged here.
        uint32_t end;
        return old == 0 && LzwReadCode(reader, end) && end == kLzwEndCode;
    }
    output[0] = (unsigned char)old;
    uint32_t written = 1;
    LzwString last = {0, 1}; // the string written last
    uint32_t nextCode = kLzwFirstDictionaryCode;
    uint32_t code;
    for (;;)
    {
        if (!LzwReadCode(reader, code))
            return false;
        if (code == kLzwEndCode)
            return written == size;
        if (code > nextCode)
            return false;
        const uint32_t room = size - written;
        unsigned char* to = output + written;
        uint32_t length = 1;
        if (code < kLzwFirstDictionaryCode)
        {
            if (room == 0)
                return false;
            *to = (unsigned char)code;
        }
        else if (code < nextCode)
        {
            // Written in full before this string begins: no overlap.
            length = strings[code].length;
            if (length > room)
                return false;
            memcpy(to, output + strings[code].start, length);
        }
        else
        {
            // The code this very step defines: the string written last,
            // which ends right here, followed by its own first byte.
            length = last.length + 1;
            if (length > room)
                return false;
            memcpy(to, output + last.start, last.length);
            to[last.length] = output[last.start];
        }
        if (nextCode <= kLzwLastDictionaryCode)
            strings[nextCode++] = {last.start, last.length + 1};
        last = {written, length};
        written += length;
    }
}

// Once the dictionary is full no string grows past the longest one in it,
// so the codes still to come cover the rest of the input at most that many
// bytes apiece: a bound on the output's final length that the encoder checks
// this often, to give up early on input that will not fit.
const int32_t kBoundCheckBytes = 4096;

// True when the codes for the current string of length bytes and the n - i
// bytes after it, then the end code, cannot fit in the output.
bool LzwCannotFit(const LzwWriter& writer, const unsigned char* output, uint32_t outputCapacity,
                  uint32_t length, int32_t n, int32_t i, uint32_t longest)
{
    // Below 2^32 throughout: n is below 2^31 and a string at most 16,128
    // bytes. A 32-bit division keeps a 32-bit build off the 64-bit helper.
    const uint32_t rest = length + (uint32_t)(n - i);
    const uint64_t codes = (rest + (longest - 1)) / longest + 1;
    const uint64_t bits =
        (uint64_t)(writer.position - output) * 8 + (uint64_t)writer.count + codes * kLzwCodeBits;
    return (bits + 7) >> 3 > outputCapacity;
}

} // namespace

uint32_t LzwEncodeBounded(const unsigned char* input, int32_t n, unsigned char* output,
                          uint32_t outputCapacity)
{
    const uint32_t bits = LzwTableBits(n);
    const uint32_t mask = (1u << bits) - 1;
    LzwEntry* table = (LzwEntry*)malloc(((size_t)mask + 1) * sizeof(LzwEntry));
    if (table == NULL)
        return kCoderFailed;
    memset(table, 0xFF, ((size_t)mask + 1) * sizeof(LzwEntry)); // every key kFreeKey

    LzwWriter writer = {output, output + outputCapacity, 0, 0};
    uint32_t nextCode = kLzwFirstDictionaryCode;
    uint32_t current = n > 0 ? input[0] : 0; // an empty input still gives a first code
    uint32_t length = 1;                     // bytes of the current string
    uint32_t longest = 1;                    // the longest string in the dictionary
    int32_t nextCheck = kBoundCheckBytes;
    bool fits = true;
    for (int32_t i = 1; i < n && fits; ++i)
    {
        const uint32_t key = current << 8 | input[i];
        uint32_t slot = (key * 0x9E3779B1u) >> (32 - bits);
        while (table[slot].key != key && table[slot].key != kFreeKey)
            slot = (slot + 1) & mask;
        if (table[slot].key == key)
        {
            current = table[slot].code;
            ++length;
            continue;
        }
        if (nextCode <= kLzwLastDictionaryCode)
        {
            table[slot] = {key, nextCode++};
            if (length + 1 > longest)
                longest = length + 1;
        }
        else if (i >= nextCheck)
        {
            nextCheck = i + kBoundCheckBytes;
            fits = !LzwCannotFit(writer, output, outputCapacity, length, n, i, longest);
            if (!fits)
                break;
        }
        fits = LzwWriteCode(writer, current, false);
        current = input[i];
        length = 1;
    }
    fits = fits && LzwWriteCode(writer, current, false) && LzwWriteCode(writer, kLzwEndCode, true);
    free(table);
    return fits ? (uint32_t)(writer.position - output) : kCoderTooLong;
}

uint32_t LzwEncode(const unsigned char* input, int32_t n, unsigned char* output,
                   uint32_t outputCapacity)
{
    const uint32_t length = LzwEncodeBounded(input, n, output, outputCapacity);
    return length == kCoderTooLong ? kCoderFailed : length;
}

uint32_t LzwDecode(const unsigned char* input, uint32_t inputLength, unsigned char* output,
                   uint32_t size)
{
    LzwReader reader = {input, input + inputLength, 0, 0};
    LzwString* strings = (LzwString*)malloc(kLzwEndCode * sizeof(LzwString));
    uint32_t consumed = kCoderFailed;
    if (strings != NULL && LzwDecodeCodes(reader, strings, output, size))
        consumed = (uint32_t)(reader.position - input);
    free(strings);
    return consumed;
}
