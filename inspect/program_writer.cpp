// The stub's headers read and rewritten in memory; the files are the
// caller's. Sizes are summed in 64 bits, so no field of a damaged stub can
// wrap a check around.
#include "inspect/program_writer.h"

#include "datafile/format.h"

#include <string.h>

static const char kImageSectionName[8] = {'.', 'd', 'a', 't', 'f', 'i', 'l', 'e'};
// Offsets in the optional header, the same in PE32 and PE32+.
static const uint32_t kInitialisedDataField = 8;
static const uint32_t kSectionAlignmentField = 32;
static const uint32_t kFileAlignmentField = 36;
static const uint32_t kImageSizeField = 56;
static const uint32_t kChecksumField = 64;
static const uint32_t kOptionalHeaderMinimum = 96;
// Initialised data, readable; never writable or code.
static const uint32_t kFlagsChecked = 0xE0000060;
static const uint32_t kReadOnlyData = 0x40000040;

static uint64_t AlignUp(uint64_t value, uint32_t alignment)
{
    return (value + alignment - 1) / alignment * alignment;
}

static bool PowerOfTwo(uint32_t value)
{
    return value && !(value & (value - 1));
}

// gSizeDatfile, then the archive and 1 to 4 zero bytes up to a word.
static uint64_t ImageSectionSize(uint32_t archiveLength)
{
    return 4 + ((uint64_t)archiveLength / 4 + 1) * 4;
}

// The 16-bit words of bytes, an odd last byte as the low byte of one, up
// to a multiple of 0xFFFF: the checksum is that sum folded, and a 32-bit
// word stands for its low word plus 0x10000 times its high one, which is
// the same modulo 0xFFFF. Read a word pair at a time, a game's archive
// costs a few milliseconds rather than tens.
static uint64_t SumWords(const unsigned char* bytes, uint32_t length)
{
    uint64_t sum = 0;
    uint32_t i = 0;
    for (; i + 3 < length; i += 4)
        sum += ReadLe32(bytes + i);
    for (; i + 1 < length; i += 2)
        sum += (uint32_t)bytes[i] | (uint32_t)bytes[i + 1] << 8;
    if (i < length)
        sum += bytes[i];
    return sum;
}

static uint32_t FoldChecksum(uint64_t sum, uint32_t length)
{
    while (sum >> 16)
        sum = (sum & 0xFFFF) + (sum >> 16);
    return (uint32_t)sum + length;
}

uint32_t ProgramChecksum(const unsigned char* file, uint32_t length, uint32_t checksumField)
{
    // Less the field by adding 0xFFFF * 0x10001 less it: the same modulo
    // 0xFFFF, and no wrap when the field was summed as two halves of words.
    uint64_t sum = SumWords(file, length);
    if ((uint64_t)checksumField + 4 <= length)
        sum += 0xFFFFFFFFu - SumWords(file + checksumField, 4);
    return FoldChecksum(sum, length);
}

// The image section must be the last, in the file and in memory.
static bool ImageSectionLast(const unsigned char* stub, uint32_t length, const StubLayout& layout,
                             uint32_t sectionAlignment)
{
    const unsigned char* image = stub + layout.imageHeader;
    uint64_t imageAddress = ReadLe32(image + 12);
    if ((uint64_t)layout.imageOffset + ReadLe32(image + 16) != length)
        return false;
    for (uint32_t i = 0; i + 1 < layout.headers.sectionCount; ++i)
    {
        const unsigned char* header = stub + layout.headers.sectionTable + i * kSectionHeaderSize;
        uint32_t rawSize = ReadLe32(header + 16);
        if ((rawSize && (uint64_t)ReadLe32(header + 20) + rawSize > layout.imageOffset) ||
            (uint64_t)ReadLe32(header + 12) + ReadLe32(header + 8) > imageAddress)
            return false;
    }
    const unsigned char* optional = stub + layout.headers.optionalHeader;
    return ReadLe32(optional + kImageSizeField) ==
           AlignUp(imageAddress + ReadLe32(image + 8), sectionAlignment);
}

// Read-only data holding the empty image alone: its size, 5, and zeros.
static bool ImageSectionEmpty(const unsigned char* stub, uint32_t length, const StubLayout& layout)
{
    const unsigned char* image = stub + layout.imageHeader;
    if (length - layout.imageOffset < ImageSectionSize(kEmptyDataFileLength) ||
        (ReadLe32(image + 36) & kFlagsChecked) != kReadOnlyData ||
        ReadLe32(image + 8) != ImageSectionSize(kEmptyDataFileLength) ||
        ReadLe32(stub + layout.imageOffset) != kEmptyDataFileLength)
        return false;
    for (uint32_t at = layout.imageOffset + 4; at < length; ++at)
        if (stub[at])
            return false;
    return true;
}

StubProblem ReadStub(const unsigned char* stub, uint32_t length, StubLayout* layout)
{
    ProgramSections sections;
    ProgramHeaders& headers = layout->headers;
    if (ReadProgramSections(stub, length, &sections, &headers) != kProgramSound ||
        headers.sectionTable - headers.optionalHeader < kOptionalHeaderMinimum)
        return kStubNotProgram;
    const unsigned char* optional = stub + headers.optionalHeader;
    uint32_t sectionAlignment = ReadLe32(optional + kSectionAlignmentField);
    uint32_t fileAlignment = ReadLe32(optional + kFileAlignmentField);
    if (!PowerOfTwo(sectionAlignment) || !PowerOfTwo(fileAlignment) || fileAlignment < 512 ||
        fileAlignment > 0x10000 || sectionAlignment < fileAlignment)
        return kStubNotProgram;
    if (headers.sectionCount == 0)
        return kStubNoImageSection;
    layout->imageHeader = headers.sectionTable + (headers.sectionCount - 1) * kSectionHeaderSize;
    if (memcmp(stub + layout->imageHeader, kImageSectionName, sizeof kImageSectionName) != 0)
        return kStubNoImageSection;
    layout->imageOffset = ReadLe32(stub + layout->imageHeader + 20);
    // The headers are kept as they are, so they must lie before it.
    if (layout->imageOffset % fileAlignment ||
        layout->imageOffset < (uint64_t)layout->imageHeader + kSectionHeaderSize ||
        !ImageSectionLast(stub, length, *layout, sectionAlignment))
        return kStubNotLast;
    if (!ImageSectionEmpty(stub, length, *layout))
        return kStubNotEmpty;
    if (ProgramChecksum(stub, length, headers.optionalHeader + kChecksumField) !=
        ReadLe32(optional + kChecksumField))
        return kStubBadChecksum;
    return kStubSound;
}

uint32_t WrittenProgramLength(const unsigned char* stub, const StubLayout& layout,
                              uint32_t archiveLength)
{
    const unsigned char* optional = stub + layout.headers.optionalHeader;
    uint64_t raw =
        AlignUp(ImageSectionSize(archiveLength), ReadLe32(optional + kFileAlignmentField));
    uint64_t imageEnd = AlignUp(ReadLe32(stub + layout.imageHeader + 12) + raw,
                                ReadLe32(optional + kSectionAlignmentField));
    uint64_t length = layout.imageOffset + raw;
    return length >> 32 || imageEnd >> 32 ? 0 : (uint32_t)length;
}

void PrepareProgramHead(unsigned char* head, const StubLayout& layout, const unsigned char* archive,
                        uint32_t archiveLength, unsigned char sizeWord[4])
{
    unsigned char* optional = head + layout.headers.optionalHeader;
    unsigned char* image = head + layout.imageHeader;
    uint32_t virtualSize = (uint32_t)ImageSectionSize(archiveLength);
    uint32_t rawSize = (uint32_t)AlignUp(virtualSize, ReadLe32(optional + kFileAlignmentField));
    WriteLe32(optional + kInitialisedDataField,
              ReadLe32(optional + kInitialisedDataField) - ReadLe32(image + 16) + rawSize);
    WriteLe32(optional + kImageSizeField,
              (uint32_t)AlignUp((uint64_t)ReadLe32(image + 12) + virtualSize,
                                ReadLe32(optional + kSectionAlignmentField)));
    WriteLe32(image + 8, virtualSize);
    WriteLe32(image + 16, rawSize);
    WriteLe32(sizeWord, archiveLength);
    WriteLe32(optional + kChecksumField, 0);
    uint32_t length = layout.imageOffset + rawSize;
    uint64_t sum = SumWords(head, layout.imageOffset) + SumWords(sizeWord, 4) +
                   SumWords(archive, archiveLength);
    WriteLe32(optional + kChecksumField, FoldChecksum(sum, length));
}
