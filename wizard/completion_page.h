// The completion page (template 179): offers the readme.
#ifndef TREMLOK_WIZARD_COMPLETION_PAGE_H
#define TREMLOK_WIZARD_COMPLETION_PAGE_H

#include <windows.h>

// Owned by completion_page.cpp: set when Finish is pressed with the readme
// box checked.
extern int gViewReadme;

INT_PTR CALLBACK CompletionPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);

#endif
