// Method 'W': byte-delta nibble runs and literal runs.
#ifndef TREMLOK_CODERS_DELTA_H
#define TREMLOK_CODERS_DELTA_H

#include <stdint.h>

// True when current differs from previous by -8 to +7, modulo 256.
bool DeltaFits(unsigned char current, unsigned char previous);

// Codes input[0..n) into output, which holds outputCapacity bytes (2n + 1 is
// always enough). Returns the number of bytes written, terminating 0
// included, or kCoderFailed when the output would not fit.
uint32_t DeltaEncode(const unsigned char* input, int32_t n, unsigned char* output,
                     uint32_t outputCapacity);

// Decodes one stream from input[0..inputLength) into exactly size bytes of
// output. Returns the number of input bytes consumed, terminating 0
// included, or kCoderFailed when the stream is damaged (runs past
// inputLength or stands for more or fewer than size bytes).
uint32_t DeltaDecode(const unsigned char* input, uint32_t inputLength, unsigned char* output,
                     uint32_t size);

#endif
