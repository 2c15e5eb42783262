// The progress page (template 151): extracts the embedded image one entry
// per timer tick.
#ifndef TREMLOK_WIZARD_PROGRESS_PAGE_H
#define TREMLOK_WIZARD_PROGRESS_PAGE_H

#include <windows.h>

#include "datafile/format.h"

// Owned by progress_page.cpp.
extern int gExtractBusy;     // a step is running; a tick that finds it set does nothing
extern int gProgressPercent; // last result of BeginExtract or ExtractNext
extern char gCurrentFile[kCurrentFileSize]; // the engine's current-file text
extern int gInstallDamaged;                 // the embedded image turned out damaged

// Shown in the current-file label when the image is damaged.
extern const char kDamagedText[];
// Shown at the end in place of "Complete" after the number of files that
// could not be written, before the first of them.
extern const char kNotWrittenOneText[];
extern const char kNotWrittenManyText[];

INT_PTR CALLBACK ProgressPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);

#endif
