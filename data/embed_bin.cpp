// The archive embedded straight from data.bin, for games too big to compile
// as data.cpp's text of numbers: the assembler copies the file in. The
// result is what data.cpp gives: gDatfile on a word boundary holding the
// bytes followed by 1 to 4 zero bytes up to the next word boundary, and the
// 32-bit gSizeDatfile holding the byte count, under the plain names that the
// C++ declarations of embedded_image.h refer to. Both are read-only data: a
// writable section would be charged to the page file whole when Windows NT
// maps the program, before its first instruction, where read-only pages are
// read from Setup.exe as they are touched.
#ifndef TREMLOK_DATA_BIN_PATH
#error "TREMLOK_DATA_BIN_PATH names the data.bin to embed"
#endif

#define TREMLOK_TEXT(x) #x
#define TREMLOK_EXPAND(x) TREMLOK_TEXT(x)
// 32-bit Windows puts an underscore before every C-level symbol.
#define TREMLOK_SYMBOL(name) TREMLOK_EXPAND(__USER_LABEL_PREFIX__) #name

// One assembler line to a source line.
// clang-format off
#ifdef __ELF__
#define TREMLOK_OBJECT(name, size)                                                                 \
    ".type " TREMLOK_SYMBOL(name) ", @object\n"                                                    \
    ".size " TREMLOK_SYMBOL(name) ", " size "\n"
#define TREMLOK_READ_ONLY ".section .rodata\n"
#else
#define TREMLOK_OBJECT(name, size) ""
#define TREMLOK_READ_ONLY ".section .rdata, \"dr\"\n"
#endif

// gDatfile: the file's bytes, then 1 to 4 zero bytes up to a word.
#define TREMLOK_DATFILE                                                                            \
    ".globl " TREMLOK_SYMBOL(gDatfile) "\n"                                                        \
    TREMLOK_SYMBOL(gDatfile) ":\n"                                                                 \
    ".incbin \"" TREMLOK_DATA_BIN_PATH "\"\n"                                                      \
    ".Ltremlok_data_end:\n"                                                                        \
    ".byte 0\n"                                                                                    \
    ".balign 4, 0\n"
#define TREMLOK_SIZE_DATFILE                                                                       \
    ".globl " TREMLOK_SYMBOL(gSizeDatfile) "\n"                                                    \
    TREMLOK_SYMBOL(gSizeDatfile) ":\n"                                                             \
    ".long .Ltremlok_data_end - " TREMLOK_SYMBOL(gDatfile) "\n"

#ifndef TREMLOK_DATA_SECTION
asm(TREMLOK_READ_ONLY
    ".balign 4\n"
    TREMLOK_DATFILE
    TREMLOK_OBJECT(gDatfile, ". - " TREMLOK_SYMBOL(gDatfile))
    TREMLOK_SIZE_DATFILE
    TREMLOK_OBJECT(gSizeDatfile, "4")
    ".text\n");
#else
// The stub that the Linux tool writes programs from: the image alone in
// its section, gSizeDatfile first, so that the code's references to it
// stay where they are however long an archive the tool puts after it.
asm(".section " TREMLOK_DATA_SECTION ", \"dr\"\n"
    ".balign 4\n"
    TREMLOK_SIZE_DATFILE
    TREMLOK_DATFILE
    ".text\n");
#endif
// clang-format on
