// The files a run of the Linux tool replaces: data.bin and data.cpp beside
// -m, and the programs --exe writes. Each is replaced by a rename, which
// must first let go of the old file's pages in the page cache: 80 MB take
// tens of milliseconds, at the end of the run. Let go of at its start, on a
// thread of their own, they cost nothing on the way, and the pages freed
// are the ones the new files are then written into, which a virtual
// machine gives back much faster than pages left unused for a while.
#ifndef TREMLOK_APP_REPLACED_FILES_H
#define TREMLOK_APP_REPLACED_FILES_H

#include "platform/platform.h"

// Starts letting go of the cached pages of each of the count paths that
// names a regular file (nothing else is opened, and no link followed); the
// files themselves stay whole. Returns the thread to join, or null when
// the work was done here.
Thread* ForgetReplacedFiles(const char* const* paths, int count);

#endif
