// The end-to-end driver's subcommands and the window helpers they share.
// A subcommand gets exactly its own words and returns the exit code: 0 done
// or true, 1 false or timed out, 2 no such window or control, 3 a control
// that a user could not operate now.
#ifndef TREMLOK_TESTS_E2E_DRIVER_H
#define TREMLOK_TESTS_E2E_DRIVER_H

#include <windows.h>

const int kDriverOk = 0;
const int kDriverFalse = 1;
const int kDriverMissing = 2;
const int kDriverRefused = 3;

// The first visible top-level window captioned exactly caption, or null
// after saying so on standard error.
HWND RequireWindow(const char* caption);
// Polls for the window for up to ms milliseconds; null when none came.
HWND WaitWindow(const char* caption, DWORD ms);
// A control of the window captioned caption: a decimal id, or "class:NAME"
// for the first child of that class. Null after saying so.
HWND RequireControl(const char* caption, const char* selector);
// Sends a message across processes, giving up after a few seconds on a
// window that stopped answering.
bool SendAndWait(HWND window, UINT message, WPARAM wParam, LPARAM lParam, DWORD_PTR* result);
// The window's text into text (size bytes, always terminated).
bool ReadWindowText(HWND window, char* text, int size);

// driver_pages.cpp
int CommandWait(char** argv);     // wait CAPTION MS
int CommandGone(char** argv);     // gone CAPTION MS
int CommandClick(char** argv);    // click CAPTION ID
int CommandCheck(char** argv);    // check CAPTION ID 0|1
int CommandChecked(char** argv);  // checked CAPTION ID: 0 checked, 1 clear
int CommandText(char** argv);     // text CAPTION CONTROL
int CommandClose(char** argv);    // close CAPTION: the caption's close button
int CommandTryClose(char** argv); // try-close CAPTION: Escape, close button, IDCANCEL
int CommandWatch(char** argv);    // watch CAPTION MS: the progress page's trace

// driver_shell.cpp
int CommandBrowse(char** argv);        // browse CAPTION PATH: select in the folder browser
int CommandReadLink(char** argv);      // read-link FILE
int CommandSpecialFolder(char** argv); // special-folder CSIDL

#endif
