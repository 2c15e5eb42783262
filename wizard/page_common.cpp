// What the pages share: the window icon, and the check boxes of the welcome
// and completion pages.
#include "wizard/page_common.h"

#include "res/resource_ids.h"

void SetPageIcon(HWND page)
{
    HINSTANCE module = GetModuleHandleA(NULL);
    HICON big = (HICON)LoadImageA(module, MAKEINTRESOURCEA(IDI_PAGE), IMAGE_ICON, 0, 0,
                                  LR_DEFAULTSIZE | LR_SHARED);
    // The group's own 16 x 16 image looks better in the caption than the
    // big one shrunk; fall back to the big one if it cannot be had.
    HICON small =
        (HICON)LoadImageA(module, MAKEINTRESOURCEA(IDI_PAGE), IMAGE_ICON,
                          GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), LR_SHARED);
    SendMessageA(page, WM_SETICON, ICON_BIG, (LPARAM)big);
    SendMessageA(page, WM_SETICON, ICON_SMALL, (LPARAM)(small ? small : big));
}

// Through the button's own messages: each wrapper user32 offers for them is
// one more import.
bool IsBoxTicked(HWND page, int id)
{
    return SendDlgItemMessageA(page, id, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void UntickBox(HWND page, int id)
{
    SendDlgItemMessageA(page, id, BM_SETCHECK, BST_UNCHECKED, 0);
}
