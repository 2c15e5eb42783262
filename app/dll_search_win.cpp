// Narrowing where the program looks for DLLs to the system folder, through
// whichever of the two calls this Windows has.
#include "app/dll_search.h"

#include <windows.h>

#include "platform/text.h"

#ifndef LOAD_LIBRARY_SEARCH_SYSTEM32
#define LOAD_LIBRARY_SEARCH_SYSTEM32 0x00000800
#endif

typedef BOOL(WINAPI* SetDefaultDllDirectoriesFunction)(DWORD);
typedef BOOL(WINAPI* SetDllDirectoryFunction)(LPCSTR);

bool MayRestrictDllDirectories(unsigned long version)
{
    unsigned major = LOBYTE(LOWORD(version));
    unsigned minor = HIBYTE(LOWORD(version));
    return !(major == 6 && minor == 0);
}

void HardenDllSearch()
{
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    if (kernel == NULL)
        return;
    SetDefaultDllDirectoriesFunction setDefault =
        (SetDefaultDllDirectoriesFunction)(void*)GetProcAddress(kernel, "SetDefaultDllDirectories");
    if (setDefault != NULL && MayRestrictDllDirectories(GetVersion()) &&
        setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32))
        return;
    // Without it, at least take the current directory out of the search.
    SetDllDirectoryFunction setDirectory =
        (SetDllDirectoryFunction)(void*)GetProcAddress(kernel, "SetDllDirectoryA");
    if (setDirectory != NULL)
        setDirectory("");
}

typedef void(WINAPI* InitCommonControlsFunction)(void);

bool LoadCommonControls()
{
    char folder[MAX_PATH];
    char path[MAX_PATH + sizeof "\\comctl32.dll"];
    UINT length = GetSystemDirectoryA(folder, sizeof folder);
    if (length == 0 || length >= sizeof folder)
        return false;
    const char* name = folder[length - 1] == '\\' ? "comctl32.dll" : "\\comctl32.dll";
    if (!JoinText(path, sizeof path, folder, name, nullptr))
        return false;
    // Kept loaded for the life of the process: its window classes are used.
    HMODULE controls = LoadLibraryA(path);
    if (controls == NULL)
        return false;
    InitCommonControlsFunction init =
        (InitCommonControlsFunction)(void*)GetProcAddress(controls, "InitCommonControls");
    if (init == NULL)
        return false;
    init();
    return true;
}
