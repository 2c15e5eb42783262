// Text for cmd: a batch file is read in the console's (OEM) code page,
// while paths are held in the ANSI code page.
#ifndef TREMLOK_PLATFORM_OEM_TEXT_H
#define TREMLOK_PLATFORM_OEM_TEXT_H

// Returns text converted from the ANSI to the OEM code page as a new heap
// string (free with free()). When a character has no exact OEM form, a
// copy of text is returned unchanged: a best-fit letter would name another
// file. Null when there is no memory. On POSIX always a copy.
char* OemCodePageText(const char* text);

#endif
