// The three page templates as the resource compiler wrote them: every style,
// position, text and id, since the test harness and the pages' layout both
// rely on them.
#include "res/resource_ids.h"

#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>
#include <string>
#include <vector>

namespace
{

struct Item
{
    int id;
    std::string className; // predefined classes by name
    std::string text;      // "#181" for a resource ordinal
    DWORD style;
    int x, y, cx, cy;
};

struct Page
{
    DWORD style;
    DWORD exStyle;
    int cx, cy;
    std::string caption;
    int pointSize;
    std::string font;
    std::vector<Item> items;
};

std::string ReadWideString(const WORD** cursor)
{
    std::string text;
    while (**cursor)
        text += (char)*(*cursor)++;
    ++*cursor;
    return text;
}

// A menu, class or text field: empty, an ordinal, or a string.
std::string ReadNameOrOrdinal(const WORD** cursor)
{
    if (**cursor == 0xFFFF)
    {
        WORD ordinal = (*cursor)[1];
        *cursor += 2;
        return "#" + std::to_string(ordinal);
    }
    return ReadWideString(cursor);
}

std::string ClassName(const std::string& raw)
{
    if (raw == "#128")
        return "BUTTON";
    if (raw == "#129")
        return "EDIT";
    if (raw == "#130")
        return "STATIC";
    return raw;
}

bool ReadPage(int id, Page* page)
{
    HRSRC resource = FindResourceExA(NULL, (LPCSTR)RT_DIALOG, MAKEINTRESOURCEA(id),
                                     MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_UK));
    if (resource == NULL)
        return false;
    const DLGTEMPLATE* head = (const DLGTEMPLATE*)LockResource(LoadResource(NULL, resource));
    page->style = head->style;
    page->exStyle = head->dwExtendedStyle;
    page->cx = head->cx;
    page->cy = head->cy;
    const WORD* cursor = (const WORD*)(head + 1);
    if (ReadNameOrOrdinal(&cursor) != "" || ReadNameOrOrdinal(&cursor) != "")
        return false; // no menu and no class expected
    page->caption = ReadWideString(&cursor);
    page->pointSize = *cursor++;
    page->font = ReadWideString(&cursor);
    for (int i = 0; i < head->cdit; i++)
    {
        cursor = (const WORD*)(((ULONG_PTR)cursor + 3) & ~(ULONG_PTR)3);
        const DLGITEMTEMPLATE* raw = (const DLGITEMTEMPLATE*)cursor;
        Item item;
        item.style = raw->style;
        item.x = raw->x;
        item.y = raw->y;
        item.cx = raw->cx;
        item.cy = raw->cy;
        item.id = (short)raw->id;
        if (raw->dwExtendedStyle != 0)
            return false;
        cursor = (const WORD*)(raw + 1);
        item.className = ClassName(ReadNameOrOrdinal(&cursor));
        item.text = ReadNameOrOrdinal(&cursor);
        WORD extra = *cursor++;
        cursor = (const WORD*)((const BYTE*)cursor + extra);
        page->items.push_back(item);
    }
    return true;
}

const DWORD kChild = WS_CHILD | WS_VISIBLE;
const DWORD kPageStyle =
    WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_CENTER | DS_SETFONT;

const Item kSidebar = {-1, "STATIC", "#181", kChild | SS_BITMAP | SS_SUNKEN, 9, 9, 80, 160};
const Item kFootLine = {-1,  "STATIC", "",  kChild | SS_LEFT | SS_SUNKEN | WS_GROUP,
                        109, 146,      199, 2};

struct Expected
{
    int id;
    DWORD style;
    const char* caption;
    std::vector<Item> items;
};

std::vector<Expected> ExpectedPages()
{
    return {
        {IDD_WELCOME_PAGE,
         kPageStyle | WS_VISIBLE,
         "Install Tremlok 0.63",
         {{1036, "BUTTON", "Install >", kChild | BS_DEFPUSHBUTTON | WS_TABSTOP, 260, 156, 48, 14},
          {-1, "STATIC",
           "Welcome to the Tremlok setup program. Tremlok is about to be installed onto your "
           "system. If you do not wish to install at this time, click Cancel.",
           kChild | SS_LEFT | WS_GROUP, 110, 10, 196, 27},
          {1030, "EDIT", "", kChild | ES_AUTOHSCROLL | ES_OEMCONVERT | ES_READONLY | WS_TABSTOP,
           116, 73, 139, 12},
          {1035, "BUTTON", "Browse ...", kChild | BS_PUSHBUTTON | WS_TABSTOP, 260, 71, 40, 14},
          {1034, "BUTTON", "Cancel", kChild | BS_PUSHBUTTON | WS_TABSTOP, 206, 156, 47, 14},
          {1032, "BUTTON", "Create Shortcut on Desktop", kChild | BS_AUTOCHECKBOX | WS_TABSTOP, 110,
           96, 105, 10},
          {-1, "BUTTON", "Destination path", kChild | BS_GROUPBOX, 110, 62, 195, 29},
          kSidebar,
          {-1, "STATIC", " ", kChild | SS_LEFT | WS_GROUP, 109, 117, 195, 28},
          {-1, "STATIC",
           "Tremlok requires 3MB of free disk space to install. DirectX may also be needed.",
           kChild | SS_LEFT | WS_GROUP, 109, 40, 193, 19},
          kFootLine}},
        {IDD_PROGRESS_PAGE,
         kPageStyle,
         "Installing Tremlok",
         {{-1, "STATIC", "Please wait a moment while Tremlok is installed to your computer...",
           kChild | SS_LEFT | WS_GROUP, 110, 10, 195, 18},
          {1038, "msctls_progress32", "Progress1", kChild | WS_BORDER, 111, 50, 189, 14},
          kSidebar,
          {1036, "BUTTON", "Next >", kChild | BS_DEFPUSHBUTTON | WS_TABSTOP | WS_DISABLED, 260, 156,
           48, 14},
          {1041, "STATIC", "Current file :", kChild | SS_LEFTNOWORDWRAP | WS_GROUP, 111, 38, 188,
           10},
          kFootLine,
          {-1, "STATIC",
           "Tremlok requires DirectX to run. Most windows operating systems already have this "
           "installed. If not, you can find it on the Tremlok CD, http://www.example.com/directx "
           "or on various magazine cover discs.",
           kChild | SS_LEFT | WS_GROUP, 110, 75, 190, 35},
          {-1, "STATIC",
           "Thank you for choosing Tremlok. We hope you enjoy it. If you have any comments or "
           "complaints, please let us know at support@tremlok.example.com",
           kChild | SS_LEFT | WS_GROUP, 110, 117, 196, 25}}},
        {IDD_COMPLETION_PAGE,
         kPageStyle,
         "Installation Complete",
         {{-1, "STATIC",
           "Tremlok has been successfully installed onto your computer. You can launch Tremlok "
           "by clicking Start-> Programs-> Tremlok from the Start menu.",
           kChild | SS_LEFT | WS_GROUP, 110, 10, 195, 29},
          kSidebar,
          kFootLine,
          {1036, "BUTTON", "Finish", kChild | BS_DEFPUSHBUTTON | WS_TABSTOP, 260, 156, 48, 14},
          {1039, "BUTTON", "View Tremlok readme in notepad.", kChild | BS_AUTOCHECKBOX | WS_TABSTOP,
           110, 51, 123, 12}}},
    };
}

TEST(DialogTemplates, MatchTheirLayoutExactly)
{
    for (const Expected& expected : ExpectedPages())
    {
        SCOPED_TRACE(expected.caption);
        Page page;
        ASSERT_TRUE(ReadPage(expected.id, &page));
        EXPECT_EQ(expected.style, page.style);
        EXPECT_EQ(0u, page.exStyle);
        EXPECT_EQ(320, page.cx);
        EXPECT_EQ(178, page.cy);
        EXPECT_EQ(expected.caption, page.caption);
        EXPECT_EQ(8, page.pointSize);
        EXPECT_EQ("MS Sans Serif", page.font);
        ASSERT_EQ(expected.items.size(), page.items.size());
        for (size_t i = 0; i < page.items.size(); i++)
        {
            const Item& want = expected.items[i];
            const Item& got = page.items[i];
            SCOPED_TRACE("item " + std::to_string(i + 1) + " " + want.text);
            EXPECT_EQ(want.id, got.id);
            // The resource compiler upper-cases class names; window classes
            // are matched without regard to case.
            EXPECT_STRCASEEQ(want.className.c_str(), got.className.c_str());
            EXPECT_EQ(want.text, got.text);
            EXPECT_EQ(want.style, got.style) << std::hex << (want.style ^ got.style);
            EXPECT_EQ(want.x, got.x);
            EXPECT_EQ(want.y, got.y);
            EXPECT_EQ(want.cx, got.cx);
            EXPECT_EQ(want.cy, got.cy);
        }
    }
}

TEST(Resources, SidebarAndIconsHaveTheirSizesAndDepths)
{
    HRSRC resource = FindResourceA(NULL, MAKEINTRESOURCEA(IDB_SIDEBAR), (LPCSTR)RT_BITMAP);
    ASSERT_NE(nullptr, resource);
    const BITMAPINFOHEADER* info =
        (const BITMAPINFOHEADER*)LockResource(LoadResource(NULL, resource));
    EXPECT_EQ(118, info->biWidth);
    EXPECT_EQ(258, info->biHeight);
    EXPECT_EQ(8, info->biBitCount);
    EXPECT_EQ((DWORD)BI_RGB, info->biCompression);
    EXPECT_EQ(64u, info->biClrUsed);

    // Each group's directory: a 32 x 32 and a 16 x 16 image of 16 colours.
    for (int group : {IDI_PROGRAM, IDI_PAGE})
    {
        SCOPED_TRACE(group);
        HRSRC found = FindResourceA(NULL, MAKEINTRESOURCEA(group), (LPCSTR)RT_GROUP_ICON);
        ASSERT_NE(nullptr, found);
        const WORD* directory = (const WORD*)LockResource(LoadResource(NULL, found));
        ASSERT_EQ(2, directory[2]);
        const BYTE* entry = (const BYTE*)(directory + 3);
        for (int size : {32, 16})
        {
            // Width, height, colour count, reserved, planes, bit count, ...
            EXPECT_EQ(size, entry[0]);
            EXPECT_EQ(size, entry[1]);
            EXPECT_EQ(16, entry[2]);
            EXPECT_EQ(4, entry[6]);
            entry += 14;
        }
    }
}

} // namespace
