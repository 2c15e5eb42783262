// Sample inputs shared by the coder tests.
#ifndef TREMLOK_TESTS_CODER_SAMPLES_H
#define TREMLOK_TESTS_CODER_SAMPLES_H

#include <stddef.h>
#include <stdint.h>

#include <cstdlib>
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

// Machine-code-like data: a few instruction shapes with random operands.
inline Bytes CodeBytes(size_t n, uint32_t seed)
{
    static const unsigned char shapes[][7] = {
        {1, 0x55},       {2, 0x89, 0xE5}, {3, 0x8B, 0x45}, {5, 0xE8},
        {3, 0x83, 0xEC}, {1, 0xC3},       {6, 0x0F, 0x84}, {2, 0x31, 0xC0},
    };
    std::mt19937 random(seed);
    Bytes bytes;
    while (bytes.size() < n)
    {
        const unsigned char* shape = shapes[random() % 8];
        for (int k = 1; k <= shape[0] && bytes.size() < n; ++k)
            bytes.push_back(shape[k] != 0 ? shape[k] : (unsigned char)(random() % 64));
    }
    return bytes;
}

// 16-bit little-endian audio: two triangle waves and a little noise.
inline Bytes PcmBytes(size_t n, uint32_t seed)
{
    std::mt19937 random(seed);
    Bytes bytes(n);
    for (size_t i = 0; i + 1 < n; i += 2)
    {
        const int t = (int)(i / 2);
        const int sample =
            40 * std::abs(t % 400 - 200) + 9 * std::abs(t % 61 - 30) + (int)(random() % 64) - 8000;
        bytes[i] = (unsigned char)sample;
        bytes[i + 1] = (unsigned char)(sample >> 8);
    }
    return bytes;
}

// Bitmap pixels of depth bytes each: gradients per channel, rows of 640
// pixels, a little noise.
inline Bytes BitmapBytes(size_t n, uint32_t seed, int depth)
{
    std::mt19937 random(seed);
    Bytes bytes(n);
    for (size_t i = 0; i < n; ++i)
    {
        const size_t pixel = i / depth, x = pixel % 640, y = pixel / 640;
        bytes[i] = (unsigned char)(x / (1 + i % depth) + y * (i % depth) + random() % 3);
    }
    return bytes;
}

#endif
