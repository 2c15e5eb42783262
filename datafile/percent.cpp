// The progress page's percentage.
#include "datafile/percent.h"

// Divides before multiplying, in double precision, so 29 of 100 gives 28 as
// the progress bar has always shown it. The 32-bit program computes on the
// x87 unit, whose registers are wider than a double: kept there, 29 / 100 is
// nearer 0.29 and the product comes out 29. Each step is therefore stored to
// a double in memory, which rounds it as a double operation would. The clamp
// happens in double: the quotient may be negative, infinite or NaN, and
// converting those to int is undefined.
int ExtractPercent(uint32_t done, uint32_t total)
{
    if (total == 0)
        return 1;
    volatile double quotient = (double)(int32_t)done / (double)(int32_t)total;
    volatile double percent = quotient * 100.0;
    if (!(percent >= 1.0))
        return 1;
    if (percent > 99.0)
        return 99;
    return (int)percent;
}
