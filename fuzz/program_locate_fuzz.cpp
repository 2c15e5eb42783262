// The search for the archive in any bytes taken as a program, exactly the
// input's length: the resource directory lies inside the file and is read
// only there; an image the search finds lies inside one initialised data
// section and holds whole to its last byte; damage it names lies inside the
// file.
#include "datafile/record_walk.h"
#include "inspect/image_locate.h"
#include "inspect/pe_sections.h"
#include "inspect/program_resources.h"
#include "fuzz/fuzz_check.h"

#include <vector>

static bool InSection(const ProgramSections& sections, uint64_t offset, uint64_t length)
{
    for (int i = 0; i < sections.count; ++i)
    {
        const FileRange& s = sections.ranges[i];
        if (offset >= s.offset && offset + length <= (uint64_t)s.offset + s.length)
            return true;
    }
    return false;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size >= 0xFFFFFFFFu)
        return 0;
    const std::vector<unsigned char> file(data, data + size);
    ProgramSections sections;
    if (ReadProgramSections(file.data(), (uint32_t)size, &sections) != kProgramSound)
        return 0;
    for (int i = 0; i < sections.count; ++i)
        FUZZ_CHECK((uint64_t)sections.ranges[i].offset + sections.ranges[i].length <= size,
                   "section %d runs past the end", i);
    FUZZ_CHECK((uint64_t)sections.resources.offset + sections.resources.length <= size,
               "the resource directory runs past the end");
    // The locator runs on every program, ours or not, so that both are fuzzed.
    CarriesOurResources(file.data(), sections);
    LocatedImage located;
    LocateImage(file.data(), sections, &located);
    if (located.result == kLocateFound)
    {
        const FileRange image = located.image;
        FUZZ_CHECK(InSection(sections, image.offset, image.length),
                   "the image at %u (%u bytes) is outside every section", image.offset,
                   image.length);
        WalkStop stop;
        const unsigned char* start = file.data() + image.offset;
        WalkRecords(start, start + image.length, false, &stop);
        FUZZ_CHECK(stop.result == kWalkWhole && stop.at == start + image.length,
                   "the image at %u does not hold to its last byte", image.offset);
    }
    if (located.result == kLocateDamaged)
        FUZZ_CHECK(located.damage.at > file.data() && located.damage.at < file.data() + size,
                   "the damage is named outside the file");
    return 0;
}
