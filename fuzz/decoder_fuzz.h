// The property both decoder targets check, on any bytes.
#ifndef TREMLOK_FUZZ_DECODER_FUZZ_H
#define TREMLOK_FUZZ_DECODER_FUZZ_H

#include <stddef.h>
#include <stdint.h>

typedef uint32_t (*DecodeFunction)(const unsigned char* input, uint32_t inputLength,
                                   unsigned char* output, uint32_t size);

// Input layout: three bytes little-endian whose low 20 bits are the declared
// size (so one case allocates at most 1 MiB), then the stream. The decoder
// gets an output of exactly that size and the stream in a buffer of exactly
// its length, so the sanitizers see any access past either.
void FuzzDecoder(DecodeFunction decode, const uint8_t* data, size_t size);

// Prefix for a seed: the declared size in the layout above.
const size_t kDeclaredSizeBytes = 3;
const uint32_t kDeclaredSizeMask = 0xFFFFF;

#endif
