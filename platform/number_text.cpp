// UnsignedText: a number's digits in any base up to 16, without the C library.
#include "platform/text.h"

int UnsignedText(char* out, uint32_t value, unsigned base)
{
    // Digits come out lowest first; they are turned round afterwards.
    int length = 0;
    do
    {
        out[length++] = "0123456789abcdef"[value % base];
        value /= base;
    } while (value != 0);
    out[length] = 0;
    for (int i = 0, j = length - 1; i < j; ++i, --j)
    {
        char kept = out[i];
        out[i] = out[j];
        out[j] = kept;
    }
    return length;
}

int SignedText(char* out, int32_t value)
{
    if (value >= 0)
        return UnsignedText(out, (uint32_t)value, 10);
    out[0] = '-';
    // Negated as unsigned, so that the most negative value stays in range.
    return 1 + UnsignedText(out + 1, 0u - (uint32_t)value, 10);
}
