#include "coders/coder.h"
#include "coders/lzw.h"
#include "tests/unit/coder_checks.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <vector>

namespace
{

const uint32_t kEnd = 16383;

Bytes Encode(const Bytes& input)
{
    Bytes output(CoderOutputBound((uint32_t)input.size()));
    const uint32_t written =
        LzwEncode(input.data(), (int32_t)input.size(), output.data(), (uint32_t)output.size());
    EXPECT_NE(written, kCoderFailed);
    output.resize(written);
    return output;
}

uint32_t Decode(const Bytes& stream, Bytes& output)
{
    return DecodeExact(LzwDecode, stream, output);
}

// Packs 14-bit codes most significant bit first, the last byte zero-padded.
Bytes Pack(const std::vector<uint32_t>& codes)
{
    Bytes stream;
    uint64_t bits = 0;
    int held = 0;
    for (uint32_t code : codes)
    {
        bits = bits << 14 | code;
        held += 14;
        for (; held >= 8; held -= 8)
            stream.push_back((unsigned char)(bits >> (held - 8)));
    }
    if (held > 0)
        stream.push_back((unsigned char)(bits << (8 - held)));
    return stream;
}

std::vector<uint32_t> Unpack(const Bytes& stream)
{
    std::vector<uint32_t> codes;
    for (size_t bit = 0; bit + 14 <= stream.size() * 8; bit += 14)
    {
        uint32_t code = 0;
        for (size_t b = bit; b < bit + 14; ++b)
            code = code << 1 | ((stream[b / 8] >> (7 - b % 8)) & 1);
        codes.push_back(code);
    }
    return codes;
}

uint32_t EncodedBound(size_t n)
{
    return n == 0 ? 4 : (uint32_t)((14 * ((uint64_t)n + 1) + 7) / 8);
}

void ExpectRoundTrip(const Bytes& input)
{
    const Bytes stream = Encode(input);
    EXPECT_LE(stream.size(), EncodedBound(input.size()));
    EXPECT_LE(stream.size(), CoderOutputBound((uint32_t)input.size()));
    Bytes output(input.size());
    EXPECT_EQ(Decode(stream, output), stream.size());
    EXPECT_TRUE(output == input);
}

} // namespace

TEST(LzwTest, KnownStreams)
{
    EXPECT_EQ(Encode(Bytes{}), (Bytes{0x00, 0x03, 0xFF, 0xF0}));
    EXPECT_EQ(Encode(Bytes{0x61}), (Bytes{0x01, 0x87, 0xFF, 0xF0}));
    EXPECT_EQ(Encode(Bytes{0x61, 0x62}), (Bytes{0x01, 0x84, 0x06, 0x2F, 0xFF, 0xC0}));
    EXPECT_EQ(Encode(Bytes(4, 0x61)), (Bytes{0x01, 0x84, 0x10, 0x00, 0x18, 0x7F, 0xFF}));
    EXPECT_EQ(Unpack(Encode(Bytes(4, 0x61))), (std::vector<uint32_t>{97, 256, 97, kEnd}));
}

TEST(LzwTest, EmptyInputReadsNoByte)
{
    unsigned char output[4];
    EXPECT_EQ(LzwEncode(NULL, 0, output, 4), 4u);
    EXPECT_EQ(LzwEncode(NULL, -5, output, 4), 4u);
    Bytes none;
    EXPECT_EQ(Decode(Bytes{0x00, 0x03, 0xFF, 0xF0}, none), 4u);
}

TEST(LzwTest, CodeDefinedByItsOwnStep)
{
    // Code 256 arrives before the decoder has defined it.
    Bytes output(4);
    EXPECT_EQ(Decode(Bytes{0x01, 0x84, 0x10, 0x00, 0x18, 0x7F, 0xFF}, output), 7u);
    EXPECT_EQ(output, Bytes(4, 0x61));
}

TEST(LzwTest, BytesAfterTheStreamAreNotRead)
{
    // Inputs of 0 to 39 bytes end their streams at every bit position.
    std::vector<Bytes> inputs{TextBytes(5000, 1)};
    for (size_t n = 0; n < 40; ++n)
        inputs.push_back(RandomBytes(n, (uint32_t)n));
    for (const Bytes& input : inputs)
    {
        const Bytes stream = Encode(input);
        for (unsigned char filler : {0x00, 0xFF})
        {
            Bytes followed(stream);
            followed.insert(followed.end(), 8, filler);
            Bytes output(input.size());
            EXPECT_EQ(Decode(followed, output), stream.size()) << input.size();
            EXPECT_TRUE(output == input);
        }
    }
}

TEST(LzwTest, RoundTripsManySizes)
{
    for (size_t n : {0, 1, 2, 3, 7, 127, 128, 129, 255, 256, 1000, 4097, 65536, 300000})
    {
        SCOPED_TRACE(n);
        ExpectRoundTrip(RandomBytes(n, (uint32_t)n));
        ExpectRoundTrip(TextBytes(n, (uint32_t)n));
        ExpectRoundTrip(SmoothBytes(n, (uint32_t)n));
        ExpectRoundTrip(Bytes(n, 0x7E));
    }
}

TEST(LzwTest, FullDictionaryKeepsCoding)
{
    const Bytes input = RandomBytes(200000, 42);
    const Bytes stream = Encode(input);
    const std::vector<uint32_t> codes = Unpack(stream);
    size_t lastCodeAt = codes.size();
    for (size_t i = 0; i < codes.size() && lastCodeAt == codes.size(); ++i)
        if (codes[i] == 16382)
            lastCodeAt = i;
    // Code 16,382 is assigned while code 16,127 goes out, and some time after
    // that the stream uses it; coding went on well past that point.
    ASSERT_LT(lastCodeAt + 50000, codes.size());
    ExpectRoundTrip(input);
}

TEST(LzwTest, OutputMustFit)
{
    const Bytes input = TextBytes(3000, 7);
    const uint32_t length = (uint32_t)Encode(input).size();
    Bytes output(length);
    EXPECT_EQ(LzwEncode(input.data(), (int32_t)input.size(), output.data(), length), length);
    for (uint32_t capacity : {0u, 1u, length / 2, length - 1})
        EXPECT_EQ(LzwEncode(input.data(), (int32_t)input.size(), output.data(), capacity),
                  kCoderFailed)
            << capacity;
    EXPECT_EQ(LzwEncode(NULL, 0, output.data(), 3), kCoderFailed);
}

TEST(LzwTest, RunLongerThanFiveThousandBytes)
{
    // A run builds strings of 1, 2, 3, ... bytes: 13 MB reaches about 5,100.
    const Bytes input(13000000, 0xA5);
    ExpectRoundTrip(input);
}

TEST(LzwTest, LongestStringDecodes)
{
    // 'A', then each code the one that very step defines: strings of 2 to
    // 16,128 bytes, the longest any code can stand for.
    std::vector<uint32_t> codes{'A'};
    for (uint32_t code = 256; code <= 16382; ++code)
        codes.push_back(code);
    codes.push_back(kEnd);
    const Bytes stream = Pack(codes);
    const uint32_t size = 16128u * 16129u / 2;
    Bytes output(size);
    ASSERT_EQ(Decode(stream, output), stream.size());
    EXPECT_EQ(output.front(), 'A');
    EXPECT_EQ(output.back(), 'A');
    EXPECT_EQ(std::count(output.begin(), output.end(), 'A'), (std::ptrdiff_t)size);
}

TEST(LzwTest, DamagedStreamsFail)
{
    const Bytes text = TextBytes(2000, 3);
    const Bytes textStream = Encode(text);
    const DamagedStream cases[] = {
        {"no input", Bytes{}, 1},
        {"end code alone", Pack({kEnd}), 0},
        {"end code alone, size 1", Pack({kEnd}), 1},
        {"single byte stream for size 0", Pack({97, kEnd}), 0},
        {"dictionary code first", Pack({256, kEnd}), 2},
        {"dictionary code first, size 0", Pack({300, kEnd}), 0},
        {"code above next free", Pack({97, 257, kEnd}), 3},
        {"code far above next free", Pack({97, 98, 16000, kEnd}), 4},
        {"missing end code", Pack({97, 98}), 2},
        {"missing end code, size 0", Pack({0}), 0},
        {"stands for more bytes", Pack({97, 98, 99, kEnd}), 2},
        {"stands for fewer bytes", Pack({97, 98, 99, kEnd}), 4},
        {"text, one byte short", textStream, (uint32_t)text.size() - 1},
        {"text, one byte over", textStream, (uint32_t)text.size() + 1},
    };
    ExpectDamagedStreamsFail(LzwDecode, cases);
}

TEST(LzwTest, TruncatedStreamsFail)
{
    for (const Bytes& input : {TextBytes(3000, 9), RandomBytes(100, 9), Bytes(1, 0x61)})
        ExpectTruncationsFail(LzwDecode, Encode(input), input.size());
}

TEST(LzwTest, CorruptedStreamsStayInBounds)
{
    const Bytes input = TextBytes(4000, 5);
    ExpectCorruptionsStayInBounds(LzwDecode, Encode(input), input.size(), 11);
}
