// Small Windows programs put together byte by byte: the headers that a
// reader of the section table looks at, and sections of given raw data. The
// unit tests and the fuzz seeds use them in place of real programs, which
// are far too big for a seed corpus.
#ifndef TREMLOK_TESTS_SUPPORT_FAKE_PROGRAM_H
#define TREMLOK_TESTS_SUPPORT_FAKE_PROGRAM_H

#include <stddef.h>
#include <stdint.h>

#include <string>
#include <vector>

namespace fake_program
{

typedef std::vector<unsigned char> Bytes;

// Where the headers lie, for tests that damage them.
const size_t kPeOffset = 64;              // e_lfanew
const size_t kCoffOffset = kPeOffset + 4; // after "PE\0\0"
const size_t kOptionalOffset = kCoffOffset + 20;
const size_t kFileAlignment = 0x200;

const uint32_t kCode = 0x60000020; // code, execute, read
const uint32_t kData = 0xC0000040; // initialised data, read, write
const uint32_t kUninitialised = 0xC0000080;

struct Section
{
    std::string name; // up to 8 characters
    uint32_t flags;
    Bytes raw;
};

inline size_t SectionHeaderOffset(bool x64, size_t index)
{
    return kOptionalOffset + (x64 ? 0xF0 : 0xE0) + 40 * index;
}

inline void Put16(Bytes& b, size_t at, uint32_t v)
{
    b[at] = (unsigned char)v;
    b[at + 1] = (unsigned char)(v >> 8);
}

// Little-endian, as WriteLe32, but the test's own: the core's inline copy
// is compiled for link-time optimisation in the Windows builds.
inline void Put32(Bytes& b, size_t at, uint32_t v)
{
    Put16(b, at, v & 0xFFFF);
    Put16(b, at + 2, v >> 16);
}

// A PE32 (i386) or PE32+ (x64) program holding sections, each at a file
// offset aligned as a linker aligns it. The optional header is zero but for
// its magic: nothing here runs.
inline Bytes Program(bool x64, const std::vector<Section>& sections)
{
    const size_t optionalSize = x64 ? 0xF0 : 0xE0;
    size_t at = SectionHeaderOffset(x64, sections.size());
    at = (at + kFileAlignment - 1) / kFileAlignment * kFileAlignment;
    Bytes b(at, 0);
    b[0] = 'M', b[1] = 'Z', b[2] = 0x90, b[4] = 3;
    Put32(b, 0x3C, (uint32_t)kPeOffset);
    b[kPeOffset] = 'P', b[kPeOffset + 1] = 'E';
    Put16(b, kCoffOffset, x64 ? 0x8664 : 0x14C);
    Put16(b, kCoffOffset + 2, (uint32_t)sections.size());
    Put16(b, kCoffOffset + 16, (uint32_t)optionalSize);
    Put16(b, kOptionalOffset, x64 ? 0x20B : 0x10B);
    for (size_t i = 0; i < sections.size(); ++i)
    {
        const Section& s = sections[i];
        const size_t header = SectionHeaderOffset(x64, i);
        const size_t rawSize =
            (s.raw.size() + kFileAlignment - 1) / kFileAlignment * kFileAlignment;
        for (size_t c = 0; c < s.name.size() && c < 8; ++c)
            b[header + c] = (unsigned char)s.name[c];
        Put32(b, header + 8, (uint32_t)s.raw.size());
        Put32(b, header + 12, (uint32_t)(0x1000 * (i + 1)));
        if (s.flags != kUninitialised)
        {
            Put32(b, header + 16, (uint32_t)rawSize);
            Put32(b, header + 20, (uint32_t)b.size());
            b.insert(b.end(), s.raw.begin(), s.raw.end());
            b.resize(b.size() + rawSize - s.raw.size(), 0);
        }
        Put32(b, header + 36, s.flags);
    }
    return b;
}

inline Bytes SizeWord(size_t n)
{
    Bytes word(4);
    Put32(word, 0, (uint32_t)n);
    return word;
}

// A .data section as data.cpp leaves it: the unsigned int gSizeDatfile,
// then gDatfile on a 32-byte boundary, floor(n / 4) + 1 words; before and
// after them other variables.
inline Bytes DataCppSection(const Bytes& image, const Bytes& before = {}, const Bytes& after = {})
{
    Bytes raw = before;
    raw.resize((raw.size() + 31) / 32 * 32);
    Bytes size = SizeWord(image.size());
    raw.insert(raw.end(), size.begin(), size.end());
    raw.resize(raw.size() + 28, 0);
    raw.insert(raw.end(), image.begin(), image.end());
    raw.resize(raw.size() + 4 - image.size() % 4, 0);
    raw.insert(raw.end(), after.begin(), after.end());
    return raw;
}

// The same as the .incbin route leaves it: gDatfile on a word boundary,
// padded with 1 to 4 zero bytes, then gSizeDatfile.
inline Bytes IncbinSection(const Bytes& image, const Bytes& before = {}, const Bytes& after = {})
{
    Bytes raw = before;
    raw.resize((raw.size() + 3) / 4 * 4);
    raw.insert(raw.end(), image.begin(), image.end());
    raw.resize(raw.size() + 4 - image.size() % 4, 0);
    Bytes size = SizeWord(image.size());
    raw.insert(raw.end(), size.begin(), size.end());
    raw.insert(raw.end(), after.begin(), after.end());
    return raw;
}

} // namespace fake_program

#endif
