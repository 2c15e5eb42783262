// A comctl32.dll as a stale download could leave it beside Setup.exe: it
// does nothing but leave planted.mark beside itself when it is loaded. It
// exports InitCommonControls, so that a program importing it would start.
#include <windows.h>

extern "C" __declspec(dllexport) void WINAPI InitCommonControls() {}

BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID)
{
    char path[MAX_PATH + 16];
    DWORD length = GetModuleFileNameA(module, path, MAX_PATH);
    if (reason != DLL_PROCESS_ATTACH || length == 0 || length >= MAX_PATH)
        return TRUE;
    char* name = path + length;
    while (name > path && name[-1] != '\\')
        --name;
    lstrcpyA(name, "planted.mark");
    CloseHandle(CreateFileA(path, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL));
    return TRUE;
}
