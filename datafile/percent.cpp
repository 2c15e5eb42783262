// The progress page's percentage.
#include "datafile/percent.h"

// In integers only: a 486SX has no floating-point unit. The bar has always
// shown the truncation of done / total * 100 computed in doubles, dividing
// first. Truncating the exact quotient gives the same except where the
// quotient is exactly 29, 57 or 58: there the double rounding lands just
// below it, so 29 of 100 shows 28.
int ExtractPercent(uint32_t done, uint32_t total)
{
    int32_t signedDone = (int32_t)done;
    int32_t signedTotal = (int32_t)total;
    if (signedDone == 0 || signedTotal == 0 || (signedDone < 0) != (signedTotal < 0))
        return 1;
    uint32_t a = signedDone < 0 ? 0u - done : done;
    uint32_t b = signedTotal < 0 ? 0u - total : total;
    if (a >= b)
        return 99;
    // 100 * a / b by adding a a hundred times, a remainder below b each time
    // (under 2^32, as b is at most 2^31): no 64-bit division for the runtime
    // to supply.
    uint32_t rest = 0;
    int percent = 0;
    for (int i = 0; i < 100; ++i)
    {
        rest += a;
        if (rest >= b)
        {
            rest -= b;
            ++percent;
        }
    }
    if (rest == 0 && (percent == 29 || percent == 57 || percent == 58))
        --percent;
    return percent < 1 ? 1 : percent;
}
