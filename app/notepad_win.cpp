// Starting Notepad on the readme, from the Windows folder only, without
// waiting for it.
#include "app/notepad.h"

#include <string.h>
#include <windows.h>

#include "app/install_paths.h"
#include "platform/text.h"

int NotepadCommandLine(const char* path, char* out, size_t size)
{
    if (size == 0)
        return -1;
    out[0] = 0;
    if (strchr(path, '"') != NULL)
        return -1;
    return JoinText(out, size, "notepad \"", path, "\"", nullptr) ? 0 : -1;
}

typedef UINT(WINAPI* WindowsDirectoryFunction)(LPSTR, UINT);

// The shared Windows folder. GetWindowsDirectoryA gives a per-user folder
// under Terminal Services; GetSystemWindowsDirectoryA is looked up at run
// time because Windows 95 and 98 lack it.
static UINT WindowsFolder(char* out, UINT size)
{
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    WindowsDirectoryFunction systemWindows =
        kernel
            ? (WindowsDirectoryFunction)(void*)GetProcAddress(kernel, "GetSystemWindowsDirectoryA")
            : NULL;
    if (systemWindows != NULL)
    {
        UINT length = systemWindows(out, size);
        if (length > 0 && length < size)
            return length;
    }
    return GetWindowsDirectoryA(out, size);
}

int NotepadProgramPath(char* out, size_t size)
{
    char folder[MAX_PATH];
    UINT length = WindowsFolder(folder, sizeof folder);
    if (length == 0 || length >= sizeof folder)
        return -1;
    // Only a drive root ("C:\") comes back with its own backslash.
    const char* tail = folder[length - 1] == '\\' ? "notepad.exe" : "\\notepad.exe";
    return JoinText(out, size, folder, tail, nullptr) ? 0 : -1;
}

int StartNotepad(const char* path)
{
    char program[kInstallPathSize];
    char commandLine[kInstallPathSize + 16];
    if (NotepadProgramPath(program, sizeof program) != 0 ||
        NotepadCommandLine(path, commandLine, sizeof commandLine) != 0)
        return -1;
    STARTUPINFOA startup;
    memset(&startup, 0, sizeof startup);
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process;
    if (!CreateProcessA(program, commandLine, NULL, NULL, FALSE, 0, NULL, NULL, &startup, &process))
        return -1;
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return 0;
}
