// The welcome page (template 142): install folder, desktop shortcut, or Cancel.
#ifndef TREMLOK_WIZARD_WELCOME_PAGE_H
#define TREMLOK_WIZARD_WELCOME_PAGE_H

#include <windows.h>

const int kInstallFolderSize = 256; // at most 255 characters
const int kProductNameSize = 32;

// Owned by welcome_page.cpp. The install folder never ends in a backslash;
// the page sets "C:\Program Files\Tremlok" when it is still empty.
extern char gInstallFolder[kInstallFolderSize];
extern const char gProductName[kProductNameSize];
extern int gCancelled;
extern unsigned char gDesktopShortcut;

INT_PTR CALLBACK WelcomePageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);

#endif
