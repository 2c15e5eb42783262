// The stub's image: embed_bin.cpp's, alone in a section of its own. A
// source of its own, so that what the build sets on embed_bin.cpp for the
// game's Setup.exe never rebuilds the stub.
#define TREMLOK_DATA_SECTION ".datfile"
#include "data/embed_bin.cpp"
