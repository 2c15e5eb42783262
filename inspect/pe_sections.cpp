// Windows program headers. Offsets are summed in 64 bits, so no field of a
// damaged file can wrap a check around into a read outside it.
#include "inspect/pe_sections.h"

#include "datafile/format.h"

#include <string.h>

static const uint32_t kDosHeaderSize = 64;
static const uint32_t kNewHeaderField = 0x3C;
static const uint32_t kCoffHeaderSize = 20;
static const uint16_t kMachineI386 = 0x14C;
static const uint16_t kMachineAmd64 = 0x8664;
static const uint16_t kMagicPe32 = 0x10B;
static const uint16_t kMagicPe32Plus = 0x20B;
static const uint32_t kInitialisedData = 0x40;
// In the optional header: the count of data directories, then the first
// one; the resource directory is the third.
static const uint32_t kDirectoryCountPe32 = 92, kDirectoryCountPe32Plus = 108;
static const uint32_t kResourceDirectory = 2;

static bool Within(uint64_t offset, uint64_t size, uint32_t length)
{
    return offset <= length && size <= length - offset;
}

bool LooksLikeProgram(const unsigned char* file, uint32_t length)
{
    return length >= 2 && file[0] == 'M' && file[1] == 'Z' && !(length >= 5 && file[4] == '\\');
}

// The resource directory's address, or 0 when the optional header at
// optional (size bytes, inside the file) names none.
static uint32_t ResourcesAddress(const unsigned char* optional, uint32_t size, bool plus)
{
    const uint32_t count = plus ? kDirectoryCountPe32Plus : kDirectoryCountPe32;
    const uint64_t entry = count + 4 + 8 * kResourceDirectory;
    if (size < entry + 8 || ReadLe32(optional + count) <= kResourceDirectory)
        return 0;
    return ReadLe32(optional + entry + 4) ? ReadLe32(optional + entry) : 0;
}

// One section header: keeps its raw data when it holds initialised data,
// and the resource directory's place when it lies in its raw data.
static ProgramProblem TakeSection(const unsigned char* header, uint32_t length,
                                  ProgramSections* sections)
{
    uint32_t address = ReadLe32(header + 12);
    uint32_t rawSize = ReadLe32(header + 16);
    uint32_t rawOffset = ReadLe32(header + 20);
    uint32_t flags = ReadLe32(header + 36);
    if (rawSize != 0 && !Within(rawOffset, rawSize, length))
        return (flags & kInitialisedData) ? kProgramSectionPastEnd : kProgramSound;
    uint32_t into = sections->resourcesAddress - address;
    if (sections->resourcesAddress != 0 && sections->resourcesAddress >= address && into < rawSize)
        sections->resources = {rawOffset + into, rawSize - into};
    if ((flags & kInitialisedData) && rawSize != 0)
        sections->ranges[sections->count++] = {rawOffset, rawSize};
    return kProgramSound;
}

ProgramProblem ReadProgramSections(const unsigned char* file, uint32_t length,
                                   ProgramSections* sections, ProgramHeaders* headers)
{
    sections->count = 0;
    sections->resources = {0, 0};
    sections->resourcesAddress = 0;
    if (length < kDosHeaderSize)
        return kProgramNoDosHeader;
    uint64_t pe = ReadLe32(file + kNewHeaderField);
    if (!Within(pe, 4 + kCoffHeaderSize + 2, length))
        return kProgramPeHeaderPastEnd;
    if (memcmp(file + pe, "PE\0\0", 4) != 0)
        return kProgramNoPeSignature;
    const unsigned char* coff = file + pe + 4;
    uint16_t machine = ReadLe16(coff);
    uint16_t sectionCount = ReadLe16(coff + 2);
    uint16_t optionalSize = ReadLe16(coff + 16);
    uint16_t magic = ReadLe16(coff + kCoffHeaderSize);
    if (optionalSize < 2 || !((machine == kMachineI386 && magic == kMagicPe32) ||
                              (machine == kMachineAmd64 && magic == kMagicPe32Plus)))
        return kProgramWrongMachine;
    if (sectionCount > kMaxSections)
        return kProgramTooManySections;
    uint64_t table = pe + 4 + kCoffHeaderSize + optionalSize;
    if (!Within(table, (uint64_t)sectionCount * kSectionHeaderSize, length))
        return kProgramTablePastEnd;
    sections->resourcesAddress =
        ResourcesAddress(coff + kCoffHeaderSize, optionalSize, magic == kMagicPe32Plus);
    for (uint32_t i = 0; i < sectionCount; ++i)
    {
        ProgramProblem problem =
            TakeSection(file + table + (uint64_t)i * kSectionHeaderSize, length, sections);
        if (problem != kProgramSound)
            return problem;
    }
    if (headers)
        *headers = {(uint32_t)(pe + 4 + kCoffHeaderSize), (uint32_t)table, sectionCount,
                    machine == kMachineAmd64};
    return kProgramSound;
}
