// Sample inputs shared by the coder tests.
#ifndef TREMLOK_TESTS_CODER_SAMPLES_H
#define TREMLOK_TESTS_CODER_SAMPLES_H

#include <stddef.h>
#include <stdint.h>

#include <random>
#include <vector>

typedef std::vector<unsigned char> Bytes;

inline Bytes RandomBytes(size_t n, uint32_t seed)
{
    std::mt19937 random(seed);
    Bytes bytes(n);
    for (unsigned char& b : bytes)
        b = (unsigned char)random();
    return bytes;
}

// Text-like data: words drawn from a small vocabulary.
inline Bytes TextBytes(size_t n, uint32_t seed)
{
    static const char* const words[] = {"tremlok ", "water ",     "ocean.bmp ", "setup ", "the ",
                                        "install ", "folder\r\n", "data ",      "a ",     "of "};
    std::mt19937 random(seed);
    Bytes bytes;
    while (bytes.size() < n)
        for (const char* w = words[random() % 10]; *w != 0 && bytes.size() < n; ++w)
            bytes.push_back((unsigned char)*w);
    return bytes;
}

// Image-like data: a slow wave with small noise, so neighbours differ little.
inline Bytes SmoothBytes(size_t n, uint32_t seed)
{
    std::mt19937 random(seed);
    Bytes bytes(n);
    unsigned char value = 0x80;
    for (size_t i = 0; i < n; ++i)
    {
        value = (unsigned char)(value + (int)(random() % 9) - 4 + (i / 500 % 2 ? 1 : -1));
        bytes[i] = value;
    }
    return bytes;
}

#endif
