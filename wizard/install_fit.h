// Whether the game's paths fit under an install folder, checked before
// anything is written.
#ifndef TREMLOK_WIZARD_INSTALL_FIT_H
#define TREMLOK_WIZARD_INSTALL_FIT_H

#include <stddef.h>

// What the ANSI calls take: CreateFileA a path of 259 characters,
// CreateDirectoryA one of 247 (room for an 8.3 name is kept).
const size_t kLongestFilePath = 259;
const size_t kLongestFolderPath = 247;

// True when every file and folder of the embedded archive fits those limits
// under folder. Otherwise false, with out (size bytes) saying how long the
// folder may be and naming the entry that needs it shortest. A damaged
// archive, or one too large to decode now, counts as fitting: the progress
// page reports it.
bool InstallFits(const char* folder, char* out, size_t size);

#endif
