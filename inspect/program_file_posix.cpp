// Writing the program file: the data file checked and measured, the stub
// checked, then head, image and padding written under a temporary name.
#include "inspect/program_file.h"

#include "datafile/extract_whole.h"
#include "inspect/data_file_source.h"
#include "inspect/mapped_data_file.h"
#include "inspect/program_writer.h"
#include "inspect/stub_programs.h"
#include "inspect/written_program.h"
#include "platform/platform.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <string>
#include <sys/stat.h>

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

int CheckWrittenProgram(const char* path, const char* program, const DataFileSource& data,
                        uint32_t* length)
{
    DataFileSource back;
    if (LoadDataFileSource(path, &back) != 0)
        return 1;
    if (length)
        *length = back.length;
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

// The most padding after an archive: the largest file alignment that
// ReadStub takes, and a word.
static const uint32_t kMostPadding = 0x10000 + 4;

// The room for the largest head of jobs, with gSizeDatfile.
static uint32_t RoomBefore(const ProgramJob* jobs, int count)
{
    uint32_t before = 0;
    for (int i = 0; i < count; ++i)
        if (jobs[i].layout.imageOffset + 4 > before)
            before = jobs[i].layout.imageOffset + 4;
    return before;
}

// The walk of the archive, which runs while the programs are written.
struct ArchiveCheck
{
    const char* path;
    const DataFileSource* file;
    uint64_t limit;
    int result;
};

static void CheckArchiveStep(void* argument)
{
    ArchiveCheck* check = (ArchiveCheck*)argument;
    check->result = CheckArchive(check->path, *check->file, check->limit);
}

// Runs step on every job, the first on this thread and the others on
// threads of their own where one starts; alongside, when given, on one more.
static void RunStep(void (*step)(void*), ProgramJob* jobs, int count,
                    ArchiveCheck* alongside = nullptr)
{
    Thread* threads[kMostPrograms] = {};
    for (int i = 1; i < count; ++i)
        threads[i] = ThreadStart(step, &jobs[i]);
    Thread* walk = alongside ? ThreadStart(CheckArchiveStep, alongside) : nullptr;
    if (alongside && !walk)
        CheckArchiveStep(alongside);
    step(&jobs[0]);
    for (int i = 1; i < count; ++i)
    {
        if (threads[i])
            ThreadJoin(threads[i]);
        else
            step(&jobs[i]);
    }
    if (walk)
        ThreadJoin(walk);
}

// Writes and checks every program while walked, the data file at path
// whose archive each job's room holds, is walked; 0 when all hold their
// programs, else 1 after the first failure's line.
static int RunJobs(ProgramJob* jobs, int count, const char* path, const DataFileSource& walked,
                   uint64_t limit)
{
    for (int i = 0; i < count; ++i)
        jobs[i].walked = walked.bytes + walked.image.offset;
    ArchiveCheck check = {path, &walked, limit, 1};
    RunStep(WriteProgramJob, jobs, count, &check);
    if (check.result != 0)
    {
        for (int i = 0; i < count; ++i)
            AbandonProgramJob(&jobs[i]);
        return 1;
    }
    RunStep(CheckProgramJob, jobs, count);
    for (int i = 0; i < count; ++i)
        if (jobs[i].failure != kProgramHeld)
        {
            ReportProgramFailure(jobs[i]);
            return 1;
        }
    return 0;
}

// Flushes and puts in place every program that result, RunJobs's, says
// holds; on failure removes every file of the run, those already in place too.
static int PlaceAll(ProgramJob* jobs, int count, int result)
{
    // Flushed before any is renamed: a name never stands for a program the
    // disk does not hold.
    for (int i = 0; i < count; ++i)
    {
        if (jobs[i].fd < 0)
            continue;
        bool flushed = result != 0 || FileCommit(jobs[i].fd) == 0;
        if ((FileClose(jobs[i].fd) != 0 || !flushed) && result == 0)
        {
            jobs[i].failure = kProgramCannotWrite;
            ReportProgramFailure(jobs[i]);
            result = 1;
        }
    }
    int placed = 0;
    while (placed < count && result == 0)
    {
        if (FileReplace(jobs[placed].temporary, jobs[placed].program->path) == 0)
            ++placed;
        else
        {
            ReportError("%s: cannot put %s in its place", jobs[placed].program->path,
                        jobs[placed].temporary);
            result = 1;
        }
    }
    for (int i = 0; i < count && result != 0; ++i)
        if (i < placed || jobs[i].fd >= 0)
            FileRemove(i < placed ? jobs[i].program->path : jobs[i].temporary);
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

// The programs' archive read whole (from a program built by this project,
// or a data.bin that cannot be mapped) and copied into a block with room
// for the first program's head (before bytes) and padding; the second is
// laid in a block of its own. 0 when all went well; copy is then the block
// to free.
static int CopyArchive(const char* path, ProgramJob* jobs, int count, uint32_t before,
                       DataFileSource* walked, unsigned char** copy)
{
    DataFileSource file;
    if (LoadDataFileSource(path, &file) != 0)
        return 1;
    const uint32_t length = file.image.length;
    *copy = (unsigned char*)malloc((size_t)before + length + kMostPadding);
    if (*copy)
    {
        memcpy(*copy + before, file.bytes + file.image.offset, length);
        memset(*copy + before + length, 0, kMostPadding);
    }
    ReleaseDataFileSource(&file);
    if (!*copy)
    {
        ReportError("%s: not enough memory", jobs[0].program->path);
        return 1;
    }
    // Offsets in messages are the copy's, the data file's own: one found in
    // a program has been walked whole already.
    *walked = {*copy + before, length, file.program, {0, length}};
    for (int i = 0; i < count; ++i)
    {
        jobs[i].room = {*copy + before, length};
        jobs[i].inRoom = i == 0;
    }
    return 0;
}

// The programs' archive in a data.bin, open in fd: mapped once for each
// program, with room for its head and padding. 0 when all went well, -1
// when it cannot be mapped (nothing is reported), else 1.
static int MapForJobs(const char* path, int fd, ProgramJob* jobs, int count, MappedDataFile* views,
                      DataFileSource* walked)
{
    uint64_t length = 0;
    if (fd < 0 || FileLength(fd, &length) != 0)
    {
        ReportError("%s: cannot be opened or read", path);
        return 1;
    }
    int result = DataFileLengthFits(path, length) ? 0 : 1;
    for (int i = 0; i < count && result == 0; ++i)
    {
        if (MapDataFile(fd, (uint32_t)length, jobs[i].layout.imageOffset + 4, kMostPadding,
                        &views[i]) != 0)
            result = -1;
        jobs[i].room = {views[i].bytes, (uint32_t)length};
        jobs[i].inRoom = true;
    }
    *walked = {views[0].bytes, (uint32_t)length, false, {0, (uint32_t)length}};
    return result;
}

// Writes and checks the programs from a data.bin mapped for them; 0 when
// every one holds its program, -1 when it cannot be mapped (nothing was
// written or reported).
static int RunMapped(const char* path, ProgramJob* jobs, int count, uint64_t limit)
{
    const char* temporaries[kMostPrograms];
    for (int i = 0; i < count; ++i)
        temporaries[i] = jobs[i].temporary;
    MappedDataFile views[kMostPrograms] = {};
    DataFileSource walked = {};
    int fd = FileOpenRead(path);
    int result = MapForJobs(path, fd, jobs, count, views, &walked);
    if (result == 0)
    {
        GuardMappedDataFile(path, temporaries, count);
        result = RunJobs(jobs, count, path, walked, limit);
        EndMappedDataFileGuard();
    }
    if (result == 0 && !DataFileUnchanged(fd, views[0]))
    {
        ReportError("%s: changed by another program while it was read; no program was written",
                    path);
        result = 1;
    }
    for (int i = 0; i < count; ++i)
        UnmapDataFile(&views[i]);
    if (fd >= 0)
        FileClose(fd);
    return result;
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
    ProgramJob jobs[kMostPrograms];
    for (int i = 0; i < count; ++i)
    {
        programs[i].written = 0;
        jobs[i].program = &programs[i];
        jobs[i].inRoom = false;
        jobs[i].fd = -1;
        jobs[i].temporary[0] = 0;
        if (FindStub(programs[i], &jobs[i].stub, &jobs[i].layout) != 0)
            return 1;
    }
    uint64_t limit;
    if (!ReadArchiveLimit(&limit))
        return 2;
    if (!IsProgramFile(dataPath))
    {
        int result = RunMapped(dataPath, jobs, count, limit);
        if (result >= 0)
            return PlaceAll(jobs, count, result);
    }
    unsigned char* copy = nullptr;
    DataFileSource walked = {};
    int result = CopyArchive(dataPath, jobs, count, RoomBefore(jobs, count), &walked, &copy);
    if (result == 0)
        result = RunJobs(jobs, count, dataPath, walked, limit);
    free(copy);
    return PlaceAll(jobs, count, result);
}
