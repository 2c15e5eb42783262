// The welcome page's folder browser.
#ifndef TREMLOK_WIZARD_FOLDER_BROWSER_H
#define TREMLOK_WIZARD_FOLDER_BROWSER_H

#include <stddef.h>
#include <windows.h>

// Runs the shell's folder browser owned by page. When the user picks a
// folder whose path with the product name appended fits the install folder,
// that becomes the install folder and the page's edit shows it; otherwise
// the install folder stays and the page's note says why.
void BrowseForInstallFolder(HWND page);

// The browser's callback: on a selection change, shows the install folder
// that OK would give in the status line. Returns 1 for every message.
int CALLBACK BrowseStatusCallback(HWND window, UINT message, LPARAM lParam, LPARAM data);

// Writes folder (ending in a backslash) followed by gProductName into out.
// Returns 0 when it fits in out (size bytes) and folder is not empty;
// otherwise -1, with out left empty.
int JoinProductName(const char* folder, char* out, size_t size);

// Status line and note for a folder the install folder cannot hold, and for
// one whose name the ANSI code page cannot hold.
extern const char kFolderTooLongText[];
extern const char kFolderNameText[];

#endif
