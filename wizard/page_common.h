// What the three wizard pages share.
#ifndef TREMLOK_WIZARD_PAGE_COMMON_H
#define TREMLOK_WIZARD_PAGE_COMMON_H

#include <windows.h>

// Gives the page icon 180 as its big and small icon.
void SetPageIcon(HWND page);

#endif
