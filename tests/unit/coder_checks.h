// Checks shared by the coder tests: any decoder, given damaged streams.
#ifndef TREMLOK_TESTS_CODER_CHECKS_H
#define TREMLOK_TESTS_CODER_CHECKS_H

#include "coders/coder.h"
#include "tests/unit/coder_samples.h"

#include <gtest/gtest.h>

#include <random>

typedef uint32_t (*DecodeFunction)(const unsigned char*, uint32_t, unsigned char*, uint32_t);

// Decodes a copy of stream held in a buffer of exactly its length, so that a
// read past the end is caught by the sanitizer build.
inline uint32_t DecodeExact(DecodeFunction decode, const Bytes& stream, Bytes& output)
{
    Bytes exact(stream);
    return decode(exact.data(), (uint32_t)exact.size(), output.data(), (uint32_t)output.size());
}

struct DamagedStream
{
    const char* name;
    Bytes stream;
    uint32_t size; // decoded size asked for
};

template <size_t N>
void ExpectDamagedStreamsFail(DecodeFunction decode, const DamagedStream (&cases)[N])
{
    for (const DamagedStream& c : cases)
    {
        Bytes output(c.size);
        EXPECT_EQ(DecodeExact(decode, c.stream, output), kCoderFailed) << c.name;
    }
}

// Every proper prefix of a stream for size bytes is damaged.
inline void ExpectTruncationsFail(DecodeFunction decode, const Bytes& stream, size_t size)
{
    Bytes output(size);
    for (size_t length = 0; length < stream.size(); ++length)
        EXPECT_EQ(DecodeExact(decode, Bytes(stream.begin(), stream.begin() + length), output),
                  kCoderFailed)
            << length;
}

// Whatever the damage (flipped bits, a shortened stream, a wrong size), the
// decoder stays inside its buffers (checked by the sanitizer build) and never
// claims more input than it was given.
inline void ExpectCorruptionsStayInBounds(DecodeFunction decode, const Bytes& stream, size_t size,
                                          uint32_t seed)
{
    std::mt19937 random(seed);
    for (int trial = 0; trial < 300; ++trial)
    {
        Bytes damaged(stream);
        for (int flips = 1 + random() % 4; flips > 0; --flips)
            damaged[random() % damaged.size()] ^= (unsigned char)(1 << random() % 8);
        damaged.resize(damaged.size() - random() % 3);
        Bytes output(size + random() % 5 - 2);
        EXPECT_LE(DecodeExact(decode, damaged, output), damaged.size());
    }
}

#endif
