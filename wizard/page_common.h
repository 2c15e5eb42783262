// What the three wizard pages share.
#ifndef TREMLOK_WIZARD_PAGE_COMMON_H
#define TREMLOK_WIZARD_PAGE_COMMON_H

#include <windows.h>

// Gives the page icon 180 as its big and small icon.
void SetPageIcon(HWND page);

// Reads and clears the check boxes of the welcome and completion pages.
bool IsBoxTicked(HWND page, int id);
void UntickBox(HWND page, int id);

#endif
