// The shell's side: selecting a folder in another process's folder browser,
// reading shortcut files back through the link object the way the shell
// will when the user opens them, and naming the special folders.
#include <windows.h>
#include <objbase.h>
#include <shlobj.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "tests/e2e/driver.h"

// BFFM_SETSELECTIONA takes a path in the browser's own address space, so
// the path is copied there first. The selection goes through the same
// notification as a click, so the owner's status callback runs as it would
// for a user.
int CommandBrowse(char** argv)
{
    HWND browser = RequireWindow(argv[0]);
    if (browser == NULL)
        return kDriverMissing;
    SIZE_T size = strlen(argv[1]) + 1, written = 0;
    DWORD processId = 0;
    GetWindowThreadProcessId(browser, &processId);
    HANDLE process =
        OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, processId);
    void* remote = process != NULL ? VirtualAllocEx(process, NULL, size, MEM_COMMIT | MEM_RESERVE,
                                                    PAGE_READWRITE)
                                   : NULL;
    int status = kDriverFalse;
    if (remote != NULL && WriteProcessMemory(process, remote, argv[1], size, &written) &&
        written == size && SendAndWait(browser, BFFM_SETSELECTIONA, TRUE, (LPARAM)remote, NULL))
        status = kDriverOk;
    else
        fprintf(stderr, "e2e_driver: could not select %s in \"%s\"\n", argv[1], argv[0]);
    if (remote != NULL)
        VirtualFreeEx(process, remote, 0, MEM_RELEASE);
    if (process != NULL)
        CloseHandle(process);
    return status;
}

// Prints target, workdir, icon (path,index), arguments and description, one
// "key=value" line each. The target is the raw path as stored, without
// resolving it against the disk.
int CommandReadLink(char** argv)
{
    WCHAR wide[MAX_PATH];
    MultiByteToWideChar(CP_ACP, 0, argv[0], -1, wide, MAX_PATH);
    CoInitialize(NULL);
    IShellLinkA* link = NULL;
    IPersistFile* file = NULL;
    int status = kDriverFalse;
    if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, NULL, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                   (void**)&link)) &&
        SUCCEEDED(link->QueryInterface(IID_IPersistFile, (void**)&file)) &&
        SUCCEEDED(file->Load(wide, STGM_READ)))
    {
        char text[5][MAX_PATH] = {};
        int iconIndex = -1;
        link->GetPath(text[0], MAX_PATH, NULL, SLGP_RAWPATH);
        link->GetWorkingDirectory(text[1], MAX_PATH);
        link->GetIconLocation(text[2], MAX_PATH, &iconIndex);
        link->GetArguments(text[3], MAX_PATH);
        link->GetDescription(text[4], MAX_PATH);
        printf("target=%s\nworkdir=%s\nicon=%s,%d\narguments=%s\ndescription=%s\n", text[0],
               text[1], text[2], iconIndex, text[3], text[4]);
        status = kDriverOk;
    }
    else
        fprintf(stderr, "e2e_driver: cannot load %s as a shortcut\n", argv[0]);
    if (file != NULL)
        file->Release();
    if (link != NULL)
        link->Release();
    CoUninitialize();
    return status;
}

int CommandSpecialFolder(char** argv)
{
    char path[MAX_PATH];
    if (!SHGetSpecialFolderPathA(NULL, path, atoi(argv[0]), FALSE))
        return kDriverFalse;
    printf("%s\n", path);
    return kDriverOk;
}
