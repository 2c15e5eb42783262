// The folder browser's status line: the install folder that OK would give,
// or a refusal when that folder would not fit.
#include "wizard/folder_browser.h"
#include "wizard/welcome_page.h"

#include "tests/unit/scratch_folder.h"

#include <gtest/gtest.h>
#include <windows.h>
#include <shlobj.h>
#include <string>
#include <vector>

namespace
{

std::vector<std::string> gStatusTexts;

// Stands in for the browser window: keeps every status text it is sent.
LRESULT CALLBACK StatusRecorder(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_USER + 100)
    {
        gStatusTexts.push_back((const char*)lParam);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

HWND MakeRecorder()
{
    static ATOM atom = 0;
    if (!atom)
    {
        WNDCLASSA windowClass = {};
        windowClass.lpfnWndProc = StatusRecorder;
        windowClass.hInstance = GetModuleHandleA(NULL);
        windowClass.lpszClassName = "TremlokStatusRecorder";
        atom = RegisterClassA(&windowClass);
    }
    return CreateWindowA("TremlokStatusRecorder", "", 0, 0, 0, 0, 0, HWND_MESSAGE, NULL,
                         GetModuleHandleA(NULL), NULL);
}

LPITEMIDLIST IdListFor(const std::string& path)
{
    IShellFolder* desktop = NULL;
    if (FAILED(SHGetDesktopFolder(&desktop)))
        return NULL;
    WCHAR wide[MAX_PATH];
    MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide, MAX_PATH);
    LPITEMIDLIST idList = NULL;
    HRESULT result = desktop->ParseDisplayName(NULL, NULL, wide, NULL, &idList, NULL);
    desktop->Release();
    return SUCCEEDED(result) ? idList : NULL;
}

struct BrowseStatusTest : ScratchTest
{
    HWND recorder = NULL;

    void SetUp() override
    {
        ScratchTest::SetUp();
        CoInitialize(NULL);
        gStatusTexts.clear();
        recorder = MakeRecorder();
        ASSERT_NE(nullptr, recorder);
    }

    void TearDown() override
    {
        DestroyWindow(recorder);
        CoUninitialize();
        ScratchTest::TearDown();
    }

    // The status text for choosing folder, or "<none>" when nothing was sent.
    std::string StatusFor(const std::string& folder)
    {
        LPITEMIDLIST idList = IdListFor(folder);
        if (idList == NULL)
            return "<no id list>";
        gStatusTexts.clear();
        EXPECT_EQ(1, BrowseStatusCallback(recorder, BFFM_SELCHANGED, (LPARAM)idList, 0));
        CoTaskMemFree(idList);
        return gStatusTexts.empty() ? "<none>" : gStatusTexts.back();
    }
};

TEST_F(BrowseStatusTest, ShowsTheFolderWithTheProductNameAppended)
{
    EXPECT_EQ("C:\\Tremlok", StatusFor("C:\\"));
    EXPECT_EQ("C:\\windows\\Tremlok", StatusFor("C:\\windows"));
}

TEST_F(BrowseStatusTest, RefusesAFolderTooLongForTheInstallFolder)
{
    // A folder of 247 characters gives exactly the 255 the install folder
    // holds; one of 248 would need 256.
    for (size_t length : {247u, 248u})
    {
        SCOPED_TRACE(length);
        std::string folder = scratch + "\\" + std::string(length - scratch.size() - 1, 'f');
        ASSERT_EQ(length, folder.size());
        ASSERT_TRUE(CreateDirectoryA(folder.c_str(), NULL));
        std::string status = StatusFor(folder);
        if (length == 247)
            EXPECT_EQ(folder + "\\Tremlok", status);
        else
            EXPECT_EQ(kFolderTooLongText, status);
    }
}

TEST_F(BrowseStatusTest, IgnoresEveryOtherMessage)
{
    EXPECT_EQ(1, BrowseStatusCallback(recorder, BFFM_INITIALIZED, 0, 0));
    EXPECT_EQ(1, BrowseStatusCallback(recorder, BFFM_VALIDATEFAILEDA, 0, 0));
    EXPECT_TRUE(gStatusTexts.empty());
}

} // namespace
