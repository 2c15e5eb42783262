// Selecting a folder in the shell's folder browser of another process.
// The browser takes a path through BFFM_SETSELECTIONA, whose string must
// live in the browser's own address space, so it is copied there first.
// The selection goes through the same tree notification as a click, so the
// owner's status callback runs as it would for a user.
#include <windows.h>
#include <shlobj.h>
#include <stdio.h>
#include <string.h>

#include "tests/e2e/driver_commands.h"
#include "tests/e2e/driver_window.h"

int CommandBrowseSelect(int argc, char** argv)
{
    if (argc != 2)
    {
        fprintf(stderr, "usage: e2e_driver browse-select CAPTION PATH\n");
        return kDriverUsage;
    }
    HWND browser = FindTopWindow(argv[0]);
    if (browser == NULL)
    {
        fprintf(stderr, "e2e_driver: no window \"%s\"\n", argv[0]);
        return kDriverUsage;
    }
    const char* path = argv[1];
    SIZE_T size = strlen(path) + 1;

    DWORD processId = 0;
    GetWindowThreadProcessId(browser, &processId);
    HANDLE process =
        OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, processId);
    if (process == NULL)
    {
        fprintf(stderr, "e2e_driver: cannot open process %lu\n", (unsigned long)processId);
        return kDriverFalse;
    }
    int status = kDriverFalse;
    void* remote = VirtualAllocEx(process, NULL, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    SIZE_T written = 0;
    if (remote != NULL && WriteProcessMemory(process, remote, path, size, &written) &&
        written == size)
    {
        DWORD_PTR selected = 0;
        if (SendAndWait(browser, BFFM_SETSELECTIONA, TRUE, (LPARAM)remote, &selected))
            status = kDriverOk;
        else
            fprintf(stderr, "e2e_driver: the browser did not answer\n");
    }
    else
    {
        fprintf(stderr, "e2e_driver: cannot copy the path into process %lu\n",
                (unsigned long)processId);
    }
    if (remote != NULL)
        VirtualFreeEx(process, remote, 0, MEM_RELEASE);
    CloseHandle(process);
    return status;
}
