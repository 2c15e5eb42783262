// Reading a built program: every field of the section table checked against
// the file, only a whole image framed by its gSizeDatfile taken; then the
// tool's --list, --test and -e over a data file or a program; and writing
// one from a stub.
#include "app/replaced_files.h"
#include "inspect/data_file_source.h"
#include "inspect/data_file_scan.h"
#include "inspect/image_locate.h"
#include "inspect/mapped_data_file.h"
#include "inspect/program_file.h"
#include "inspect/program_resources.h"
#include "inspect/program_writer.h"
#include "inspect/written_program.h"
#include "res/resource_ids.h"
#include "tests/unit/scratch_folder.h"

#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace
{

const size_t kPeOffset = 64, kCoffOffset = kPeOffset + 4; // e_lfanew, after "PE\0\0"
const uint32_t kCode = 0x60000020, kData = 0xC0000040;    // their section flags

struct Section
{
    std::string name; // up to 8 characters
    uint32_t flags;
    Bytes raw;
};

size_t SectionHeaderOffset(bool x64, size_t i)
{
    return kCoffOffset + (x64 ? 0x104 : 0xF4) + 40 * i;
}

// Little-endian, the test's own: the core's inline WriteLe32 is compiled
// for link-time optimisation in the Windows builds.
Bytes SizeWord(size_t n)
{
    return {(unsigned char)n, (unsigned char)(n >> 8), (unsigned char)(n >> 16),
            (unsigned char)(n >> 24)};
}

uint32_t Get32(const Bytes& b, size_t at)
{
    return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | (uint32_t)b[at + 3] << 24;
}

void Put32(Bytes& b, size_t at, uint32_t v)
{
    const Bytes word = SizeWord(v);
    std::copy(word.begin(), word.end(), b.begin() + (long)at);
}

Bytes With(Bytes bytes, size_t at, const Bytes& patch)
{
    std::copy(patch.begin(), patch.end(), bytes.begin() + (long)at);
    return bytes;
}

Bytes Cut(const Bytes& bytes, size_t length)
{
    return Bytes(bytes.begin(), bytes.begin() + (long)length);
}

// A PE32 (i386) or PE32+ (x64) program holding sections at file offsets
// aligned to 0x200; the optional header is zero but for its magic and, for
// a section named .rsrc, the resource directory.
Bytes Program(bool x64, const std::vector<Section>& sections)
{
    auto aligned = [](size_t n) { return (n + 0x1FF) / 0x200 * 0x200; };
    Bytes b(aligned(SectionHeaderOffset(x64, sections.size())), 0);
    b[0] = 'M', b[1] = 'Z', b[2] = 0x90, b[4] = 3;
    Put32(b, 0x3C, (uint32_t)kPeOffset);
    Put32(b, kPeOffset, 'P' | 'E' << 8);
    Put32(b, kCoffOffset, (x64 ? 0x8664 : 0x14C) | (uint32_t)sections.size() << 16);
    Put32(b, kCoffOffset + 16, x64 ? 0xF0 : 0xE0);
    Put32(b, kCoffOffset + 20, x64 ? 0x20B : 0x10B);
    for (size_t i = 0; i < sections.size(); ++i)
    {
        const Section& s = sections[i];
        const size_t header = SectionHeaderOffset(x64, i);
        std::copy(s.name.begin(), s.name.begin() + (long)std::min<size_t>(8, s.name.size()),
                  b.begin() + (long)header);
        Put32(b, header + 8, (uint32_t)s.raw.size());
        Put32(b, header + 12, (uint32_t)(0x1000 * (i + 1)));
        Put32(b, header + 16, (uint32_t)aligned(s.raw.size()));
        Put32(b, header + 20, (uint32_t)b.size());
        Put32(b, header + 36, s.flags);
        if (s.name == ".rsrc")
        {
            const size_t directories = kCoffOffset + 20 + (x64 ? 108 : 92);
            Put32(b, directories, 16);
            Put32(b, directories + 4 + 16, (uint32_t)(0x1000 * (i + 1)));
            Put32(b, directories + 4 + 20, (uint32_t)s.raw.size());
        }
        b.insert(b.end(), s.raw.begin(), s.raw.end());
        b.resize(b.size() + aligned(s.raw.size()) - s.raw.size(), 0);
    }
    return b;
}

// A .data section as data.cpp leaves it: the unsigned int gSizeDatfile,
// then gDatfile on a 32-byte boundary, floor(n / 4) + 1 words.
Bytes DataCppSection(const Bytes& image, const Bytes& before = {})
{
    Bytes raw = before, size = SizeWord(image.size());
    raw.resize((raw.size() + 31) / 32 * 32);
    raw.insert(raw.end(), size.begin(), size.end());
    raw.resize(raw.size() + 28, 0);
    raw.insert(raw.end(), image.begin(), image.end());
    raw.resize(raw.size() + 4 - image.size() % 4, 0);
    return raw;
}

// The same as the .incbin route leaves it: gDatfile on a word boundary,
// padded with 1 to 4 zero bytes, then gSizeDatfile, then what follows it.
Bytes IncbinSection(const Bytes& image, const Bytes& after = {})
{
    Bytes raw = image, size = SizeWord(image.size());
    raw.resize(raw.size() + 4 - image.size() % 4, 0);
    raw.insert(raw.end(), size.begin(), size.end());
    raw.insert(raw.end(), after.begin(), after.end());
    return raw;
}

// Resources by type, then id; one language each.
typedef std::map<uint32_t, std::map<uint32_t, Bytes>> Resources;

// A resource section loaded at address: the directories, the leaves, the data.
Bytes ResourceSection(uint32_t address, const Resources& resources)
{
    Bytes b;
    auto directory = [&b](size_t entries) { // returns where its first entry lies
        b.resize(b.size() + 16 + 8 * entries, 0);
        b[b.size() - 8 * entries - 2] = (unsigned char)entries;
        return b.size() - 8 * entries;
    };
    auto entry = [&b](size_t& at, uint32_t id, size_t offset)
    { Put32(b, at, id), Put32(b, at + 4, (uint32_t)offset), at += 8; };
    std::vector<std::pair<size_t, const Bytes*>> leaves;
    size_t typeEntry = directory(resources.size());
    for (const auto& [type, ids] : resources)
    {
        entry(typeEntry, type, 0x80000000u | b.size());
        size_t idEntry = directory(ids.size());
        for (const auto& [id, data] : ids)
        {
            entry(idEntry, id, 0x80000000u | b.size());
            size_t language = directory(1);
            entry(language, 0x809, b.size());
            leaves.push_back({b.size(), &data});
            b.resize(b.size() + 16, 0);
        }
    }
    for (const auto& [leaf, data] : leaves)
    {
        Put32(b, leaf, address + (uint32_t)b.size());
        Put32(b, leaf + 4, (uint32_t)data->size());
        b.insert(b.end(), data->begin(), data->end());
    }
    return b;
}

// The version block's length, value length and type, then its key.
Bytes VersionBlock(const std::string& key)
{
    Bytes b = {38, 0, 0, 0, 0, 0};
    for (char c : key + '\0')
        b.insert(b.end(), {(unsigned char)c, 0});
    return b;
}

// What the resource script gives every program: DIALOG templates of one
// control, a bitmap's 40-byte header, the version block.
const Bytes kPage = With(Bytes(18, 0), 8, {1});
const Resources kOurs = {
    {5, {{IDD_WELCOME_PAGE, kPage}, {IDD_PROGRESS_PAGE, kPage}, {IDD_COMPLETION_PAGE, kPage}}},
    {2, {{IDB_SIDEBAR, With(Bytes(40, 0), 0, {40})}}},
    {16, {{1, VersionBlock("VS_VERSION_INFO")}}}};

// The resources as section index of a program made by Program; shift
// moves the address its leaves give.
Section Rsrc(size_t index, const Resources& resources = kOurs, uint32_t shift = 0)
{
    return {".rsrc", kData, ResourceSection((uint32_t)(0x1000 * (index + 1)) + shift, resources)};
}

const std::vector<RecordLayout> kGame = {{"\\tremlok.exe", std::string(700, 'x'), kMethodLzw},
                                         {"\\Readme.txt", "Read me.\r\n", kMethodStored},
                                         {"\\Audio\\pop.wav", std::string(300, 'p'), kMethodDelta},
                                         {"\\Audio\\empty.dat", "", kMethodStored}};

const Bytes kText(0x80, 0xC3); // a code section's bytes

size_t Find(const Bytes& program, const Bytes& image)
{
    return (size_t)(std::search(program.begin(), program.end(), image.begin(), image.end()) -
                    program.begin());
}

std::string Problem(ProgramProblem problem)
{
    return "problem " + std::to_string(problem);
}

std::string FoundIn(const Bytes& program, const Bytes& image)
{
    return "found " + std::to_string(Find(program, image)) + " " + std::to_string(image.size());
}

// "problem N", or "missing", "gave up", "damaged NAME at OFFSET" or "found
// OFFSET LENGTH", then " ours" when its resources are this project's.
std::string Locate(const Bytes& program, const Bytes* whole = nullptr)
{
    ProgramSections sections;
    ProgramProblem problem =
        ReadProgramSections(program.data(), (uint32_t)program.size(), &sections);
    if (problem != kProgramSound)
        return Problem(problem);
    LocatedImage located;
    LocateImage(program.data(), sections, &located, whole ? whole->data() : nullptr,
                whole ? (uint32_t)whole->size() : 0);
    const std::string ours = CarriesOurResources(program.data(), sections) ? " ours" : "";
    if (located.result == kLocateDamaged)
        return "damaged " + std::string(located.damage.name) + " at " +
               std::to_string(located.damage.at - program.data()) + ours;
    if (located.result != kLocateFound)
        return (located.result == kLocateMissing ? "missing" : "gave up") + ours;
    return "found " + std::to_string(located.image.offset) + " " +
           std::to_string(located.image.length) + ours;
}

// A data file of count stored records of size bytes (a multiple of 4), each
// payload ending in a gSizeDatfile and a total that frame the next record as
// an image one byte longer than the data file: each candidate walks to the
// end marker and misses its frame, count * count * size were it unbounded.
Bytes FramedChain(size_t count, size_t size)
{
    const size_t marker = 4 + count * (3 + 5 + size);
    Bytes raw(4, 0x11);
    for (size_t i = 0; i < count; ++i)
    {
        raw.insert(raw.end(), {'\\', 'f', 0, (unsigned char)size, (unsigned char)(size >> 8),
                               (unsigned char)(size >> 16), 0, kMethodStored});
        raw.resize(raw.size() + size - 8, 0x22);
        const Bytes frame = SizeWord(marker + 2 - (raw.size() + 4));
        raw.insert(raw.end(), frame.begin(), frame.end());
        raw.resize(raw.size() + 4, 0x11);
    }
    raw.push_back(0); // the end marker, then a zero in the frames' last byte
    raw.push_back(0);
    return raw;
}

TEST(ProgramImageTest, FindsTheImageOrNamesWhatIsWrong)
{
    std::vector<size_t> at;
    const Bytes image = ArchiveBytes(kGame, &at);
    const Bytes x64 =
        Program(true, {{".text", kCode, kText}, {".data", kData, DataCppSection(image)}, Rsrc(2)});
    const Bytes i686 =
        Program(false, {{".text", kCode, kText}, {".data", kData, IncbinSection(image)}});
    Bytes fiveWordZero(32, 0x11);
    fiveWordZero[0] = 5, fiveWordZero[1] = fiveWordZero[2] = fiveWordZero[3] = fiveWordZero[8] = 0;
    const Bytes fiveBeforeWord = Program(false, {{".data", kData, fiveWordZero}});
    // The search reads around a word in range, and never before the section.
    Bytes atStart = With(Program(false, {{".data", kData, Bytes(64, 0x11)}}), 1,
                         {0, 0, 0, 0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 0x11});
    Put32(atStart, SectionHeaderOffset(false, 0) + 20, 0);
    const Bytes i686After =
        Program(false, {{".data", kData, IncbinSection(image, Bytes(32, 0x11))}});
    // Zero variables and a 5 before the image frame an empty data file.
    Bytes fiveThenZeros(40, 0);
    fiveThenZeros[0] = 5;
    const Bytes shadowed = Program(true, {{".data", kData, DataCppSection(image, fiveThenZeros)}});
    // A game may carry, stored, a program built by this project: of two
    // whole images the earliest is the program's own.
    const Bytes inner = ArchiveBytes({{"\\in", "1", 0}});
    const Bytes twice =
        Program(true, {{".data", kData, DataCppSection(inner, DataCppSection(image))}});
    Bytes signedX64 = x64, damaged = x64, wrongSize = x64, countPastEnd = Program(false, {Rsrc(0)});
    signedX64.resize(x64.size() + 0x600, 0x30); // certificates after the sections
    damaged[Find(x64, image) + at[2] + strlen("\\Audio\\pop.wav") + 5] = 'X'; // a method byte
    Put32(wrongSize, Find(x64, image) - 32, (uint32_t)image.size() + 4);
    countPastEnd[0x200 + 14] = 0xFF; // the root's id entries
    // The version block, the last leaf before the data of three pages, a
    // bitmap and itself, said to run past the section.
    Bytes sizePastEnd = Program(false, {Rsrc(0)});
    const size_t versionSize = 0x200 + Rsrc(0).raw.size() - 3 * 18 - 40 - 38 - 12;
    ASSERT_EQ(Get32(sizePastEnd, versionSize), 38u);
    Put32(sizePastEnd, versionSize, 0x200);
    const size_t dataHeader = SectionHeaderOffset(true, 1);
    auto with = [](uint32_t type, uint32_t id, const Bytes& data)
    {
        Resources r = kOurs;
        data.empty() ? (void)r[type].erase(id) : (void)(r[type][id] = data);
        return Program(false, {Rsrc(0, r)});
    };
    // name, program, what the locator makes of it, " ours" when its
    // resources are this project's
    const std::tuple<const char*, Bytes, std::string> rows[] = {
        {"x64, data.cpp route", x64, FoundIn(x64, image) + " ours"},
        {"i686, .incbin route", i686, FoundIn(i686, image)},
        {"signed: certificates after the sections", signedX64, FoundIn(x64, image) + " ours"},
        {"zeros framed by a 5 before the image", shadowed, FoundIn(shadowed, image)},
        {"two images: the earliest wins", twice, FoundIn(twice, image)},
        {"an empty archive", Program(false, {{".data", kData, IncbinSection(ArchiveBytes({}))}}),
         "found 512 5"},
        // Other variables after gSizeDatfile, where the search reads past it.
        {"i686, .incbin route, data after", i686After, FoundIn(i686After, image)},
        {"a 5 right before a word and a zero: an empty archive", fiveBeforeWord, "found 516 5"},
        {"an empty archive, data after",
         Program(false, {{".data", kData, IncbinSection(ArchiveBytes({}), Bytes(32, 0x11))}}),
         "found 512 5"},
        {"shorter than a DOS header", Cut(x64, 63), Problem(kProgramNoDosHeader)},
        {"PE header offset near 4 GiB", With(x64, 0x3C, SizeWord(0xFFFFFFFC)),
         Problem(kProgramPeHeaderPastEnd)},
        {"no PE signature", With(x64, kPeOffset, {'N', 'E'}), Problem(kProgramNoPeSignature)},
        {"i386 with a PE32+ header", With(x64, kCoffOffset, {0x4C, 0x01}),
         Problem(kProgramWrongMachine)},
        {"no optional header", With(x64, kCoffOffset + 16, {0, 0}), Problem(kProgramWrongMachine)},
        {"more sections than Windows loads", With(x64, kCoffOffset + 2, {97, 0}),
         Problem(kProgramTooManySections)},
        {"section table cut", Cut(x64, dataHeader + 20), Problem(kProgramTablePastEnd)},
        {"last section cut", Cut(x64, x64.size() - 1), Problem(kProgramSectionPastEnd)},
        {"raw data offset wraps past 4 GiB", With(x64, dataHeader + 20, SizeWord(0xFFFFFF00)),
         Problem(kProgramSectionPastEnd)},
        {"image in code only", Program(true, {{".text", kCode, DataCppSection(image)}}), "missing"},
        {"gSizeDatfile disagrees", wrongSize, "missing ours"},
        {"a section's raw data at the file's start, a framing word first", atStart, "missing"},
        {"many frames around one long chain of records",
         Program(true, {{".data", kData, FramedChain(64, 1 << 16)}}), "gave up"},
        {"damaged after the first record", damaged,
         "damaged \\Audio\\pop.wav at " + std::to_string(Find(x64, image) + at[2]) + " ours"},
        {"resources alone", Program(false, {Rsrc(0)}), "missing ours"},
        {"a DIALOGEX page", with(5, IDD_WELCOME_PAGE, With(kPage, 0, {1, 0, 0xFF, 0xFF})),
         "missing"},
        {"a page without controls", with(5, IDD_PROGRESS_PAGE, Bytes(18, 0)), "missing"},
        {"a bitmap that is not a DIB", with(2, IDB_SIDEBAR, Bytes(40, 0)), "missing"},
        {"another version key", with(16, 1, VersionBlock("VS_VERSION")), "missing"},
        {"no sidebar", with(2, IDB_SIDEBAR, {}), "missing"},
        {"leaves past the section", Program(false, {Rsrc(0, kOurs, 0x1000)}), "missing"},
        {"leaves before the directory", Program(false, {Rsrc(0, kOurs, (uint32_t)-0x800)}),
         "missing"},
        {"the root's entries run past the section", countPastEnd, "missing"},
        {"a leaf's data runs past the section", sizePastEnd, "missing"},
    };
    for (const auto& [name, program, expected] : rows)
        EXPECT_EQ(Locate(program), expected) << name;
    // An image known whole is taken without a walk; only its very bytes are.
    const Bytes damagedImage(damaged.begin() + Find(x64, image),
                             damaged.begin() + Find(x64, image) + image.size());
    EXPECT_EQ(Locate(damaged, &image), Locate(damaged));
    EXPECT_EQ(Locate(damaged, &damagedImage), FoundIn(x64, image) + " ours");
}

const size_t kOptional = kCoffOffset + 20;

// The PE checksum as Windows's CheckSumMappedFile gives it, the test's own:
// the carry folded at every word.
uint32_t Checksum(const Bytes& file)
{
    uint32_t sum = 0;
    for (size_t i = 0; i < file.size(); i += 2)
    {
        const bool field = i >= kOptional + 64 && i < kOptional + 68;
        sum += field ? 0 : file[i] | (i + 1 < file.size() ? file[i + 1] << 8 : 0);
        sum = (sum & 0xFFFF) + (sum >> 16);
    }
    return sum + (uint32_t)file.size();
}

// A stub as the Windows builds make it: the empty image alone in a last,
// read-only section; alignments, image size and checksum set.
Bytes Stub(bool x64, uint32_t flags = 0x40000040,
           const Bytes& image = {5, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}, const char* name = ".datfile")
{
    Bytes stub = Program(x64, {{".text", kCode, kText}, {name, flags, image}});
    Put32(stub, kOptional + 8, 0x200);
    Put32(stub, kOptional + 32, 0x1000);
    Put32(stub, kOptional + 36, 0x200);
    Put32(stub, kOptional + 56, 0x3000);
    Put32(stub, kOptional + 64, Checksum(stub));
    return stub;
}

// The program written from stub around archive, as the tool writes it.
Bytes Written(const Bytes& stub, const Bytes& archive)
{
    StubLayout layout;
    EXPECT_EQ(ReadStub(stub.data(), (uint32_t)stub.size(), &layout), kStubSound);
    const uint32_t length = WrittenProgramLength(stub.data(), layout, (uint32_t)archive.size());
    Bytes program(stub.begin(), stub.begin() + layout.imageOffset);
    unsigned char sizeWord[4];
    PrepareProgramHead(program.data(), layout, archive.data(), (uint32_t)archive.size(), sizeWord);
    program.insert(program.end(), sizeWord, sizeWord + 4);
    program.insert(program.end(), archive.begin(), archive.end());
    program.resize(length, 0);
    return program;
}

// The stub written around the empty archive is the stub, byte for byte;
// around a game, the locator finds it whole after gSizeDatfile, and every
// size and the checksum are what the linker would have set. A stub not
// this project's, or not whole, is refused.
TEST(ProgramWriterTest, WritesOurStubAroundAnArchive)
{
    // More than the stub's 0x200 bytes of raw data.
    const Bytes game = ArchiveBytes({{"\\a", std::string(0x300, 'a'), kMethodStored}});
    for (bool x64 : {false, true})
    {
        const Bytes stub = Stub(x64);
        EXPECT_EQ(Written(stub, ArchiveBytes({})), stub) << x64;
        const Bytes program = Written(stub, game);
        const size_t header = SectionHeaderOffset(x64, 1);
        const uint32_t virtualSize = 4 + ((uint32_t)game.size() / 4 + 1) * 4;
        EXPECT_EQ(Locate(program), "found 1028 " + std::to_string(game.size())) << x64;
        EXPECT_EQ(Get32(program, header + 8), virtualSize);
        EXPECT_EQ(Get32(program, header + 16), (virtualSize + 0x1FF) / 0x200 * 0x200);
        EXPECT_EQ(program.size(), 0x400 + Get32(program, header + 16));
        EXPECT_EQ(Get32(program, kOptional + 8), program.size() - 0x400);
        EXPECT_EQ(Get32(program, kOptional + 56), 0x2000 + (virtualSize + 0xFFF) / 0x1000 * 0x1000);
        EXPECT_EQ(Get32(program, kOptional + 64), Checksum(program));
    }
    // Only a stub of this project's, whole, is written from.
    const Bytes stub = Stub(false);
    Bytes signedStub = stub, flipped = stub;
    signedStub.resize(stub.size() + 0x200, 0x30);
    flipped[0x200 + 5] ^= 1; // a byte of code
    const std::tuple<const char*, Bytes, StubProblem> rows[] = {
        {"i686", stub, kStubSound},
        {"an ordinary program", Stub(false, kData, kText, ".data"), kStubNoImageSection},
        {"cut short", Cut(stub, stub.size() - 1), kStubNotProgram},
        {"signed: certificates after it", signedStub, kStubNotLast},
        {"writable image section", Stub(false, kData), kStubNotEmpty},
        {"a program already written", Written(stub, ArchiveBytes(kGame)), kStubNotEmpty},
        {"a byte of code changed", flipped, kStubBadChecksum},
    };
    for (const auto& [name, bytes, expected] : rows)
    {
        StubLayout layout;
        EXPECT_EQ(ReadStub(bytes.data(), (uint32_t)bytes.size(), &layout), expected) << name;
    }
}

#ifndef _WIN32
typedef ScratchTest ProgramFileTest;

// --list and --test over a data.bin or a program: entries up to the first
// damaged record, named with its offset in the file; -e from a program
// writes the tree the install writes.
TEST_F(ProgramFileTest, ListsTestsAndExtracts)
{
    std::vector<size_t> at;
    const Bytes image = ArchiveBytes(kGame, &at);
    const Bytes program =
        Program(true, {{".text", kCode, kText}, {".data", kData, DataCppSection(image)}, Rsrc(2)});
    const std::string listing = "       700 lzw            67 \\tremlok.exe\n"
                                "        10 stored         10 \\Readme.txt\n"
                                "       300 delta         157 \\Audio\\pop.wav\n"
                                "         0 stored          0 \\Audio\\empty.dat\n";
    Bytes mzTotal = image, badMethod = image;
    mzTotal[0] = 'M', mzTotal[1] = 'Z'; // a data file, though it begins like a program
    badMethod[at[2] + strlen("\\Audio\\pop.wav") + 5] = 'X';
    // file, result, listing, error (after "setup: x: ")
    const std::tuple<Bytes, int, std::string, std::string> rows[] = {
        {image, 0, listing, ""},
        {program, 0, listing, ""},
        {mzTotal, 0, listing, ""},
        {ArchiveBytes({}), 0, "", ""},
        {badMethod, 1, listing.substr(0, listing.find("       300")),
         "damaged record \\Audio\\pop.wav at offset " + std::to_string(at[2])},
        {Bytes(4, 0), 1, "", "too short to be a data file (4 bytes)"},
        {ArchiveBytes({{"\\a", "", 0}, {"\\b\x81", "", 0}}), 1, // 0x81: not in code page 1252
         "         0 stored          0 \\a\n", "damaged record at offset 12"},
        {Bytes(program.begin(), program.begin() + 0x300), 1, "",
         "truncated: a section runs past the end of the file"},
        {Program(false, {{".data", kData, IncbinSection(ArchiveBytes({}))}}), 1, "",
         "not a Setup.exe built by this project"},
    };
    for (const auto& [file, result, lines, error] : rows)
        for (bool list : {true, false})
        {
            ASSERT_TRUE(WriteFile("x", file));
            testing::internal::CaptureStdout();
            testing::internal::CaptureStderr();
            EXPECT_EQ(ScanDataFile("x", list), result) << lines << error;
            fflush(stdout);
            EXPECT_EQ(testing::internal::GetCapturedStdout(), list ? lines : "") << error;
            EXPECT_EQ(testing::internal::GetCapturedStderr(),
                      error.empty() ? "" : "setup: x: " + error + "\n");
        }
    testing::internal::CaptureStderr();
    EXPECT_EQ(ScanDataFile("missing", false), 1);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "setup: missing: cannot be opened or read\n");
    EXPECT_EQ(ExtractDataFileSource("tool", "x"), 1); // the foreign program
    EXPECT_FALSE(std::filesystem::exists("tool"));
    ASSERT_TRUE(WriteFile("Setup.exe", program));
    ASSERT_EQ(ExtractDataFileSource("tool", "Setup.exe"), 0);
    ASSERT_EQ(ExtractImage("installed", image).back(), 100);
    EXPECT_EQ(TreeOf("tool"), TreeOf("installed"));
    EXPECT_EQ(TreeOf("tool").size(), 5u); // four files and the Audio folder
    // A program written is kept only when it reads back with its archive.
    Bytes other = image;
    other[at[1]] ^= 1;
    DataFileSource data = {other.data(), (uint32_t)other.size(), false, {0, 0}};
    data.image.length = data.length;
    testing::internal::CaptureStderr();
    EXPECT_EQ(CheckWrittenProgram("Setup.exe", "S.exe", data), 1);
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "setup: S.exe: read back, it does not carry the archive it was written with\n");
}

// A written program is kept only when the disk holds its very bytes: the
// read back compares every chunk and meets the end where they end.
TEST_F(ProgramFileTest, FileHoldsTheBytesWritten)
{
    const Bytes bytes = {1, 2, 3, 4, 5, 6, 7, 8};
    Bytes chunk(4);
    auto changed = [&](size_t at)
    {
        Bytes b = bytes;
        b[at] ^= 1;
        return b;
    };
    Bytes longer = bytes;
    longer.push_back(0);
    // name, the file's bytes, whether they are held
    const std::tuple<const char*, Bytes, bool> rows[] = {
        {"the same", bytes, true},
        {"the first byte differs", changed(0), false},
        {"a byte of the second chunk differs", changed(5), false},
        {"the last byte differs", changed(7), false},
        {"one byte short", Cut(bytes, 7), false},
        {"one byte more", longer, false},
    };
    for (const auto& [name, file, held] : rows)
    {
        ASSERT_TRUE(WriteFile("f", file));
        for (uint32_t size : {3u, 4u}) // the end inside a chunk, and on its edge
            EXPECT_EQ(FileHolds("f", bytes.data(), (uint32_t)bytes.size(), chunk.data(), size),
                      held)
                << name << size;
    }
    EXPECT_FALSE(FileHolds("missing", bytes.data(), 0, chunk.data(), 4));
}

// --exe lays each program around a data.bin mapped with room: the file's
// bytes in place, writable room before them, zeros after them up to the
// padding. A data.bin cut short by another process while mapped ends the
// run with one line and removes the run's temporaries, not a crash.
TEST_F(ProgramFileTest, MappedDataFileAndItsGuard)
{
    Bytes bytes(3 * 4096 + 7);
    for (size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = (unsigned char)(i * 7 + 1);
    ASSERT_TRUE(WriteFile("data.bin", bytes));
    ASSERT_TRUE(WriteFile("S.exe.tremlok~0", Bytes(10, 1)));
    int fd = FileOpenRead("data.bin");
    ASSERT_GE(fd, 0);
    MappedDataFile file;
    ASSERT_EQ(MapDataFile(fd, (uint32_t)bytes.size(), 0x401, 0x10004, &file), 0);
    EXPECT_EQ(Bytes(file.bytes, file.bytes + bytes.size()), bytes);
    memset(file.bytes - 0x401, 0x5A, 0x401);
    EXPECT_EQ(Bytes(file.bytes + bytes.size(), file.bytes + bytes.size() + 0x10004),
              Bytes(0x10004, 0));
    const char temporary[] = "S.exe.tremlok~0";
    const char* const temporaries[] = {temporary, ""};
    EXPECT_EXIT(
        {
            GuardMappedDataFile("data.bin", temporaries, 2);
            ASSERT_EQ(ftruncate(open("data.bin", O_WRONLY), 0), 0);
            volatile unsigned char lost = file.bytes[2 * 4096];
            (void)lost;
            exit(0);
        },
        testing::ExitedWithCode(1),
        "^setup: data.bin: cut short by another program while it was read; no program was "
        "written\n$");
    EXPECT_FALSE(std::filesystem::exists(temporary));
    // Written to in place, or grown, it no longer vouches for the walk.
    ASSERT_TRUE(WriteFile("other.bin", bytes));
    int other = FileOpenRead("other.bin");
    MappedDataFile mapped;
    ASSERT_EQ(MapDataFile(other, (uint32_t)bytes.size(), 0, 0, &mapped), 0);
    EXPECT_TRUE(DataFileUnchanged(other, mapped));
    usleep(20000); // past the resolution of the file system's times
    ASSERT_TRUE(WriteFile("other.bin", bytes));
    EXPECT_FALSE(DataFileUnchanged(other, mapped));
    UnmapDataFile(&mapped);
    ASSERT_EQ(MapDataFile(other, (uint32_t)bytes.size(), 0, 0, &mapped), 0);
    FILE* grown = fopen("other.bin", "ab");
    ASSERT_TRUE(grown && fputc(1, grown) == 1 && fclose(grown) == 0);
    EXPECT_FALSE(DataFileUnchanged(other, mapped));
    UnmapDataFile(&mapped);
    FileClose(other);
    UnmapDataFile(&file);
    FileClose(fd);
}

// The files a run replaces have their cached pages let go at its start:
// never one that is no regular file (a pipe would hold the run), and the
// files stay whole.
TEST_F(ProgramFileTest, ForgettingReplacedFilesKeepsThemWhole)
{
    const Bytes bytes(100000, 7);
    ASSERT_TRUE(WriteFile("data.bin", bytes));
    ASSERT_EQ(mkfifo("Setup.exe", 0600), 0);
    std::filesystem::create_symlink("data.bin", "x64.exe");
    const char* const paths[] = {"Setup.exe", nullptr, "data.bin", "x64.exe", "missing"};
    Thread* thread = ForgetReplacedFiles(paths, 5);
    if (thread)
        ThreadJoin(thread);
    EXPECT_EQ(ReadFile("data.bin"), std::string(bytes.begin(), bytes.end()));
}

// Programs this project did not build: a few of Wine's own, 32- and 64-bit.
TEST(ProgramImageTest, RefusesWinesPrograms)
{
    for (const char* folder : {"/usr/lib/x86_64-linux-gnu/wine/x86_64-windows/",
                               "/usr/lib/i386-linux-gnu/wine/i386-windows/"})
        for (const char* name : {"notepad.exe", "regedit.exe", "wordpad.exe", "winecfg.exe",
                                 "shell32.dll", "comctl32.dll", "user32.dll", "setupapi.dll"})
        {
            const Bytes program = ReadFile<Bytes>(std::string(folder) + name);
            ProgramSections sections;
            ASSERT_EQ(ReadProgramSections(program.data(), (uint32_t)program.size(), &sections),
                      kProgramSound)
                << folder << name << " (scripts/install-deps.sh installs Wine)";
            EXPECT_GT(sections.resources.length, 0u) << folder << name;
            EXPECT_FALSE(CarriesOurResources(program.data(), sections)) << folder << name;
        }
}
#endif

} // namespace
