// A text that ends in a path, shortened to the width of the label that
// shows it.
#ifndef TREMLOK_WIZARD_LABEL_FIT_H
#define TREMLOK_WIZARD_LABEL_FIT_H

#include <windows.h>

#include <stddef.h>

// Writes lead followed by path into out (size bytes). When that is wider
// than label in the label's font, or longer than size, the middle of the
// path gives way to "..." ("C:\Program Fi...\tremlok.exe"); its file name is
// kept whole, and when even "..." and the name are too wide, the label cuts
// them at its edge. Should they not fit size, out holds lead alone.
void FitPathToLabel(HWND label, const char* lead, const char* path, char* out, size_t size);

#endif
