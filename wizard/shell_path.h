// Folder paths from the shell: identifier lists and special folders.
#ifndef TREMLOK_WIZARD_SHELL_PATH_H
#define TREMLOK_WIZARD_SHELL_PATH_H

#include <stddef.h>
#include <windows.h>
#include <shlobj.h>

// A folder path from the shell: up to 259 characters of name, the trailing
// backslash and the terminator.
const size_t kShellPathSize = 261;

// PathFromIdList's failure for a name that the ANSI code page cannot hold.
const HRESULT kNameNotInCodePage = HRESULT_FROM_WIN32(ERROR_NO_UNICODE_TRANSLATION);

// Writes the file-system path of idList (borrowed, relative to the desktop)
// into path, ending in exactly one backslash ("C:\", "C:\Program Files\").
// Returns S_OK; on failure, or when the path with its backslash does not fit
// pathSize bytes, path is left empty and a failure HRESULT is returned
// (kNameNotInCodePage when a character has no ANSI form).
HRESULT PathFromIdList(LPCITEMIDLIST idList, char* path, size_t pathSize);

// Writes the path of a special folder (a CSIDL_ value) into path, ending in
// one backslash. path is written only on success; on failure it is left
// untouched and the failure HRESULT is returned.
HRESULT GetSpecialFolderPath(int csidl, char* path, size_t pathSize);

#endif
