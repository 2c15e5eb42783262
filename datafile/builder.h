// The archive builder: the /m mode.
#ifndef TREMLOK_DATAFILE_BUILDER_H
#define TREMLOK_DATAFILE_BUILDER_H

// Walks folder and writes data.bin in the current directory, then data.cpp.
// Returns 0 on success. On any failure (folder empty or unlistable, a file
// that cannot be read whole, a file of 4 GiB or more, a path too long, a
// name the archive cannot hold, data.bin or data.cpp not writable) it
// reports on standard error, returns 1, and leaves no new data.bin or
// data.cpp behind: both are written under temporary names and renamed only
// when complete.
int MakeDataBin(const char* folder);

#endif
