// Method 'L': LZW with fixed 14-bit codes packed most significant bit first.
//
// All state of one coding (bit accumulators, dictionary) lives in records
// owned by the call, so separate calls never share anything.
#include "coders/lzw.h"

#include "coders/coder.h"
#include "coders/lzw_trie.h"
#include "coders/lzw_writer.h"

#include <stdlib.h>
#include <string.h>

namespace
{

// Codes are assigned in order to each new string until the last dictionary
// code, so the code a string gets depends on the input alone, not on how the
// dictionary finds it. Every code the encoder writes begins with a byte, so
// the two-byte strings, looked up once a code, sit in a table indexed by
// their two bytes. Longer ones sit in a power-of-two open-addressing hash
// table of codes, never more than a quarter full, 0 in a free slot (no such
// string has a code below 256); each code's key, prefix code << 8 | byte, is
// kept apart, so the slot a lookup waits on is only two bytes wide.
const uint32_t kDictionaryStrings = kLzwLastDictionaryCode - kLzwFirstDictionaryCode + 1;
const uint32_t kPairs = 256 * 256;
const uint32_t kLargestTableBits = 16; // 65,536 slots for the 16,127 strings

// Table size for an input of n bytes: one string at most per byte.
uint32_t LzwTableBits(int32_t n)
{
    const uint32_t strings =
        n < (int32_t)kDictionaryStrings ? (uint32_t)(n > 0 ? n : 0) : kDictionaryStrings;
    uint32_t bits = 6;
    while (bits < kLargestTableBits && (1u << bits) < 4 * strings)
        ++bits;
    return bits;
}

// The slot that holds the code of the string key, prefix << 8 | byte, or the
// free one where it would go; keys[code] is the key of each code's string.
uint16_t* LzwFindSlot(uint16_t* table, const uint32_t* keys, uint32_t mask, uint32_t key)
{
    uint32_t slot = ((key >> 6) ^ (((key & 0xFF) * 0x9E3779B1u) >> 16)) & mask;
    while (table[slot] != 0 && keys[table[slot]] != key)
        slot = (slot + 1) & mask;
    return &table[slot];
}

// Bit reader: the next code begins at bit bit (0 from the top) of input[at].
struct LzwReader
{
    const unsigned char* input;
    uint32_t length;
    uint32_t at; // at most length
    uint32_t bit;
};

// Takes the next code; false when fewer than 14 bits are left. Four bytes
// at once while four are left.
inline bool LzwReadCode(LzwReader& reader, uint32_t& code)
{
    const unsigned char* from = reader.input + reader.at;
    const uint32_t left = reader.length - reader.at;
    if (left >= 4)
    {
        const uint32_t word =
            (uint32_t)from[0] << 24 | (uint32_t)from[1] << 16 | (uint32_t)from[2] << 8 | from[3];
        code = (word >> (18 - reader.bit)) & kLzwEndCode;
    }
    else
    {
        if (left < 3 && left * 8 < reader.bit + kLzwCodeBits)
            return false;
        uint32_t word = (uint32_t)from[0] << 16 | (uint32_t)from[1] << 8;
        if (left > 2)
            word |= from[2];
        code = (word >> (10 - reader.bit)) & kLzwEndCode;
    }
    reader.bit += kLzwCodeBits;
    reader.at += reader.bit >> 3;
    reader.bit &= 7;
    return true;
}

// The decoder's dictionary. A string is always the string written before it
// followed by the first byte written after that, so it stands in the output
// already: entry k gives where code k's string starts there and its length.
// The single bytes' entries point into a table of all 256 instead, so that
// every code is copied the same way.
struct LzwString
{
    const unsigned char* start;
    uint32_t length;
};

// Bytes past the last single byte, so that sixteen can be read from any.
const uint32_t kAlphabetBytes = 256 + 15;

// Sixteen bytes from from to to, read whole before any is written.
inline void LzwCopy16(unsigned char* to, const unsigned char* from)
{
    unsigned char chunk[16];
    memcpy(chunk, from, 16);
    memcpy(to, chunk, 16);
}

// Copies a string to to, forward; the output ends at end. A string lies
// wholly before to unless it is the one the decoder is defining (defining
// set): the string written last and its own first byte, so it ends one byte
// into to. Sixteen bytes at a time while the sixteen neither reach bytes not
// yet copied nor pass the end; the bytes copied past the string are written
// over by the strings that follow.
inline void LzwCopy(unsigned char* to, LzwString string, bool defining, const unsigned char* end)
{
    const unsigned char* from = string.start;
    const uint32_t length = string.length;
    if ((uint32_t)(end - to) >= length + 15)
    {
        if (length <= 16)
        {
            // All but the last byte lie before to; the last is the first.
            LzwCopy16(to, from);
            to[length - 1] = from[defining ? 0 : length - 1];
            return;
        }
        uint32_t done = 0; // 16 bytes or more apart, defining or not
        do
            LzwCopy16(to + done, from + done);
        while ((done += 16) < length);
        return;
    }
    for (uint32_t done = 0; done < length; ++done)
        to[done] = from[done];
}

// Decodes codes until the end code. False for a damaged stream: it runs out,
// uses a code not yet defined, or stands for more or fewer than size bytes.
// The entry a code defines, the string written last and the first byte
// written next, is known before the code is read, and is made first, so a
// code that names it is read like any other. The first code defines no
// string: what it writes into entry 255 is that entry as it stands, and so a
// dictionary code first is one not yet defined.
bool LzwDecodeCodes(LzwReader& reader, LzwString* strings, unsigned char* output, uint32_t size)
{
    LzwReader r = reader; // a copy the output's bytes cannot alias
    uint32_t written = 0;
    LzwString last = {strings[255].start, 0}; // the string written last
    uint32_t nextCode = kLzwFirstDictionaryCode - 1;
    for (;;)
    {
        uint32_t code;
        if (!LzwReadCode(r, code))
            return false;
        if (code >= nextCode && code == kLzwEndCode)
        {
            reader = r;
            return written == size;
        }
        if (code > nextCode)
            return false;
        const bool defining = code == nextCode;
        if (nextCode <= kLzwLastDictionaryCode)
            strings[nextCode++] = {last.start, last.length + 1};
        const LzwString string = strings[code];
        if (string.length > size - written)
            return false;
        LzwCopy(output + written, string, defining, output + size);
        last = {output + written, string.length};
        written += string.length;
    }
}

// Once the dictionary is full no string grows past the longest one in it,
// so the codes still to come cover the rest of the input at most that many
// bytes apiece: a bound on the output's final length that the encoder checks
// this often, to give up early on input that will not fit.
const int32_t kBoundCheckBytes = 4096;

// True when the codes for the current string of length bytes and the n - i
// bytes after it cannot fit in the output: each code takes 1.75 bytes, and
// rounding down every term keeps the bound below the true length, so it
// never gives up on a coding that fits.
bool LzwCannotFit(const LzwWriter& writer, uint32_t length, int32_t n, int32_t i, uint32_t longest)
{
    // Below 2^32 throughout: n is below 2^31 and a string at most 16,128
    // bytes. 32-bit arithmetic keeps a 32-bit build off the 64-bit helpers.
    const uint32_t rest = length + (uint32_t)(n - i);
    const uint32_t codes = (rest + (longest - 1)) / longest + 1; // the end code too
    return codes + codes / 2 + codes / 4 > (uint32_t)(writer.end - writer.position);
}

// Laying the trie out takes 0.2 to 0.6 ms, more where its memory is new to
// the process: it pays for itself after 100 to 250 kilobytes, so fewer are
// left to the hash.
const int32_t kTrieLeastBytes = 256 << 10;

// The 32-bit program codes with the hash alone: its 64 KB leave no room for
// the trie's code.
const bool kTrieBuilt = sizeof(void*) >= 8;

// The coding as it goes, handed to the trie's loop when the dictionary
// fills.
struct LzwCoding
{
    LzwWriter writer;
    uint32_t current;  // the code of the string matched so far
    int32_t start;     // where that string starts in the input
    uint32_t longest;  // the longest string in the dictionary
    int32_t nextCheck; // the input index of the next LzwCannotFit check
};

// Once the dictionary is full, every kBoundCheckBytes: false when the codes
// for the current string and the input from i on cannot fit.
inline bool LzwStillFits(LzwCoding& coding, int32_t n, int32_t i)
{
    if (i < coding.nextCheck)
        return true;
    coding.nextCheck = i + kBoundCheckBytes;
    return !LzwCannotFit(coding.writer, (uint32_t)(i - coding.start), n, i, coding.longest);
}

// Codes input[at..n) against the full dictionary laid out as a trie. The
// dictionary fills as a string ends, so the current string is a single byte.
// With each byte the pair it starts is looked up too: a string ends on a
// branch the processor seldom foresees, and the next one's first lookup is
// then loaded already. Everything the loop uses is a local: the output's
// bytes could alias anything reached through a pointer or reference.
bool LzwCodeTrie(LzwCoding& coding, const uint16_t* pairs, const LzwTrie& trie,
                 const unsigned char* input, int32_t n, int32_t at)
{
    const LzwTrieCell* const cells = trie.cells;
    const uint16_t* const codes = trie.codes;
    LzwCoding local = coding;
    uint32_t current = local.current; // a single byte between strings
    bool fits = true;
    uint32_t cell = at < n ? pairs[current << 8 | input[at]] : 0;
    for (int32_t i = at; i < n && fits;)
    {
        uint32_t ahead; // the pair input[i] starts
        if (cell != 0)
        {
            uint32_t base = cell - 256;
            for (;;)
            {
                if (++i == n)
                {
                    local.current = codes[cell];
                    coding = local;
                    return true;
                }
                const uint32_t byte = input[i];
                ahead = pairs[byte << 8 | (i + 1 < n ? input[i + 1] : 0)];
                const uint32_t next = base + byte;
                if (cells[next].prefix != cell)
                    break;
                cell = next;
                base = cells[next].base;
            }
            current = codes[cell];
        }
        else
            ahead = pairs[input[i] << 8 | (i + 1 < n ? input[i + 1] : 0)];
        fits = LzwStillFits(local, n, i) && LzwWriteCodeQuick(local.writer, current);
        current = input[i];
        cell = ahead;
        local.start = i++;
    }
    local.current = current;
    coding = local;
    return fits;
}

// Once the dictionary has filled at input[i] with enough left: lays it out as
// a trie, then writes the current string's code and codes the rest with it.
// False, nothing written, when the trie cannot be laid out; fits tells
// whether the coding fits.
bool LzwCodeWithTrie(LzwCoding& coding, const uint32_t* keys, uint16_t* pairs,
                     const unsigned char* input, int32_t n, int32_t i, bool& fits)
{
    LzwTrie trie;
    if (!LzwBuildTrie(keys, pairs, trie))
        return false;
    fits = LzwWriteCode(coding.writer, coding.current, false);
    coding.current = input[i];
    coding.start = i;
    fits = fits && LzwCodeTrie(coding, pairs, trie, input, n, i + 1);
    LzwFreeTrie(trie);
    return true;
}

} // namespace

uint32_t LzwEncodeBounded(const unsigned char* input, int32_t n, unsigned char* output,
                          uint32_t outputCapacity)
{
    const uint32_t mask = (1u << LzwTableBits(n)) - 1;
    uint16_t* pairs = (uint16_t*)calloc(
        (kPairs + mask + 1) * sizeof(uint16_t) + kLzwEndCode * sizeof(uint32_t), 1);
    if (pairs == NULL)
        return kCoderFailed;
    uint16_t* table = pairs + kPairs;
    uint32_t* keys = (uint32_t*)(table + mask + 1);

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
        uint16_t* code = current < 256 ? &pairs[key] : LzwFindSlot(table, keys, mask, key);
        if (*code != 0)
        {
            current = *code;
            ++length;
            continue;
        }
        if (nextCode <= kLzwLastDictionaryCode)
        {
            keys[nextCode] = key;
            *code = (uint16_t)nextCode++;
            if (length + 1 > longest)
                longest = length + 1;
            if (kTrieBuilt && nextCode > kLzwLastDictionaryCode && n - i > kTrieLeastBytes)
            {
                // A copy, so that the locals stay out of the output's reach.
                LzwCoding coding = {writer, current, i - (int32_t)length, longest, nextCheck};
                if (LzwCodeWithTrie(coding, keys, pairs, input, n, i, fits))
                {
                    writer = coding.writer;
                    current = coding.current;
                    break;
                }
            }
        }
        else if (i >= nextCheck)
        {
            nextCheck = i + kBoundCheckBytes;
            fits = !LzwCannotFit(writer, length, n, i, longest);
            if (!fits)
                break;
        }
        fits = LzwWriteCode(writer, current, false);
        current = input[i];
        length = 1;
    }
    fits = fits && LzwWriteCode(writer, current, false) && LzwWriteCode(writer, kLzwEndCode, true);
    free(pairs);
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
    // An empty input codes as code 0 and the end code, which stands for the
    // single byte 0 too: no other stream stands for no bytes.
    unsigned char zero = 1;
    LzwReader reader = {input, inputLength, 0, 0};
    LzwString* strings = (LzwString*)malloc(kLzwEndCode * sizeof(LzwString) + kAlphabetBytes);
    uint32_t consumed = kCoderFailed;
    if (strings != NULL)
    {
        unsigned char* alphabet = (unsigned char*)(strings + kLzwEndCode);
        for (uint32_t byte = 0; byte < kAlphabetBytes; ++byte)
            alphabet[byte] = (unsigned char)byte;
        for (uint32_t code = 0; code < kLzwFirstDictionaryCode; ++code)
            strings[code] = {alphabet + code, 1};
        if (LzwDecodeCodes(reader, strings, size ? output : &zero, size ? size : 1) &&
            (size != 0 || zero == 0))
            consumed = reader.at + (reader.bit != 0); // the byte that ends the end code
    }
    free(strings);
    return consumed;
}
