// The stubs copied in by the assembler from the paths the build names
// (TREMLOK_STUB_I686 and TREMLOK_STUB_X64); a build without them still
// packs, extracts and reads, and says so when asked to write a program.
#include "inspect/stub_programs.h"

// clang-format off
#define TREMLOK_STUB(name, path)                                                                   \
    asm(".section .rodata\n"                                                                       \
        ".balign 16\n"                                                                             \
        #name ":\n"                                                                                \
        ".incbin \"" path "\"\n"                                                                   \
        #name "End:\n"                                                                             \
        ".text\n");                                                                                \
    extern "C" const unsigned char name[], name##End[];
// clang-format on

#ifdef TREMLOK_STUB_I686_PATH
TREMLOK_STUB(gStubI686, TREMLOK_STUB_I686_PATH)
#endif
#ifdef TREMLOK_STUB_X64_PATH
TREMLOK_STUB(gStubX64, TREMLOK_STUB_X64_PATH)
#endif

bool BuiltInStub(bool x64, const unsigned char** bytes, uint32_t* length)
{
    (void)x64; // unused in a build without stubs
    *bytes = nullptr;
    *length = 0;
#ifdef TREMLOK_STUB_X64_PATH
    if (x64)
        *bytes = gStubX64, *length = (uint32_t)(gStubX64End - gStubX64);
#endif
#ifdef TREMLOK_STUB_I686_PATH
    if (!x64)
        *bytes = gStubI686, *length = (uint32_t)(gStubI686End - gStubI686);
#endif
    return *bytes != nullptr;
}
