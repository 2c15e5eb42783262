// Writing the program file: the data file checked and measured, the stub
// checked, then head, image and padding written under a temporary name.
#include "inspect/program_file.h"

#include "inspect/data_file_source.h"
#include "inspect/program_writer.h"
#include "inspect/stub_programs.h"
#include "platform/platform.h"

#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <string>
#include <sys/stat.h>

static const char kCannotWriteTemporary[] = "%s: cannot write %s";

static const char* StubProblemText(StubProblem problem)
{
    switch (problem)
    {
    case kStubNotProgram:
        return "not a sound i686 or x64 program";
    case kStubNoImageSection:
        return "its last section is not the archive's";
    case kStubNotLast:
        return "something lies after the archive's section";
    case kStubNotEmpty:
        return "its archive's section does not hold the empty archive alone";
    default:
        return "damaged: its checksum does not match";
    }
}

// The limit in bytes; false after reporting a TREMLOK_ARCHIVE_LIMIT_MB that
// is no number. A packager whose players run old machines may ask for
// less; never for more.
static bool ReadArchiveLimit(uint64_t* limit)
{
    *limit = (uint64_t)kArchiveLimitMb << 20;
    const char* asked = getenv("TREMLOK_ARCHIVE_LIMIT_MB");
    if (!asked || !*asked)
        return true;
    size_t digits = strspn(asked, "0123456789");
    if (asked[digits] || digits > 5)
    {
        ReportError("TREMLOK_ARCHIVE_LIMIT_MB must be a number of megabytes");
        return false;
    }
    uint64_t lower = strtoull(asked, nullptr, 10) << 20;
    if (lower < *limit)
        *limit = lower;
    return true;
}

// The data file decoded whole; 0 when it fits the limit.
static int CheckArchive(const char* path, const DataFileSource& file, uint64_t limit)
{
    const unsigned char* image = file.bytes + file.image.offset;
    const unsigned char* end = image + file.image.length;
    WalkStop stop;
    WalkRecords(image, end, false, &stop);
    if (stop.result != kWalkWhole)
    {
        ReportWalkStop(path, file, stop);
        return 1;
    }
    if (stop.at != end)
    {
        ReportError("%s: bytes follow the end marker at offset %u", path,
                    (unsigned)(stop.at - file.bytes));
        return 1;
    }
    if (file.image.length + (uint64_t)stop.largestCoded <= limit)
        return 0;
    ReportError("%s: the game is too big for the 32-bit Setup.exe: %u MB of archive and %u MB to "
                "decode its largest compressed file into, more than the %u MB that the program "
                "can map beside Windows in its 2 GB of address space",
                path, (unsigned)(file.image.length >> 20), (unsigned)(stop.largestCoded >> 20),
                (unsigned)(limit >> 20));
    return 1;
}

// Makes the folders program goes in, as mkdir -p does (x64/Setup.exe
// beside Setup.exe). One that cannot be made is left for the program's own
// creation to report.
static void MakeFolders(const char* program)
{
    char folder[1024]; // as a temporary's name
    size_t length = strlen(program);
    if (length >= sizeof folder)
        return;
    memcpy(folder, program, length + 1);
    for (char* slash = strchr(folder + 1, '/'); slash; slash = strchr(slash + 1, '/'))
    {
        *slash = 0;
        FolderCreate(folder);
        *slash = '/';
    }
}

// Creates a new "PROGRAM.tremlok~N" beside program, executable where the
// umask allows, as a linker leaves a program; -1 when none can be.
static int CreateTemporary(const char* program, char* temporary, size_t size)
{
    for (unsigned n = 0; n < 100; ++n)
    {
        int length = snprintf(temporary, size, "%s.tremlok~%u", program, n);
        if (length < 0 || (size_t)length >= size)
            return -1;
        int fd = open(temporary, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0777);
        if (fd >= 0)
            return fd;
    }
    return -1;
}

static int WriteZeros(int fd, uint32_t count)
{
    static const unsigned char kZeros[512] = {0};
    for (uint32_t n; count; count -= n)
    {
        n = count < sizeof kZeros ? count : (uint32_t)sizeof kZeros;
        if (FileWriteAll(fd, kZeros, n) != 0)
            return -1;
    }
    return 0;
}

// The program's bytes in order, the disk started on them; 0 on success.
static int WriteParts(int fd, const unsigned char* head, const StubLayout& layout,
                      const unsigned char* sizeWord, const FileRange& archive,
                      const unsigned char* bytes, uint32_t length)
{
    uint32_t padding = length - layout.imageOffset - 4 - archive.length;
    if (FileWriteAll(fd, head, layout.imageOffset) != 0 || FileWriteAll(fd, sizeWord, 4) != 0 ||
        FileWriteAll(fd, bytes + archive.offset, archive.length) != 0 ||
        WriteZeros(fd, padding) != 0)
        return -1;
    FileStartFlush(fd);
    return 0;
}

// A program written under a temporary name, still open to be flushed.
struct WrittenFile
{
    char temporary[1024];
    int fd;
};

// Writes the program for file from stub under a new temporary name beside
// program; 0 when it is there whole, its descriptor left open.
static int WriteTemporary(ProgramRequest* program, const unsigned char* stub,
                          const StubLayout& layout, const DataFileSource& file, WrittenFile* out)
{
    uint32_t length = WrittenProgramLength(stub, layout, file.image.length);
    unsigned char* head = (unsigned char*)malloc(layout.imageOffset);
    if (!head || !length)
    {
        free(head);
        ReportError("%s: %s", program->path, head ? "would reach 4 GiB" : "not enough memory");
        return 1;
    }
    memcpy(head, stub, layout.imageOffset);
    unsigned char sizeWord[4];
    PrepareProgramHead(head, layout, file.bytes + file.image.offset, file.image.length, sizeWord);
    out->fd = CreateTemporary(program->path, out->temporary, sizeof out->temporary);
    int result = 1;
    if (out->fd < 0)
        ReportError("%s: cannot create a temporary file beside it", program->path);
    else if (WriteParts(out->fd, head, layout, sizeWord, file.image, file.bytes, length) != 0)
    {
        ReportError(kCannotWriteTemporary, program->path, out->temporary);
        FileClose(out->fd);
        FileRemove(out->temporary);
    }
    else
        result = 0;
    free(head);
    program->written = length;
    return result;
}

int CheckWrittenProgram(const char* path, const char* program, const DataFileSource& data)
{
    DataFileSource back;
    if (LoadDataFileSource(path, &back) != 0)
        return 1;
    bool same = back.image.length == data.image.length &&
                memcmp(back.bytes + back.image.offset, data.bytes + data.image.offset,
                       data.image.length) == 0;
    ReleaseDataFileSource(&back);
    if (!same)
        ReportError("%s: read back, it does not carry the archive it was written with", program);
    return same ? 0 : 1;
}

// The stub for program, checked; 0 when it is one of this build's own.
static int FindStub(const ProgramRequest& program, const unsigned char** stub, StubLayout* layout)
{
    const char* arch = program.x64 ? "x64" : "i686";
    uint32_t stubLength;
    if (!BuiltInStub(program.x64, stub, &stubLength))
    {
        ReportError("%s: this build carries no Windows program (%s); build the mingw-%s preset, "
                    "then this one",
                    program.path, arch, arch);
        return 1;
    }
    StubProblem problem = ReadStub(*stub, stubLength, layout);
    if (problem == kStubSound && layout->headers.x64 == program.x64)
        return 0;
    ReportError("%s: the %s program this build carries is not one of its stubs: %s", program.path,
                arch, problem == kStubSound ? "wrong machine" : StubProblemText(problem));
    return 1;
}

// Writes, reads back and puts in place every program; on failure removes
// every file of the run, those already in place too.
static int WriteAll(ProgramRequest* programs, int count, const unsigned char* const* stubs,
                    const StubLayout* layouts, const DataFileSource& file)
{
    WrittenFile files[kMostPrograms];
    int made = 0, placed = 0, result = 0;
    for (; made < count && result == 0; ++made)
        result = WriteTemporary(&programs[made], stubs[made], layouts[made], file, &files[made]);
    made -= result != 0; // the one that failed removed its own
    // Read back while the disk takes the bytes, and flushed before any is
    // renamed: a name never stands for a program the disk does not hold.
    for (int i = 0; i < made && result == 0; ++i)
        result = CheckWrittenProgram(files[i].temporary, programs[i].path, file);
    for (int i = 0; i < made; ++i)
    {
        bool flushed = result != 0 || FileCommit(files[i].fd) == 0;
        if ((FileClose(files[i].fd) != 0 || !flushed) && result == 0)
        {
            ReportError(kCannotWriteTemporary, programs[i].path, files[i].temporary);
            result = 1;
        }
    }
    while (placed < made && result == 0)
    {
        if (FileReplace(files[placed].temporary, programs[placed].path) == 0)
            ++placed;
        else
        {
            ReportError("%s: cannot put %s in its place", programs[placed].path,
                        files[placed].temporary);
            result = 1;
        }
    }
    for (int i = 0; i < made && result != 0; ++i)
        FileRemove(i < placed ? programs[i].path : files[i].temporary);
    return result;
}

// Whether paths a and b name one file, however spelt: the same name in the
// same folder. The second program would then replace the first.
static bool SameFile(const char* a, const char* b)
{
    const char* nameA = strrchr(a, '/');
    const char* nameB = strrchr(b, '/');
    nameA = nameA ? nameA + 1 : a;
    nameB = nameB ? nameB + 1 : b;
    const std::string folderA = nameA == a ? "." : std::string(a, nameA);
    const std::string folderB = nameB == b ? "." : std::string(b, nameB);
    struct stat infoA, infoB;
    return strcmp(nameA, nameB) == 0 && stat(folderA.c_str(), &infoA) == 0 &&
           stat(folderB.c_str(), &infoB) == 0 && infoA.st_dev == infoB.st_dev &&
           infoA.st_ino == infoB.st_ino;
}

int WriteProgramFiles(ProgramRequest* programs, int count, const char* dataPath)
{
    // Made first, so that two paths into a folder that was not there are
    // still compared as one folder.
    for (int i = 0; i < count; ++i)
        MakeFolders(programs[i].path);
    if (count == kMostPrograms && SameFile(programs[0].path, programs[1].path))
    {
        ReportError("%s and %s are one file: each program needs its own", programs[0].path,
                    programs[1].path);
        return 1;
    }
    const unsigned char* stubs[kMostPrograms];
    StubLayout layouts[kMostPrograms];
    for (int i = 0; i < count; ++i)
    {
        programs[i].written = 0;
        if (FindStub(programs[i], &stubs[i], &layouts[i]) != 0)
            return 1;
    }
    uint64_t limit;
    if (!ReadArchiveLimit(&limit))
        return 2;
    DataFileSource file;
    if (LoadDataFileSource(dataPath, &file) != 0)
        return 1;
    int result = CheckArchive(dataPath, file, limit);
    if (result == 0)
        result = WriteAll(programs, count, stubs, layouts, file);
    ReleaseDataFileSource(&file);
    return result;
}
