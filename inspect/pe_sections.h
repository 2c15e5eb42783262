// The section table of a Windows program, read from its bytes in memory:
// where each section's initialised data lies in the file.
#ifndef TREMLOK_INSPECT_PE_SECTIONS_H
#define TREMLOK_INSPECT_PE_SECTIONS_H

#include <stdint.h>

// The most sections the Windows loader takes.
const int kMaxSections = 96;
// Bytes of one entry of the section table.
const uint32_t kSectionHeaderSize = 40;

struct FileRange
{
    uint32_t offset;
    uint32_t length;
};

struct ProgramSections
{
    int count;                      // sections holding initialised data
    FileRange ranges[kMaxSections]; // their raw data, in section table order
    // The resource directory: from its first byte to the end of the raw
    // data of the section holding it; length 0 when the program names none
    // that lies in the file.
    FileRange resources;
    uint32_t resourcesAddress; // the directory's address once loaded
};

// True when file starts as a Windows program does ("MZ") rather than as a
// data file. A data file whose total size happens to begin with those two
// bytes has the backslash of its first name at byte 4; a program's byte 4
// is the low byte of its DOS page count, which no linker makes 0x5C.
bool LooksLikeProgram(const unsigned char* file, uint32_t length);

enum ProgramProblem
{
    kProgramSound,
    kProgramNoDosHeader,     // shorter than a DOS header
    kProgramPeHeaderPastEnd, // the PE header lies past the end of the file
    kProgramNoPeSignature,
    kProgramWrongMachine,    // neither i686 (PE32) nor x64 (PE32+)
    kProgramTooManySections, // more than the Windows loader takes
    kProgramTablePastEnd,    // the section table runs past the end of the file
    kProgramSectionPastEnd   // a section's raw data runs past the end of the file
};

// Where the headers that a writer of the program changes lie in the file.
struct ProgramHeaders
{
    uint32_t optionalHeader; // its offset
    uint32_t sectionTable;   // its offset; every entry lies within the file
    uint32_t sectionCount;
    bool x64; // PE32+
};

// Reads the DOS header, PE signature, COFF header, the optional header's
// magic (0x10b with an i386 machine, 0x20b with an x64 one) and the section
// table, and fills sections with every section that holds initialised data
// and has raw data in the file, and with where the resource directory lies.
// Every offset and size is checked against length first. headers, when
// given, is filled for a sound program.
ProgramProblem ReadProgramSections(const unsigned char* file, uint32_t length,
                                   ProgramSections* sections, ProgramHeaders* headers = nullptr);

#endif
