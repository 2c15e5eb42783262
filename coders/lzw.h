// Method 'L': LZW with fixed 14-bit codes.
#ifndef TREMLOK_CODERS_LZW_H
#define TREMLOK_CODERS_LZW_H

#include <stdint.h>

// Codes input[0..n) into output, which holds outputCapacity bytes. Returns
// the number of bytes written, end code included, or kCoderFailed when the
// tables cannot be allocated or the output would not fit. An empty input
// codes as the single-byte code 0 followed by the end code.
uint32_t LzwEncode(const unsigned char* input, int32_t n, unsigned char* output,
                   uint32_t outputCapacity);

// As LzwEncode, except that it returns kCoderTooLong when the coding would
// take more than outputCapacity bytes, and kCoderFailed only when the tables
// cannot be allocated. It gives up as soon as the output cannot fit, which
// may be long before the output is full.
uint32_t LzwEncodeBounded(const unsigned char* input, int32_t n, unsigned char* output,
                          uint32_t outputCapacity);

// Decodes one stream from input[0..inputLength) into exactly size bytes of
// output. Returns the number of input bytes the stream occupies, end code
// included; returns kCoderFailed when the stream is damaged: it runs past
// inputLength, uses a code not yet defined, or stands for more or fewer than
// size bytes. Never reads or writes outside the given ranges. For size 0
// the only stream accepted is the empty input's: code 0, then the end code.
uint32_t LzwDecode(const unsigned char* input, uint32_t inputLength, unsigned char* output,
                   uint32_t size);

#endif
