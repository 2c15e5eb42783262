// Writing a finished program without a linker: a stub, the program built
// once around the empty archive with its image alone in the last section
// (".datfile": gSizeDatfile, then gDatfile), given a game's archive in
// place of the empty one. Nothing before that section moves, so the code's
// references to gSizeDatfile and gDatfile hold; only the section's sizes,
// the image's size and the PE checksum change.
#ifndef TREMLOK_INSPECT_PROGRAM_WRITER_H
#define TREMLOK_INSPECT_PROGRAM_WRITER_H

#include "inspect/pe_sections.h"

#include <stdint.h>

enum StubProblem
{
    kStubSound,
    kStubNotProgram,     // no sound i686 or x64 program
    kStubNoImageSection, // its last section is not the image's
    kStubNotLast,        // something lies after the image section, or maps above it
    kStubNotEmpty,       // the section is not read-only data holding the empty image alone
    kStubBadChecksum     // damaged: the bytes do not give the checksum the linker wrote
};

struct StubLayout
{
    ProgramHeaders headers;
    uint32_t imageHeader; // offset of the image section's header
    uint32_t imageOffset; // where its raw data starts: the bytes kept as they are
};

// Checks that stub is one of this project's stubs, whole, and finds its
// image section.
StubProblem ReadStub(const unsigned char* stub, uint32_t length, StubLayout* layout);

// The PE checksum of file, as Windows computes it: the 16-bit sum with
// end-around carry of its words, the checksum field taken as zero, plus
// the file's length.
uint32_t ProgramChecksum(const unsigned char* file, uint32_t length, uint32_t checksumField);

// The length of the program that stub gives around an archive of
// archiveLength bytes, or 0 when it would reach 4 GiB.
uint32_t WrittenProgramLength(const unsigned char* stub, const StubLayout& layout,
                              uint32_t archiveLength);

// Turns head, a copy of the stub's first layout.imageOffset bytes, into the
// headers of the program carrying archive: the image section's sizes, the
// image's size, the initialised data's size and the checksum. The program
// is head, then gSizeDatfile (filled into sizeWord), the archive, and zero
// bytes up to the WrittenProgramLength.
void PrepareProgramHead(unsigned char* head, const StubLayout& layout, const unsigned char* archive,
                        uint32_t archiveLength, unsigned char sizeWord[4]);

#endif
