// The install run: the three wizard pages and the work between and after them.
#ifndef TREMLOK_APP_INSTALL_RUN_H
#define TREMLOK_APP_INSTALL_RUN_H

#include <windows.h>

// Runs the install and returns the process exit code: 1, or 0 once Notepad
// has been started on the readme.
int RunInstall(HINSTANCE instance);

#endif
