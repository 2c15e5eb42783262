// A shortcut file as the shell reads it when the user opens it, shared by
// the shell tests and the end-to-end driver.
#ifndef TREMLOK_TESTS_WIN_READ_LINK_H
#define TREMLOK_TESTS_WIN_READ_LINK_H

#include <windows.h>
#include <objbase.h>
#include <shlobj.h>
#include <stdio.h>

// Writes target, workdir, icon (path,index), arguments and description into
// out, one "key=value" line each; false when the file cannot be loaded as a
// shortcut. The target is the raw path as stored, not resolved on the disk.
inline bool ReadLinkText(const char* linkPath, char* out, size_t size)
{
    WCHAR wide[MAX_PATH];
    MultiByteToWideChar(CP_ACP, 0, linkPath, -1, wide, MAX_PATH);
    CoInitialize(NULL);
    IShellLinkA* link = NULL;
    IPersistFile* file = NULL;
    bool loaded = SUCCEEDED(CoCreateInstance(CLSID_ShellLink, NULL, CLSCTX_INPROC_SERVER,
                                             IID_IShellLinkA, (void**)&link)) &&
                  SUCCEEDED(link->QueryInterface(IID_IPersistFile, (void**)&file)) &&
                  SUCCEEDED(file->Load(wide, STGM_READ));
    if (loaded)
    {
        char text[5][MAX_PATH] = {};
        int iconIndex = -1;
        link->GetPath(text[0], MAX_PATH, NULL, SLGP_RAWPATH);
        link->GetWorkingDirectory(text[1], MAX_PATH);
        link->GetIconLocation(text[2], MAX_PATH, &iconIndex);
        link->GetArguments(text[3], MAX_PATH);
        link->GetDescription(text[4], MAX_PATH);
        snprintf(out, size, "target=%s\nworkdir=%s\nicon=%s,%d\narguments=%s\ndescription=%s\n",
                 text[0], text[1], text[2], iconIndex, text[3], text[4]);
    }
    if (file != NULL)
        file->Release();
    if (link != NULL)
        link->Release();
    CoUninitialize();
    return loaded;
}

#endif
