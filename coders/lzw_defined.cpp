// The defined LZW encoder: its dictionary is the format's own hash table.
#include "coders/lzw_defined.h"

#include "coders/coder.h"
#include "coders/lzw_writer.h"

#include <stdlib.h>
#include <string.h>

namespace
{

const int32_t kHashSlots = 18041; // prime, and above the 16,127 dictionary strings
const uint32_t kHashShift = 6;

// One slot of the hash table: the code of the string stored there (-1 for a
// free slot) and the string as its prefix code shifted left by 8 OR its last
// byte.
struct LzwSlot
{
    int32_t code;
    uint32_t string;
};

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

} // namespace

uint32_t LzwEncodeDefined(const unsigned char* input, int32_t n, unsigned char* output,
                          uint32_t outputCapacity)
{
    LzwSlot* slots = (LzwSlot*)malloc(kHashSlots * sizeof(LzwSlot));
    if (slots == NULL)
        return kCoderFailed;
    memset(slots, 0xFF, kHashSlots * sizeof(LzwSlot)); // every code -1: all slots free

    LzwWriter writer = {output, output + outputCapacity, 0, 0};
    uint32_t nextCode = kLzwFirstDictionaryCode;
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
        if (nextCode <= kLzwLastDictionaryCode)
        {
            slots[slot].code = (int32_t)nextCode++;
            slots[slot].string = current << 8 | byte;
        }
        fits = LzwWriteCode(writer, current, false);
        current = byte;
    }
    fits = fits && LzwWriteCode(writer, current, false) && LzwWriteCode(writer, kLzwEndCode, true);
    free(slots);
    return fits ? (uint32_t)(writer.position - output) : kCoderFailed;
}
