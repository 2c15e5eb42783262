// Reading shortcut files back through the shell's link object, and naming
// the special folders, so that the tests look at shortcuts the way the
// shell will when the user opens them.
#include <windows.h>
#include <objbase.h>
#include <shlobj.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "tests/e2e/driver_commands.h"

// Prints one "key=value" line per property of the shortcut at the given
// path: target, workdir, icon (path,index), arguments, description, showcmd
// and hotkey.
static int PrintLink(IShellLinkA* link)
{
    char text[MAX_PATH * 4];
    // The raw path: as stored, without resolving it against the disk.
    if (FAILED(link->GetPath(text, sizeof text, NULL, SLGP_RAWPATH)))
        text[0] = '\0';
    printf("target=%s\n", text);
    if (FAILED(link->GetWorkingDirectory(text, sizeof text)))
        text[0] = '\0';
    printf("workdir=%s\n", text);
    int iconIndex = 0;
    if (FAILED(link->GetIconLocation(text, sizeof text, &iconIndex)))
        text[0] = '\0';
    printf("icon=%s,%d\n", text, iconIndex);
    if (FAILED(link->GetArguments(text, sizeof text)))
        text[0] = '\0';
    printf("arguments=%s\n", text);
    if (FAILED(link->GetDescription(text, sizeof text)))
        text[0] = '\0';
    printf("description=%s\n", text);
    int showCommand = 0;
    link->GetShowCmd(&showCommand);
    printf("showcmd=%d\n", showCommand);
    WORD hotkey = 0;
    link->GetHotkey(&hotkey);
    printf("hotkey=%u\n", (unsigned)hotkey);
    return kDriverOk;
}

int CommandReadLink(int argc, char** argv)
{
    if (argc != 1)
    {
        fprintf(stderr, "usage: e2e_driver read-link FILE\n");
        return kDriverUsage;
    }
    wchar_t widePath[MAX_PATH];
    if (MultiByteToWideChar(CP_ACP, 0, argv[0], -1, widePath, MAX_PATH) == 0)
    {
        fprintf(stderr, "e2e_driver: path too long\n");
        return kDriverUsage;
    }
    CoInitialize(NULL);
    int status = kDriverFalse;
    IShellLinkA* link = NULL;
    IPersistFile* file = NULL;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, NULL, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                (void**)&link)))
        fprintf(stderr, "e2e_driver: no shell link object\n");
    else if (FAILED(link->QueryInterface(IID_IPersistFile, (void**)&file)))
        fprintf(stderr, "e2e_driver: the link object has no IPersistFile\n");
    else if (FAILED(file->Load(widePath, STGM_READ)))
        fprintf(stderr, "e2e_driver: cannot load %s as a shortcut\n", argv[0]);
    else
        status = PrintLink(link);
    if (file != NULL)
        file->Release();
    if (link != NULL)
        link->Release();
    CoUninitialize();
    return status;
}

int CommandSpecialFolder(int argc, char** argv)
{
    if (argc != 1)
    {
        fprintf(stderr, "usage: e2e_driver special-folder CSIDL\n");
        return kDriverUsage;
    }
    char path[MAX_PATH];
    int csidl = (int)strtol(argv[0], NULL, 0);
    if (!SHGetSpecialFolderPathA(NULL, path, csidl, FALSE))
    {
        fprintf(stderr, "e2e_driver: no special folder %d\n", csidl);
        return kDriverFalse;
    }
    printf("%s\n", path);
    return kDriverOk;
}
