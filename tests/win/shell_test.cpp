// The shell layer against the real shell: folder paths from identifier lists,
// special folders, and shortcut files read back through the link object.
#include "wizard/shell_path.h"
#include "wizard/shortcut.h"

#include "tests/unit/scratch_folder.h"

#include <gtest/gtest.h>
#include <objbase.h>
#include <shlobj.h>
#include <string.h>
#include <string>

namespace
{

// What PathFromIdList makes of folder in a buffer of size bytes, "" when it
// refuses.
std::string PathOf(const char* folder, size_t size)
{
    IShellFolder* desktop = NULL;
    LPITEMIDLIST idList = NULL;
    WCHAR wide[MAX_PATH];
    MultiByteToWideChar(CP_ACP, 0, folder, -1, wide, MAX_PATH);
    if (FAILED(SHGetDesktopFolder(&desktop)))
        return "<no desktop>";
    HRESULT parsed = desktop->ParseDisplayName(NULL, NULL, wide, NULL, &idList, NULL);
    desktop->Release();
    if (FAILED(parsed))
        return "<no id list>";
    char path[kShellPathSize];
    memset(path, 'x', sizeof path);
    HRESULT result = PathFromIdList(idList, path, size);
    CoTaskMemFree(idList);
    EXPECT_EQ(SUCCEEDED(result), path[0] != 0) << folder;
    EXPECT_EQ('x', path[size]) << "written past " << size << " bytes";
    return path;
}

TEST(ShellPath, PathFromIdListEndsInOneBackslashOrRefuses)
{
    EXPECT_EQ("C:\\", PathOf("C:\\", kShellPathSize - 1));
    EXPECT_EQ("C:\\windows\\", PathOf("C:\\windows", kShellPathSize - 1));
    // "C:\windows\" and its terminator need 12 bytes.
    EXPECT_EQ("C:\\windows\\", PathOf("C:\\windows", 12));
    EXPECT_EQ("", PathOf("C:\\windows", 11));
}

TEST(ShellPath, SpecialFoldersAreExistingFoldersEndingInOneBackslash)
{
    for (int csidl : {CSIDL_PROGRAMS, CSIDL_DESKTOPDIRECTORY})
    {
        char path[kShellPathSize];
        ASSERT_EQ(S_OK, GetSpecialFolderPath(csidl, path, sizeof path)) << csidl;
        std::string text = path;
        EXPECT_EQ(text.size() - 2, text.find_last_not_of('\\')) << text;
        EXPECT_TRUE(std::filesystem::is_directory(text)) << text;
    }
    char untouched[kShellPathSize] = "unchanged";
    EXPECT_TRUE(FAILED(GetSpecialFolderPath(0x7F, untouched, sizeof untouched)));
    EXPECT_STREQ("unchanged", untouched);
}

struct LinkContents
{
    std::string target, workingDirectory, iconPath, arguments, description;
    int iconIndex;
};

// The shortcut at linkPath as the shell reads it; false when it cannot load it.
bool ReadLink(const std::string& linkPath, LinkContents* contents)
{
    IShellLinkA* link = NULL;
    IPersistFile* file = NULL;
    WCHAR wide[MAX_PATH];
    MultiByteToWideChar(CP_ACP, 0, linkPath.c_str(), -1, wide, MAX_PATH);
    CoInitialize(NULL);
    bool loaded = SUCCEEDED(CoCreateInstance(CLSID_ShellLink, NULL, CLSCTX_INPROC_SERVER,
                                             IID_IShellLinkA, (void**)&link)) &&
                  SUCCEEDED(link->QueryInterface(IID_IPersistFile, (void**)&file)) &&
                  SUCCEEDED(file->Load(wide, STGM_READ));
    char text[5][MAX_PATH] = {};
    int iconIndex = -1;
    if (loaded)
    {
        link->GetPath(text[0], MAX_PATH, NULL, 0);
        link->GetWorkingDirectory(text[1], MAX_PATH);
        link->GetIconLocation(text[2], MAX_PATH, &iconIndex);
        link->GetArguments(text[3], MAX_PATH);
        link->GetDescription(text[4], MAX_PATH);
        *contents = {text[0], text[1], text[2], text[3], text[4], iconIndex};
    }
    if (file)
        file->Release();
    if (link)
        link->Release();
    CoUninitialize();
    return loaded;
}

typedef ScratchTest ShortcutTest;

TEST_F(ShortcutTest, HoldsWhatItsMaskSelectsUnderTheNameGiven)
{
    std::string game = Path("game.exe");
    ASSERT_TRUE(WriteText(game, "MZ"));
    // A link path of exactly n characters in the scratch folder.
    auto ofLength = [&](size_t n) { return std::string(n - scratch.size() - 5, 'a') + ".lnk"; };
    const std::string windows = "C:\\windows";
    struct Case
    {
        std::string name;
        unsigned mask;
        bool written;
        std::string workingDirectory, iconPath; // expected; empty when not set
    } cases[] = {
        {"plain.lnk", 0, true, "", ""},
        {"help.lnk", SHORTCUT_WORKDIR, true, windows, ""},
        {"game.lnk", SHORTCUT_ICON | SHORTCUT_WORKDIR, true, windows, game},
        {"Tremlok Uninstall.pif", SHORTCUT_WORKDIR, true, windows, ""},
        {ofLength(kMaxLinkPathLength), SHORTCUT_WORKDIR, true, windows, ""},
        {ofLength(kMaxLinkPathLength + 1), 0, false, "", ""},
        {"missing\\game.lnk", 0, false, "", ""},
    };
    int written = 0;
    for (const Case& c : cases)
    {
        std::string linkPath = Path(c.name);
        SCOPED_TRACE(std::to_string(linkPath.size()) + " " + linkPath);
        ShortcutInfo info = {};
        info.target = game.c_str();
        info.mask = c.mask;
        // Fields whose bit is clear carry values that must not be applied.
        info.description = "not applied";
        info.arguments = "/not-applied";
        info.iconPath = c.mask & SHORTCUT_ICON ? game.c_str() : "C:\\not\\applied.ico";
        info.workingDirectory = c.mask & SHORTCUT_WORKDIR ? windows.c_str() : "C:\\not-applied";
        HRESULT result = CreateShortcut(linkPath.c_str(), &info);
        LinkContents link = {};
        ASSERT_EQ(c.written, SUCCEEDED(result));
        ASSERT_EQ(c.written, ReadLink(linkPath, &link));
        written += c.written ? 1 : 0;
        if (!c.written)
            continue;
        EXPECT_STRCASEEQ(game.c_str(), link.target.c_str());
        EXPECT_STRCASEEQ(c.workingDirectory.c_str(), link.workingDirectory.c_str());
        EXPECT_STRCASEEQ(c.iconPath.c_str(), link.iconPath.c_str());
        EXPECT_EQ(0, link.iconIndex);
        EXPECT_EQ("", link.arguments + link.description);
    }
    // Nothing else was written: no cut name, no ".pif.lnk", no folder.
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(scratch))
        files += entry.path().filename() != "game.exe" ? 1 : 0;
    EXPECT_EQ(written, files);
}

} // namespace
