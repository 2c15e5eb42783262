// Folder paths from the shell's identifier lists: special folders and the
// display names the folder browser returns.
#include "wizard/shell_path.h"

#include <string.h>

const HRESULT kPathTooLong = HRESULT_FROM_WIN32(ERROR_FILENAME_EXCED_RANGE);

// Copies the text of a STRRET into out (outSize bytes). A wide string is
// converted to the ANSI code page and freed, as its owner must. Returns S_OK
// when the whole text fits, kPathTooLong otherwise, and kNameNotInCodePage
// when a character of a wide name has no form in the ANSI code page: the
// "?" put in its place would be a wildcard in uninst.bat.
static HRESULT TextFromStrRet(STRRET* name, LPCITEMIDLIST idList, char* out, size_t outSize)
{
    const char* text = NULL;
    size_t limit = outSize;
    switch (name->uType)
    {
    case STRRET_WSTR:
    {
        BOOL lost = FALSE;
        int written =
            WideCharToMultiByte(CP_ACP, 0, name->pOleStr, -1, out, (int)outSize, NULL, &lost);
        CoTaskMemFree(name->pOleStr);
        return lost ? kNameNotInCodePage : (written > 0 ? S_OK : kPathTooLong);
    }
    case STRRET_OFFSET:
        text = (const char*)idList + name->uOffset;
        break;
    case STRRET_CSTR:
        // cStr need not carry a terminator when it is full.
        text = name->cStr;
        if (limit > sizeof(name->cStr))
            limit = sizeof(name->cStr);
        break;
    default:
        return kPathTooLong;
    }
    size_t length = strnlen(text, limit);
    if (length >= outSize)
        return kPathTooLong;
    memcpy(out, text, length);
    out[length] = 0;
    return S_OK;
}

HRESULT PathFromIdList(LPCITEMIDLIST idList, char* path, size_t pathSize)
{
    if (pathSize == 0)
        return E_INVALIDARG;
    path[0] = 0;
    IShellFolder* desktop = NULL;
    HRESULT result = SHGetDesktopFolder(&desktop);
    if (FAILED(result))
        return result;
    STRRET name;
    name.uType = STRRET_CSTR;
    result = desktop->GetDisplayNameOf(idList, SHGDN_FORPARSING, &name);
    if (SUCCEEDED(result))
    {
        char text[kShellPathSize];
        result = TextFromStrRet(&name, idList, text, sizeof text);
        if (SUCCEEDED(result))
        {
            // Only a drive's root ends in a backslash. A last byte of 0x5C
            // alone does not say so: on a double-byte code page it may be
            // the second byte of a character, but never after a colon.
            size_t length = strlen(text);
            bool addSlash = length < 2 || text[length - 2] != ':' || text[length - 1] != '\\';
            if (length + (addSlash ? 1 : 0) >= pathSize)
                result = kPathTooLong;
            else
            {
                memcpy(path, text, length);
                if (addSlash)
                    path[length++] = '\\';
                path[length] = 0;
            }
        }
    }
    desktop->Release();
    return result;
}

HRESULT GetSpecialFolderPath(int csidl, char* path, size_t pathSize)
{
    LPITEMIDLIST idList = NULL;
    HRESULT result = SHGetSpecialFolderLocation(NULL, csidl, &idList);
    if (FAILED(result))
        return result;
    char found[kShellPathSize];
    HRESULT converted = PathFromIdList(idList, found, sizeof found);
    CoTaskMemFree(idList);
    if (FAILED(converted))
        return converted;
    size_t length = strlen(found);
    if (length >= pathSize)
        return HRESULT_FROM_WIN32(ERROR_INSUFFICIENT_BUFFER);
    memcpy(path, found, length + 1);
    return result;
}
