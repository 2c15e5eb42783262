// The LZW encoder exactly as the format defines it: one probe sequence of a
// prime-sized hash table per input byte. LzwEncode gives the same bytes
// faster; this one stays so the tests can hold the two side by side.
#ifndef TREMLOK_CODERS_LZW_DEFINED_H
#define TREMLOK_CODERS_LZW_DEFINED_H

#include <stdint.h>

// As LzwEncode (coders/lzw.h), byte for byte.
uint32_t LzwEncodeDefined(const unsigned char* input, int32_t n, unsigned char* output,
                          uint32_t outputCapacity);

#endif
