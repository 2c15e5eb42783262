// Finding the windows and controls of another process for the test driver.
#ifndef TREMLOK_TESTS_E2E_DRIVER_WINDOW_H
#define TREMLOK_TESTS_E2E_DRIVER_WINDOW_H

#include <windows.h>

// True when text matches pattern, where '*' stands for any run of
// characters and everything else must match exactly.
bool CaptionMatches(const char* pattern, const char* text);

// The first visible top-level window whose caption matches pattern, or null.
HWND FindTopWindow(const char* pattern);

// Polls for FindTopWindow(pattern) every few milliseconds for up to
// timeoutMs. Returns null when none appeared in time.
HWND WaitTopWindow(const char* pattern, DWORD timeoutMs);

// A control of window: selector is a decimal control id, or "class:NAME" for the
// first direct child of that window class. Returns null when there is none.
HWND FindControl(HWND window, const char* selector);

// Reads the text of any window, also one owned by another process, into
// text (size bytes, always terminated). Returns false when the window did
// not answer within a few seconds.
bool ReadWindowText(HWND window, char* text, int size);

// Sends message and waits for the result, giving up after a few seconds
// instead of hanging on a window that stopped answering.
bool SendAndWait(HWND window, UINT message, WPARAM wParam, LPARAM lParam, DWORD_PTR* result);

#endif
