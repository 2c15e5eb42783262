// Deterministic inputs of the kinds a game carries, for the benchmarks: the
// same seed and length always give the same bytes, on any machine.
#ifndef TREMLOK_BENCH_BENCH_INPUTS_H
#define TREMLOK_BENCH_BENCH_INPUTS_H

#include <stddef.h>
#include <stdint.h>
#include <string.h>

#include <random>
#include <vector>

typedef std::vector<unsigned char> Bytes;

enum InputKind
{
    kInputText,
    kInputCode,
    kInputPcm,
    kInputBmp8,
    kInputBmp24,
    kInputRandom,
    kInputRuns,
    kInputKinds
};

inline const char* InputKindName(int kind)
{
    static const char* const kNames[kInputKinds] = {"text",  "x86",    "pcm16", "bmp8",
                                                    "bmp24", "random", "runs"};
    return kNames[kind];
}

// File name ending that goes with each kind, for the generated tree.
inline const char* InputKindExtension(int kind)
{
    static const char* const kExtensions[kInputKinds] = {".txt", ".dll", ".wav", ".bmp",
                                                         ".bmp", ".pak", ".map"};
    return kExtensions[kind];
}

// English prose: words drawn by their frequency in ordinary text, with
// sentences, capitals and paragraphs.
inline Bytes EnglishText(size_t n, uint32_t seed)
{
    static const char* const kCommon[] = {
        "the",     "of",      "and",     "to",      "a",      "in",    "is",    "it",     "you",
        "that",    "he",      "was",     "for",     "on",     "are",   "with",  "as",     "his",
        "they",    "be",      "at",      "one",     "have",   "this",  "from",  "or",     "had",
        "by",      "word",    "but",     "what",    "some",   "we",    "can",   "out",    "other",
        "were",    "all",     "there",   "when",    "up",     "use",   "your",  "how",    "said",
        "an",      "each",    "she",     "which",   "do",     "their", "time",  "if",     "will",
        "way",     "about",   "many",    "then",    "them",   "write", "would", "like",   "so",
        "these",   "her",     "long",    "make",    "thing",  "see",   "him",   "two",    "has",
        "look",    "more",    "day",     "could",   "go",     "come",  "did",   "number", "sound",
        "no",      "most",    "people",  "my",      "over",   "know",  "water", "than",   "call",
        "first",   "who",     "may",     "down",    "side",   "been",  "now",   "find",   "castle",
        "dragon",  "sword",   "level",   "player",  "ocean",  "tower", "gate",  "shadow", "island",
        "journey", "ancient", "village", "crystal", "thunder"};
    const size_t words = sizeof kCommon / sizeof kCommon[0];
    std::mt19937 random(seed);
    Bytes bytes;
    bytes.reserve(n);
    bool sentenceStart = true;
    while (bytes.size() < n)
    {
        // Zipf-like: the square of a uniform number favours the first words.
        const double u = (double)(random() % 10000) / 10000.0;
        const char* word = kCommon[(size_t)(u * u * words)];
        for (size_t k = 0; word[k] && bytes.size() < n; ++k)
        {
            char c = word[k];
            if (k == 0 && sentenceStart)
                c = (char)(c - 'a' + 'A');
            bytes.push_back((unsigned char)c);
        }
        sentenceStart = false;
        const uint32_t r = random() % 100;
        const char* gap = r < 6 ? ". " : r < 10 ? ", " : r == 10 ? ".\r\n\r\n" : " ";
        sentenceStart = r < 6 || r == 10;
        for (size_t k = 0; gap[k] && bytes.size() < n; ++k)
            bytes.push_back((unsigned char)gap[k]);
    }
    return bytes;
}

// 32-bit x86 machine code: prologues, moves through the frame, calls with
// relative targets, compares and jumps, epilogues, alignment padding.
inline Bytes X86Code(size_t n, uint32_t seed)
{
    static const unsigned char kShapes[][8] = {
        {3, 0x55, 0x89, 0xE5},
        {3, 0x83, 0xEC, 0},
        {3, 0x8B, 0x45, 0},
        {3, 0x89, 0x45, 0},
        {5, 0xE8, 0, 0, 0},
        {2, 0x85, 0xC0},
        {2, 0x74, 0},
        {6, 0x0F, 0x85, 0, 0},
        {2, 0x31, 0xC0},
        {5, 0xB8, 0, 0, 0},
        {1, 0x50},
        {1, 0x5D},
        {1, 0xC3},
        {3, 0x8D, 0x4D, 0},
        {6, 0xC7, 0x45, 0, 0, 0, 0},
        {7, 0x90, 0x90, 0x90, 0x90},
        {2, 0x8B, 0x00},
        {3, 0xFF, 0x75, 0},
    };
    const size_t shapes = sizeof kShapes / sizeof kShapes[0];
    std::mt19937 random(seed);
    Bytes bytes;
    bytes.reserve(n);
    while (bytes.size() < n)
    {
        const unsigned char* shape = kShapes[random() % shapes];
        for (int k = 1; k <= shape[0] && bytes.size() < n; ++k)
        {
            // Operands: small frame offsets mostly, now and then a wide value.
            unsigned char b = shape[k];
            if (k > 1 && b == 0)
                b = (unsigned char)(random() % 4 ? (random() % 16) * 4 : random());
            bytes.push_back(b);
        }
    }
    return bytes;
}

// 16-bit little-endian mono PCM: two notes, a slow swell and some noise.
inline Bytes Pcm16Audio(size_t n, uint32_t seed)
{
    std::mt19937 random(seed);
    Bytes bytes(n);
    for (size_t i = 0; i + 1 < n; i += 2)
    {
        const int t = (int)(i / 2);
        const int a = t % 200 < 100 ? t % 200 : 200 - t % 200;
        const int b = t % 333 < 166 ? t % 333 : 333 - t % 333;
        const int swell = (t / 4410) % 8 + 2;
        const int sample = (a - 50) * swell * 30 + (b - 83) * 40 + (int)(random() % 128) - 64;
        bytes[i] = (unsigned char)sample;
        bytes[i + 1] = (unsigned char)(sample >> 8);
    }
    if (n % 2)
        bytes[n - 1] = 0;
    return bytes;
}

// A BMP file of n bytes: header, palette for 8 bits, then rows of pixels
// bottom up (gradients, bands and a few flat shapes, a little noise).
inline Bytes BmpImage(size_t n, uint32_t seed, int bitsPerPixel)
{
    std::mt19937 random(seed);
    const int depth = bitsPerPixel / 8;
    const uint32_t width = 640;
    const uint32_t headerBytes = 54 + (depth == 1 ? 1024 : 0);
    Bytes bytes(n);
    unsigned char header[54 + 1024] = {'B', 'M'};
    const uint32_t height = n > headerBytes ? (uint32_t)((n - headerBytes) / (width * depth)) : 0;
    const uint32_t fields[][2] = {{2, (uint32_t)n},
                                  {10, headerBytes},
                                  {14, 40},
                                  {18, width},
                                  {22, height},
                                  {26, 1u | (uint32_t)bitsPerPixel << 16},
                                  {34, height * width * depth},
                                  {46, depth == 1 ? 256u : 0u}};
    for (const auto& field : fields)
        for (int k = 0; k < 4; ++k)
            header[field[0] + k] = (unsigned char)(field[1] >> (8 * k));
    for (uint32_t c = 0; depth == 1 && c < 256; ++c)
    {
        header[54 + 4 * c] = (unsigned char)c;
        header[55 + 4 * c] = (unsigned char)(255 - c);
        header[56 + 4 * c] = (unsigned char)(c / 2);
    }
    if (n > 0) // an empty vector's data() may be null
        memcpy(bytes.data(), header, n < headerBytes ? n : headerBytes);
    for (size_t i = headerBytes; i < n; ++i)
    {
        const size_t pixel = (i - headerBytes) / depth;
        const int channel = (int)((i - headerBytes) % depth);
        const uint32_t x = (uint32_t)(pixel % width), y = (uint32_t)(pixel / width);
        unsigned value;
        if ((x / 80 + y / 60) % 5 == 0)
            value = 40 + 30 * channel; // a flat shape
        else
            value = x / (2 + channel) + y * (channel + 1) / 3 + random() % 4;
        bytes[i] = (unsigned char)value;
    }
    return bytes;
}

inline Bytes RandomBytes(size_t n, uint32_t seed)
{
    std::mt19937 random(seed);
    Bytes bytes(n);
    for (unsigned char& b : bytes)
        b = (unsigned char)random();
    return bytes;
}

// Long runs of one byte, as in level maps and padding: runs of 1 to 4096
// bytes of a few values.
inline Bytes LongRuns(size_t n, uint32_t seed)
{
    std::mt19937 random(seed);
    Bytes bytes(n);
    for (size_t i = 0; i < n;)
    {
        const size_t run = 1 + random() % 4096;
        const unsigned char value = (unsigned char)(random() % 6 * 17);
        for (size_t k = 0; k < run && i < n; ++k)
            bytes[i++] = value;
    }
    return bytes;
}

inline Bytes MakeInput(int kind, size_t n, uint32_t seed)
{
    switch (kind)
    {
    case kInputText:
        return EnglishText(n, seed);
    case kInputCode:
        return X86Code(n, seed);
    case kInputPcm:
        return Pcm16Audio(n, seed);
    case kInputBmp8:
        return BmpImage(n, seed, 8);
    case kInputBmp24:
        return BmpImage(n, seed, 24);
    case kInputRandom:
        return RandomBytes(n, seed);
    default:
        return LongRuns(n, seed);
    }
}

#endif
