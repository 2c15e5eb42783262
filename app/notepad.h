// Opening the readme in Notepad at the end of the install.
#ifndef TREMLOK_APP_NOTEPAD_H
#define TREMLOK_APP_NOTEPAD_H

#include <stddef.h>

// Writes the command line that hands path to Notepad: its own name and the
// path in quotes, so that a path with blanks arrives whole. Returns 0, or -1
// with out empty when it does not fit in size bytes or path holds a quote.
int NotepadCommandLine(const char* path, char* out, size_t size);

// Writes the full path of notepad.exe in the Windows folder into out.
// Returns 0, or -1 when the Windows folder cannot be had or the path does
// not fit.
int NotepadProgramPath(char* out, size_t size);

// Starts Notepad on path without waiting for it. Returns 0 once it has
// started, -1 otherwise. Notepad is never looked for in the current
// directory or on PATH, where a planted copy could be waiting.
int StartNotepad(const char* path);

#endif
