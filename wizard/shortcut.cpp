// Saving a shortcut file through the shell link object and its persist
// interface, under COM started and stopped around it.
#include "wizard/shortcut.h"

#include <objbase.h>
#include <shlobj.h>
#include <string.h>

// Older shells have no data list; the link then starts unelevated.
static void MarkRunAsAdministrator(IShellLinkA* link)
{
    IShellLinkDataList* data = NULL;
    if (FAILED(link->QueryInterface(IID_IShellLinkDataList, (void**)&data)))
        return;
    DWORD flags = 0;
    if (SUCCEEDED(data->GetFlags(&flags)))
        data->SetFlags(flags | SLDF_RUNAS_USER);
    data->Release();
}

// The setters' results are ignored: a property the object refuses must not
// stop the save.
static void ApplyShortcutInfo(IShellLinkA* link, const ShortcutInfo* info)
{
    link->SetPath(info->target);
    if (info->mask & SHORTCUT_ARGUMENTS)
        link->SetArguments(info->arguments);
    if (info->mask & SHORTCUT_DESCRIPTION)
        link->SetDescription(info->description);
    if (info->mask & SHORTCUT_ICON)
        link->SetIconLocation(info->iconPath, info->iconIndex);
    if (info->mask & SHORTCUT_WORKDIR)
        link->SetWorkingDirectory(info->workingDirectory);
    if (info->mask & SHORTCUT_SHOWCMD)
        link->SetShowCmd(info->showCommand);
    if (info->mask & SHORTCUT_HOTKEY)
        link->SetHotkey(info->hotkey);
    if (info->mask & SHORTCUT_RUNAS)
        MarkRunAsAdministrator(link);
}

static HRESULT SaveLink(IShellLinkA* link, const char* linkPath)
{
    IPersistFile* file = NULL;
    HRESULT result = link->QueryInterface(IID_IPersistFile, (void**)&file);
    if (FAILED(result))
        return result;
    WCHAR wide[MAX_PATH];
    memset(wide, 0, sizeof wide);
    // The zero fill supplies the terminator; the length was checked on entry.
    if (MultiByteToWideChar(CP_ACP, 0, linkPath, (int)strlen(linkPath), wide, MAX_PATH - 1) <= 0)
        result = HRESULT_FROM_WIN32(ERROR_NO_UNICODE_TRANSLATION);
    else
        result = file->Save(wide, TRUE);
    file->Release();
    return result;
}

HRESULT CreateShortcut(const char* linkPath, const ShortcutInfo* info)
{
    if (strnlen(linkPath, kMaxLinkPathLength + 1) > (size_t)kMaxLinkPathLength)
        return HRESULT_FROM_WIN32(ERROR_FILENAME_EXCED_RANGE);
    // Only a successful initialisation is balanced: uninitialising after a
    // refused one would take away a caller's apartment.
    HRESULT initialised = CoInitialize(NULL);
    IShellLinkA* link = NULL;
    HRESULT result = CoCreateInstance(CLSID_ShellLink, NULL, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                      (void**)&link);
    if (SUCCEEDED(result))
    {
        ApplyShortcutInfo(link, info);
        result = SaveLink(link, linkPath);
        link->Release();
    }
    if (SUCCEEDED(initialised))
        CoUninitialize();
    return result;
}
