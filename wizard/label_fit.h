// A text that ends in a path, shortened to the width of the label that
// shows it.
#ifndef TREMLOK_WIZARD_LABEL_FIT_H
#define TREMLOK_WIZARD_LABEL_FIT_H

#include <windows.h>

#include <stddef.h>

// Writes lead followed by path into out (size bytes). When that is wider
// than label in the label's font, the middle of the path gives way to "..."
// ("C:\Program Fi...\tremlok.exe"); its file name is always kept whole, and
// when even "..." and the name do not fit, the label cuts them at its edge.
// out is left empty when lead and path together do not fit size.
void FitPathToLabel(HWND label, const char* lead, const char* path, char* out, size_t size);

#endif
