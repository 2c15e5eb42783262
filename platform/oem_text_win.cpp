// ANSI to OEM through UTF-16. cmd decodes each batch line in the console's
// code page, which is the OEM one in the console the uninstall shortcut
// opens; a "chcp" line in the script does not help, since Wine's cmd keeps
// decoding in the OEM code page whatever chcp sets.
#include "platform/oem_text.h"

#include <windows.h>

#include <stdlib.h>
#include <string.h>

static char* Copy(const char* text)
{
    size_t size = strlen(text) + 1;
    char* copy = (char*)malloc(size);
    if (copy)
        memcpy(copy, text, size);
    return copy;
}

char* OemCodePageText(const char* text)
{
    bool ascii = true;
    for (const char* p = text; *p && ascii; ++p)
        ascii = (unsigned char)*p < 0x80;
    int wideLength = ascii ? 0 : MultiByteToWideChar(CP_ACP, 0, text, -1, NULL, 0);
    if (wideLength <= 0)
        return Copy(text);
    WCHAR* wide = (WCHAR*)malloc((size_t)wideLength * sizeof(WCHAR));
    if (!wide)
        return nullptr;
    MultiByteToWideChar(CP_ACP, 0, text, -1, wide, wideLength);
    BOOL lost = FALSE;
    // Windows 95 and NT 4 refuse the flag; there a best-fit letter goes
    // unnoticed, a missing one is still seen.
    DWORD flags = WC_NO_BEST_FIT_CHARS;
    int length = WideCharToMultiByte(CP_OEMCP, flags, wide, -1, NULL, 0, NULL, &lost);
    if (length <= 0 && GetLastError() == ERROR_INVALID_FLAGS)
    {
        flags = 0;
        length = WideCharToMultiByte(CP_OEMCP, flags, wide, -1, NULL, 0, NULL, &lost);
    }
    char* oem = length > 0 && !lost ? (char*)malloc((size_t)length) : nullptr;
    if (oem)
        WideCharToMultiByte(CP_OEMCP, flags, wide, -1, oem, length, NULL, &lost);
    free(wide);
    if (oem && !lost)
        return oem;
    free(oem);
    return length > 0 && !lost ? nullptr : Copy(text);
}
