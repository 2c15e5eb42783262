#include "wizard/page_common.h"

#include "res/resource_ids.h"

void SetPageIcon(HWND page)
{
    HINSTANCE module = GetModuleHandleA(NULL);
    HICON big = LoadIconA(module, MAKEINTRESOURCEA(IDI_PAGE));
    // The group's own 16 x 16 image looks better in the caption than the
    // big one shrunk; fall back to the big one if it cannot be had.
    HICON small =
        (HICON)LoadImageA(module, MAKEINTRESOURCEA(IDI_PAGE), IMAGE_ICON,
                          GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), LR_SHARED);
    PostMessageA(page, WM_SETICON, ICON_BIG, (LPARAM)big);
    PostMessageA(page, WM_SETICON, ICON_SMALL, (LPARAM)(small ? small : big));
}
