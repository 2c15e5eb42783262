// Telling a data.bin from a program, and finding the data file in either.
#include "inspect/data_file_source.h"

#include "datafile/entry_name.h"
#include "datafile/extract_whole.h"
#include "inspect/image_locate.h"
#include "inspect/program_resources.h"
#include "platform/platform.h"

#include <stdlib.h>

void ReportWalkStop(const char* path, const DataFileSource& file, const WalkStop& stop)
{
    unsigned offset = (unsigned)(stop.at - file.bytes);
    if (stop.result == kWalkNoMemory)
        ReportError("%s: no memory for %s (%u bytes)", path, stop.name, (unsigned)stop.size);
    else if (!file.program && offset == 4)
        ReportError("%s: neither a data file nor a Windows program", path);
    // A name that is no entry's is not printed: it may hold control bytes.
    else if (stop.name[0] && IsSafeEntryName(stop.name))
        ReportError("%s: damaged record %s at offset %u", path, stop.name, offset);
    else
        ReportError("%s: damaged record at offset %u", path, offset);
}

static const char* ProgramProblemText(ProgramProblem problem)
{
    switch (problem)
    {
    case kProgramNoDosHeader:
        return "truncated: shorter than a DOS header";
    case kProgramPeHeaderPastEnd:
        return "truncated: the PE header lies past the end of the file";
    case kProgramNoPeSignature:
        return "not a Windows program: no PE signature";
    case kProgramWrongMachine:
        return "not an i686 or x64 Windows program";
    case kProgramTooManySections:
        return "not a Windows program: too many sections";
    case kProgramTablePastEnd:
        return "truncated: the section table runs past the end of the file";
    case kProgramSectionPastEnd:
        return "truncated: a section runs past the end of the file";
    default:
        return "";
    }
}

void LookUpProgram(const unsigned char* bytes, uint32_t length, ProgramLookup* lookup,
                   const unsigned char* whole, uint32_t wholeLength)
{
    ProgramSections sections;
    lookup->problem = ReadProgramSections(bytes, length, &sections);
    // Without this, an empty archive would be found in most programs.
    lookup->ours = lookup->problem == kProgramSound && CarriesOurResources(bytes, sections);
    lookup->located.result = kLocateMissing;
    if (lookup->ours)
        LocateImage(bytes, sections, &lookup->located, whole, wholeLength);
}

// Finds the embedded image in a program; 0 when found.
static int LocateInProgram(const char* path, DataFileSource* file)
{
    ProgramLookup lookup;
    LookUpProgram(file->bytes, file->length, &lookup);
    const LocatedImage& located = lookup.located;
    if (lookup.problem != kProgramSound)
        ReportError("%s: %s", path, ProgramProblemText(lookup.problem));
    else if (!lookup.ours)
        ReportError("%s: not a Setup.exe built by this project", path);
    else if (located.result == kLocateMissing)
        ReportError("%s: no archive found in the program", path);
    else if (located.result == kLocateGaveUp)
        ReportError(
            "%s: no archive found: the search gave up on too many framed bytes that do not hold",
            path);
    else if (located.result == kLocateDamaged)
        ReportWalkStop(path, *file, located.damage);
    file->image = located.image;
    return lookup.ours && located.result == kLocateFound ? 0 : 1;
}

void ReleaseDataFileSource(DataFileSource* file)
{
    free(file->bytes);
    file->bytes = nullptr;
}

int LoadDataFileSource(const char* path, DataFileSource* file)
{
    *file = {nullptr, 0, false, {0, 0}};
    ReadWholeResult read = FileReadWhole(path, &file->bytes, &file->length);
    if (read != kReadWhole)
    {
        ReportError("%s: %s", path,
                    read == kReadTooLarge   ? "4 GiB or larger"
                    : read == kReadNoMemory ? "not enough memory to read it"
                                            : "cannot be opened or read");
        return 1;
    }
    file->program = LooksLikeProgram(file->bytes, file->length);
    file->image = {0, file->length};
    int result = 0;
    if (file->program)
        result = LocateInProgram(path, file);
    else if (!DataFileLengthFits(path, file->length))
        result = 1;
    if (result != 0)
        ReleaseDataFileSource(file);
    return result;
}

bool IsProgramFile(const char* path)
{
    unsigned char head[5];
    int fd = FileOpenRead(path);
    if (fd < 0)
        return false;
    uint32_t got = 0;
    for (int64_t n; got < sizeof head && (n = FileRead(fd, head + got, sizeof head - got)) > 0;)
        got += (uint32_t)n;
    FileClose(fd);
    return LooksLikeProgram(head, got);
}

int ExtractDataFileSource(const char* folder, const char* path)
{
    if (!IsProgramFile(path))
        return ExtractDataFile(folder, path);
    DataFileSource file;
    if (LoadDataFileSource(path, &file) != 0)
        return 1;
    int result =
        ExtractImageInMemory(folder, path, file.bytes + file.image.offset, file.image.length);
    ReleaseDataFileSource(&file);
    return result;
}
