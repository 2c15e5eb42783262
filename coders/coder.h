// What both coders share.
#ifndef TREMLOK_CODERS_CODER_H
#define TREMLOK_CODERS_CODER_H

#include <stdint.h>

// Returned by a decoder for a damaged stream: no valid stream consumes 0
// bytes, so 0 can never be mistaken for a length. Also returned by an
// encoder that could not allocate its tables or was given too small a buffer.
const uint32_t kCoderFailed = 0;

// Returned by an encoder told to tell the two failures apart when the coding
// would not fit its output; no coding of a buffer below 2^31 bytes is this long.
const uint32_t kCoderTooLong = 0xFFFFFFFF;

// Output space that covers either encoder's worst case for n input bytes,
// n below 2^31 as the encoders take (delta 2n + 1, LZW 14 bits a byte and
// the end code). From n = 2^31 - 2 on, 2n + 4 would wrap to a few bytes;
// 2^32 - 1 still covers both there.
inline uint32_t CoderOutputBound(uint32_t n)
{
    return n < 0x7FFFFFFEu ? 2 * n + 4 : 0xFFFFFFFFu;
}

#endif
