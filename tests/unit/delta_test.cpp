#include "coders/coder.h"
#include "coders/delta.h"
#include "tests/unit/coder_checks.h"

#include <gtest/gtest.h>

#include <vector>

namespace
{

Bytes Encode(const Bytes& input)
{
    Bytes output(2 * input.size() + 1);
    const uint32_t written =
        DeltaEncode(input.data(), (int32_t)input.size(), output.data(), (uint32_t)output.size());
    EXPECT_NE(written, kCoderFailed);
    output.resize(written);
    return output;
}

uint32_t Decode(const Bytes& stream, Bytes& output)
{
    return DecodeExact(DeltaDecode, stream, output);
}

// Encodes, checks the stream against expected, and decodes it back.
void ExpectStream(const Bytes& input, const Bytes& expected)
{
    const Bytes stream = Encode(input);
    EXPECT_EQ(stream, expected);
    Bytes output(input.size());
    EXPECT_EQ(Decode(stream, output), stream.size());
    EXPECT_EQ(output, input);
}

} // namespace

TEST(DeltaTest, Fits)
{
    EXPECT_TRUE(DeltaFits(0x00, 0x00));
    EXPECT_TRUE(DeltaFits(0x07, 0x00));
    EXPECT_FALSE(DeltaFits(0x08, 0x00));
    EXPECT_TRUE(DeltaFits(0xF8, 0x00));
    EXPECT_FALSE(DeltaFits(0xF7, 0x00));
    EXPECT_TRUE(DeltaFits(0x03, 0xFE));
    EXPECT_TRUE(DeltaFits(0xFD, 0x05));
    EXPECT_FALSE(DeltaFits(0xFC, 0x05));
}

TEST(DeltaTest, KnownStreams)
{
    ExpectStream(Bytes{}, Bytes{0x00});
    ExpectStream(Bytes{0x03}, Bytes{0x81, 0x03, 0x00});
    ExpectStream(Bytes{0x64}, Bytes{0x01, 0x64, 0x00});
    ExpectStream(Bytes{0x03, 0x05, 0x04, 0x04, 0xC8, 0x5A, 0x5B, 0x5D, 0x00},
                 Bytes{0x84, 0x23, 0x0F, 0x02, 0xC8, 0x5A, 0x82, 0x21, 0x01, 0x00, 0x00});
    ExpectStream(Bytes{0x05, 0xFD}, Bytes{0x82, 0x85, 0x00});
    ExpectStream(Bytes{0x05, 0xFC}, Bytes{0x81, 0x05, 0x01, 0xFC, 0x00});
    ExpectStream(Bytes{0xFE, 0x03}, Bytes{0x82, 0x5E, 0x00});
}

TEST(DeltaTest, DeltaRunCutAt127)
{
    Bytes expected{0xFF};
    expected.insert(expected.end(), 64, 0x00);
    expected.insert(expected.end(), {0x83, 0x00, 0x00, 0x00});
    ASSERT_EQ(expected.size(), 69u);
    ExpectStream(Bytes(130, 0x00), expected);
}

TEST(DeltaTest, LiteralRunCutAt127)
{
    Bytes input;
    for (int i = 1; i <= 300; ++i)
        input.push_back((unsigned char)(50 * i));
    Bytes expected{0x7F};
    expected.insert(expected.end(), input.begin(), input.begin() + 127);
    expected.push_back(0x7F);
    expected.insert(expected.end(), input.begin() + 127, input.begin() + 254);
    expected.push_back(0x2E);
    expected.insert(expected.end(), input.begin() + 254, input.end());
    expected.push_back(0x00);
    ASSERT_EQ(expected.size(), 304u);
    ExpectStream(input, expected);
}

TEST(DeltaTest, AlternatingFitCostsTwoBytesEach)
{
    Bytes input;
    unsigned char value = 0;
    for (int i = 0; i < 20; ++i)
    {
        input.push_back(value);
        value = (unsigned char)(value + (i % 2 == 0 ? 100 : 1));
    }
    const Bytes stream = Encode(input);
    ASSERT_EQ(stream.size(), 41u);
    EXPECT_EQ(Bytes(stream.begin(), stream.begin() + 8),
              (Bytes{0x81, 0x00, 0x01, 0x64, 0x81, 0x01, 0x01, 0xC9}));
    Bytes output(input.size());
    EXPECT_EQ(Decode(stream, output), 41u);
    EXPECT_EQ(output, input);
}

TEST(DeltaTest, NegativeLengthWritesTheTerminator)
{
    unsigned char output[1] = {0xAA};
    EXPECT_EQ(DeltaEncode(NULL, -3, output, 1), 1u);
    EXPECT_EQ(output[0], 0x00);
}

TEST(DeltaTest, EmptyDeltaRunDecodesAsNothing)
{
    Bytes output(1);
    EXPECT_EQ(Decode(Bytes{0x80, 0x81, 0x03, 0x80, 0x00}, output), 5u);
    EXPECT_EQ(output, Bytes{0x03});
    Bytes none;
    EXPECT_EQ(Decode(Bytes{0x80, 0x00}, none), 2u);
}

TEST(DeltaTest, BytesAfterTheStreamAreIgnored)
{
    const Bytes input = SmoothBytes(1000, 2);
    const Bytes stream = Encode(input);
    Bytes followed(stream);
    followed.insert(followed.end(), {0x85, 0x12, 0x34, 0x01, 0x00});
    Bytes output(input.size());
    EXPECT_EQ(Decode(followed, output), stream.size());
    EXPECT_EQ(output, input);
}

TEST(DeltaTest, RoundTripsManySizes)
{
    for (size_t n : {0, 1, 2, 3, 126, 127, 128, 129, 254, 255, 1000, 65536})
    {
        SCOPED_TRACE(n);
        for (const Bytes& input : {RandomBytes(n, (uint32_t)n), TextBytes(n, (uint32_t)n),
                                   SmoothBytes(n, (uint32_t)n), Bytes(n, 0x33)})
        {
            const Bytes stream = Encode(input);
            EXPECT_LE(stream.size(), 2 * n + 1);
            Bytes output(n);
            EXPECT_EQ(Decode(stream, output), stream.size());
            EXPECT_EQ(output, input);
        }
    }
}

TEST(DeltaTest, OutputMustFit)
{
    for (const Bytes& input : {SmoothBytes(500, 4), RandomBytes(300, 4), Bytes{0x03}, Bytes{}})
    {
        const uint32_t length = (uint32_t)Encode(input).size();
        Bytes output(length);
        EXPECT_EQ(DeltaEncode(input.data(), (int32_t)input.size(), output.data(), length), length);
        for (uint32_t capacity = 0; capacity < length; ++capacity)
            EXPECT_EQ(DeltaEncode(input.data(), (int32_t)input.size(), output.data(), capacity),
                      kCoderFailed)
                << capacity;
    }
}

TEST(DeltaTest, DamagedStreamsFail)
{
    const DamagedStream cases[] = {
        {"no input", Bytes{}, 0},
        {"missing terminator", Bytes{0x81, 0x03}, 1},
        {"delta payload cut mid-run", Bytes{0x85, 0x11, 0x11}, 5},
        {"literal payload cut", Bytes{0x03, 0x41, 0x42}, 3},
        {"stands for more bytes", Bytes{0x03, 0x41, 0x42, 0x43, 0x00}, 2},
        {"delta run for more bytes", Bytes{0x83, 0x11, 0x01, 0x00}, 2},
        {"stands for fewer bytes", Bytes{0x02, 0x41, 0x42, 0x00}, 3},
        {"terminator alone, size 1", Bytes{0x00}, 1},
        {"empty delta runs only", Bytes{0x80, 0x80}, 0},
    };
    ExpectDamagedStreamsFail(DeltaDecode, cases);
}

TEST(DeltaTest, TruncatedStreamsFail)
{
    for (const Bytes& input : {SmoothBytes(600, 6), TextBytes(400, 6), Bytes(131, 0x00)})
        ExpectTruncationsFail(DeltaDecode, Encode(input), input.size());
}

TEST(DeltaTest, CorruptedStreamsStayInBounds)
{
    const Bytes input = SmoothBytes(3000, 8);
    ExpectCorruptionsStayInBounds(DeltaDecode, Encode(input), input.size(), 13);
}
