// Which entry names an extraction may write.
#ifndef TREMLOK_DATAFILE_ENTRY_NAME_H
#define TREMLOK_DATAFILE_ENTRY_NAME_H

// True when name is one the builder could have written and that stays
// inside the destination on Windows and POSIX alike: it begins with '\',
// and every component between backslashes is non-empty, is not "." or "..",
// holds no '/', ':', control character or character Windows refuses
// (< > " | ? *), does not end in a dot or a space, and is not a device name
// (CON, PRN, AUX, NUL, COM1-9, LPT1-9, with or without an extension).
bool IsSafeEntryName(const char* name);

#endif
