// A comctl32.dll as a stale download could leave it beside Setup.exe: it
// does nothing but leave planted.mark beside itself when it is loaded. It
// exports InitCommonControls, so that a program importing it would start.
#include <windows.h>
#include <string.h>

extern "C" __declspec(dllexport) void WINAPI InitCommonControls() {}

BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID)
{
    char path[MAX_PATH + 16];
    DWORD length = GetModuleFileNameA(module, path, MAX_PATH);
    char* name = length && length < MAX_PATH ? strrchr(path, '\\') : NULL;
    if (reason != DLL_PROCESS_ATTACH || name == NULL)
        return TRUE;
    lstrcpyA(name + 1, "planted.mark");
    CloseHandle(CreateFileA(path, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL));
    return TRUE;
}
