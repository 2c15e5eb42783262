// The progress page's percentage.
#ifndef TREMLOK_DATAFILE_PERCENT_H
#define TREMLOK_DATAFILE_PERCENT_H

#include <stdint.h>

// Percentage of done against total, truncated in double precision with both
// taken as signed 32-bit numbers, clamped to 1..99 (1 when total is 0).
int ExtractPercent(uint32_t done, uint32_t total);

#endif
