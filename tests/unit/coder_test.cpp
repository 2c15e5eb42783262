// Both coders: the streams the format fixes, round trips, streams that end
// themselves, damaged streams refused (the sanitizer build watches both
// decoders' buffers).
#include "bench/bench_inputs.h"
#include "coders/lzw_defined.h"
#include "tests/unit/scratch_folder.h"

namespace
{

struct Coder
{
    const char* name;
    uint32_t (*encode)(const unsigned char*, int32_t, unsigned char*, uint32_t);
    uint32_t (*decode)(const unsigned char*, uint32_t, unsigned char*, uint32_t);
};
const Coder kLzw = {"LZW", LzwEncode, LzwDecode};
const Coder kDelta = {"delta", DeltaEncode, DeltaDecode};

Bytes Encode(const Coder& coder, const Bytes& input)
{
    Bytes out(CoderOutputBound((uint32_t)input.size()));
    out.resize(coder.encode(input.data(), (int32_t)input.size(), out.data(), (uint32_t)out.size()));
    return out;
}

// From a copy of exactly the stream's length into exactly size bytes.
uint32_t Decode(const Coder& coder, Bytes stream, Bytes* output, size_t size)
{
    *output = Bytes(size);
    return coder.decode(stream.data(), (uint32_t)stream.size(), output->data(), (uint32_t)size);
}

// "01 87 FF F0" as bytes.
Bytes Hex(const std::string& text)
{
    Bytes bytes;
    for (size_t at = 0; at + 1 < text.size(); at += 3)
        bytes.push_back((unsigned char)std::stoi(text.substr(at, 2), nullptr, 16));
    return bytes;
}

Bytes operator+(Bytes a, const Bytes& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// Both: coded within the worst case (LZW a 14-bit code a byte and the end
// code, delta two bytes a byte and the 0), an encoder given up to 6 bytes
// less room fails (the sanitizer sees a write past it; the LZW encoder stores
// two bytes a code while two are left), and the stream decodes back with other bytes after it
// (the decoder reports its own length). LZW: the bytes of the defined
// encoder, and the builder's bounded coding gives up only when it cannot fit.
Bytes ExpectRoundTrip(const Coder& coder, const Bytes& input, const std::string& label)
{
    const Bytes stream = Encode(coder, input);
    const size_t n = input.size();
    const std::string what = std::string(coder.name) + " " + label;
    const bool lzw = coder.encode == LzwEncode;
    EXPECT_LE(stream.size(), lzw ? (n ? (14 * n + 21) / 8 : 4) : 2 * n + 1) << what;
    for (size_t room = stream.size() > 64 ? stream.size() - 6 : 0; room < stream.size(); ++room)
    {
        Bytes tight(room);
        EXPECT_EQ(coder.encode(input.data(), (int32_t)n, tight.data(), (uint32_t)room),
                  kCoderFailed)
            << what << " in " << room;
    }
    if (lzw)
    {
        EXPECT_TRUE(stream == Encode({"", LzwEncodeDefined, LzwDecode}, input)) << what;
        Bytes exact(stream.size());
        EXPECT_EQ(LzwEncodeBounded(input.data(), (int32_t)n, exact.data(), (uint32_t)exact.size()),
                  stream.size())
            << what;
    }
    for (unsigned char filler : {0x00, 0xFF})
    {
        Bytes output;
        EXPECT_EQ(Decode(coder, stream + Bytes(3, filler), &output, n), stream.size()) << what;
        EXPECT_TRUE(output == input) << what;
    }
    return stream;
}

TEST(CoderTest, KnownStreams)
{
    Bytes fifty;
    for (int i = 1; i <= 300; ++i)
        fifty.push_back((unsigned char)(50 * i));
    auto part = [&](long from, long to) { return Bytes(fifty.begin() + from, fifty.begin() + to); };
    const std::tuple<const char*, const Coder&, Bytes, Bytes> cases[] = {
        {"empty", kLzw, {}, Hex("00 03 FF F0")},
        {"61", kLzw, Hex("61"), Hex("01 87 FF F0")},
        {"61 62", kLzw, Hex("61 62"), Hex("01 84 06 2F FF C0")},
        {"61 x4: code 256 as it is defined", kLzw, Bytes(4, 0x61), Hex("01 84 10 00 18 7F FF")},
        {"empty", kDelta, {}, Hex("00")},
        {"03", kDelta, Hex("03"), Hex("81 03 00")},
        {"64", kDelta, Hex("64"), Hex("01 64 00")},
        {"nine bytes", kDelta, Hex("03 05 04 04 C8 5A 5B 5D 00"),
         Hex("84 23 0F 02 C8 5A 82 21 01 00 00")},
        {"05 FD: -8 fits", kDelta, Hex("05 FD"), Hex("82 85 00")},
        {"05 FC: -9 does not", kDelta, Hex("05 FC"), Hex("81 05 01 FC 00")},
        {"07 0F: +8 does not", kDelta, Hex("07 0F"), Hex("81 07 01 0F 00")},
        {"FE 03: across the wrap", kDelta, Hex("FE 03"), Hex("82 5E 00")},
        {"130 zeros", kDelta, Bytes(130, 0), Hex("FF") + Bytes(64, 0) + Hex("83 00 00 00")},
        {"07 and 199 of 10: 07 fits against 0; an odd run's last high half is 0", kDelta,
         Hex("07") + Bytes(199, 0x10),
         Hex("81 07 01 10 FF") + Bytes(64, 0) + Hex("C7") + Bytes(36, 0) + Hex("00")},
        {"300 bytes 50 apart: literals of at most 127", kDelta, fifty,
         Hex("7F") + part(0, 127) + Hex("7F") + part(127, 254) + Hex("2E") + part(254, 300) +
             Hex("00")},
    };
    for (const auto& [label, coder, input, stream] : cases)
        EXPECT_EQ(ExpectRoundTrip(coder, input, label), stream) << coder.name << " " << label;
}

TEST(CoderTest, RoundTrips)
{
    // 200,000 bytes of every kind fill the LZW dictionary and code on.
    for (size_t n : {0, 1, 2, 5, 6, 7, 8, 127, 128, 129, 1000, 65536, 200000})
        for (int kind = 0; kind < kInputKinds; ++kind)
            for (const Coder* coder : {&kLzw, &kDelta})
                ExpectRoundTrip(*coder, MakeInput(kind, n, (uint32_t)n),
                                std::to_string(n) + " bytes");
    // Delta at its worst, a stretch of literals 20 runs long, then each byte
    // a run of its own: no room short of the stream holds it, and none is
    // written past (the sanitizer sees it).
    Bytes worst;
    for (int i = 0; i < 2760; ++i)
        worst.push_back((unsigned char)(i < 2560 ? 50 * i : i / 2 * 0x35 + i % 2));
    const size_t worstLength = ExpectRoundTrip(kDelta, worst, "worst").size();
    for (size_t room = 0; room < worstLength; ++room)
    {
        Bytes tight(room);
        EXPECT_EQ(DeltaEncode(worst.data(), (int32_t)worst.size(), tight.data(), (uint32_t)room),
                  kCoderFailed)
            << room;
    }
    // Noise assigns all 16,127 LZW codes and codes on well after; so does
    // every kind of data in turn, which keeps finding strings it knows.
    EXPECT_GT(ExpectRoundTrip(kLzw, RandomBytes(200000, 42), "noise").size() * 8 / 14, 3 * 16127u);
    ExpectRoundTrip(kLzw,
                    EnglishText(300000, 5) + X86Code(300000, 6) + Pcm16Audio(300000, 7) +
                        BmpImage(300000, 8, 24) + EnglishText(300000, 9),
                    "every kind");
    // A run builds strings of 1, 2, 3, ... bytes: 13 MB reaches 5,100.
    ExpectRoundTrip(kLzw, Bytes(13000000, 0xA5), "long run");
}

TEST(CoderTest, DamagedStreamsFail)
{
    // The LZW rows are 14-bit codes packed most significant bit first, the end
    // code 16383 last: FF FC is it alone, 04 03 FF F0 is 256 and end, 01 84 10 1F
    // FF C0 is 97, 257 and end, 01 84 06 2F A0 3F FF is 97, 98, 16000 and end.
    std::vector<std::tuple<const char*, const Coder*, Bytes, size_t>> cases = {
        // size: asked for
        {"end code alone", &kLzw, Hex("FF FC"), 0},
        {"end code alone, size 1", &kLzw, Hex("FF FC"), 1},
        {"one byte for size 0", &kLzw, Hex("01 87 FF F0"), 0},
        {"dictionary code first", &kLzw, Hex("04 03 FF F0"), 2},
        {"code above next free", &kLzw, Hex("01 84 10 1F FF C0"), 3},
        {"code far above next free", &kLzw, Hex("01 84 06 2F A0 3F FF"), 4},
        {"no end code", &kLzw, Hex("01 84 06 20"), 2},
        {"no input for size 0", &kDelta, {}, 0},
        {"no terminator", &kDelta, Hex("81 03"), 1},
        {"delta payload cut", &kDelta, Hex("85 11 11"), 5},
        {"literal payload cut", &kDelta, Hex("03 41 42"), 3},
        {"terminator alone, size 1", &kDelta, Hex("00"), 1},
    };
    for (const Coder* coder : {&kLzw, &kDelta})
        for (const Bytes& input : {EnglishText(2000, 3), Pcm16Audio(300, 4), Bytes(1, 0x61)})
        {
            const Bytes stream = Encode(*coder, input);
            cases.push_back({"size one short", coder, stream, input.size() - 1});
            cases.push_back({"size one over", coder, stream, input.size() + 1});
            for (size_t cut = 0; cut < stream.size(); ++cut) // no input at all first
                cases.push_back({"cut", coder, Bytes(stream.begin(), stream.begin() + (long)cut),
                                 input.size()});
        }
    for (const auto& [label, coder, stream, size] : cases)
    {
        Bytes output;
        EXPECT_EQ(Decode(*coder, stream, &output, size), kCoderFailed)
            << coder->name << " " << label << " (" << stream.size() << " bytes)";
    }
}

} // namespace
