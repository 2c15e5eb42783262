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

// An identifier list for a file-system path, freed by the caller.
LPITEMIDLIST IdListFor(const char* path)
{
    IShellFolder* desktop = NULL;
    if (FAILED(SHGetDesktopFolder(&desktop)))
        return NULL;
    WCHAR wide[MAX_PATH];
    MultiByteToWideChar(CP_ACP, 0, path, -1, wide, MAX_PATH);
    LPITEMIDLIST idList = NULL;
    HRESULT result = desktop->ParseDisplayName(NULL, NULL, wide, NULL, &idList, NULL);
    desktop->Release();
    return SUCCEEDED(result) ? idList : NULL;
}

std::string PathOf(const char* folder)
{
    LPITEMIDLIST idList = IdListFor(folder);
    if (idList == NULL)
        return "<no id list>";
    char path[kShellPathSize];
    HRESULT result = PathFromIdList(idList, path, sizeof path);
    CoTaskMemFree(idList);
    return SUCCEEDED(result) ? std::string(path) : "<failed>";
}

struct ComTest : ScratchTest
{
    void SetUp() override
    {
        ScratchTest::SetUp();
        CoInitialize(NULL);
    }
    void TearDown() override
    {
        CoUninitialize();
        ScratchTest::TearDown();
    }
};

typedef ComTest PathFromIdListTest;

TEST_F(PathFromIdListTest, EndsInExactlyOneBackslash)
{
    EXPECT_EQ("C:\\", PathOf("C:\\"));
    EXPECT_EQ("C:\\windows\\", PathOf("C:\\windows"));
    CreateDirectoryA(Path("Program Files").c_str(), NULL);
    EXPECT_EQ(Path("Program Files") + "\\", PathOf(Path("Program Files").c_str()));
}

TEST_F(PathFromIdListTest, RefusesABufferThatCannotHoldTheBackslash)
{
    LPITEMIDLIST idList = IdListFor("C:\\windows");
    ASSERT_NE(nullptr, idList);
    char path[12];
    memset(path, 'x', sizeof path);
    // "C:\windows\" needs 12 bytes with its terminator; 11 must be refused.
    EXPECT_TRUE(FAILED(PathFromIdList(idList, path, 11)));
    EXPECT_EQ('\0', path[0]);
    EXPECT_EQ('x', path[11]);
    EXPECT_TRUE(SUCCEEDED(PathFromIdList(idList, path, 12)));
    EXPECT_STREQ("C:\\windows\\", path);
    CoTaskMemFree(idList);
}

struct SpecialFolderCase
{
    int csidl;
    const char* name;
};

class SpecialFolderTest : public ::testing::TestWithParam<SpecialFolderCase>
{
};

TEST_P(SpecialFolderTest, EndsInOneBackslashAndExists)
{
    char path[kShellPathSize];
    ASSERT_TRUE(SUCCEEDED(GetSpecialFolderPath(GetParam().csidl, path, sizeof path)));
    size_t length = strlen(path);
    ASSERT_GT(length, 3u);
    EXPECT_EQ('\\', path[length - 1]);
    EXPECT_NE('\\', path[length - 2]);
    DWORD attributes = GetFileAttributesA(path);
    ASSERT_NE(INVALID_FILE_ATTRIBUTES, attributes) << path;
    EXPECT_TRUE(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

INSTANTIATE_TEST_SUITE_P(Folders, SpecialFolderTest,
                         ::testing::Values(SpecialFolderCase{CSIDL_PROGRAMS, "programs"},
                                           SpecialFolderCase{CSIDL_DESKTOPDIRECTORY, "desktop"}),
                         [](const ::testing::TestParamInfo<SpecialFolderCase>& info)
                         { return std::string(info.param.name); });

TEST(SpecialFolderPath, LeavesThePathUntouchedOnFailure)
{
    char path[kShellPathSize] = "unchanged";
    EXPECT_TRUE(FAILED(GetSpecialFolderPath(0x7F, path, sizeof path)));
    EXPECT_STREQ("unchanged", path);
}

// What a shortcut file holds, read back through the link object.
struct LinkContents
{
    HRESULT loaded;
    std::string target;
    std::string workingDirectory;
    std::string iconPath;
    int iconIndex;
    std::string arguments;
    std::string description;
};

LinkContents ReadLink(const std::string& linkPath)
{
    LinkContents contents = {E_FAIL, "", "", "", -1, "", ""};
    IShellLinkA* link = NULL;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, NULL, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                (void**)&link)))
        return contents;
    IPersistFile* file = NULL;
    if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, (void**)&file)))
    {
        WCHAR wide[MAX_PATH];
        MultiByteToWideChar(CP_ACP, 0, linkPath.c_str(), -1, wide, MAX_PATH);
        contents.loaded = file->Load(wide, STGM_READ);
        char text[MAX_PATH];
        if (SUCCEEDED(link->GetPath(text, MAX_PATH, NULL, 0)))
            contents.target = text;
        if (SUCCEEDED(link->GetWorkingDirectory(text, MAX_PATH)))
            contents.workingDirectory = text;
        if (SUCCEEDED(link->GetIconLocation(text, MAX_PATH, &contents.iconIndex)))
            contents.iconPath = text;
        if (SUCCEEDED(link->GetArguments(text, MAX_PATH)))
            contents.arguments = text;
        if (SUCCEEDED(link->GetDescription(text, MAX_PATH)))
            contents.description = text;
        file->Release();
    }
    link->Release();
    return contents;
}

typedef ComTest CreateShortcutTest;

TEST_F(CreateShortcutTest, AppliesOnlyTheFieldsItsMaskSelects)
{
    std::string game = Path("game.exe");
    std::string readme = Path("Readme.txt");
    WriteText(game, "MZ");
    WriteText(readme, "hello");
    struct Case
    {
        const char* file;
        unsigned mask;
        const std::string& target;
        const char* workingDirectory; // expected
        const char* iconPath;         // expected, empty when unset
    } cases[] = {
        {"plain.lnk", 0, readme, "", ""},
        {"help.lnk", SHORTCUT_WORKDIR, readme, "C:\\windows", ""},
        {"game.lnk", SHORTCUT_ICON | SHORTCUT_WORKDIR, game, "C:\\windows", game.c_str()},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.file);
        ShortcutInfo info = {};
        info.target = c.target.c_str();
        info.mask = c.mask;
        // Fields whose bit is clear carry values that must not be applied.
        info.description = "not applied";
        info.arguments = "/not-applied";
        info.iconPath = c.mask & SHORTCUT_ICON ? game.c_str() : "C:\\not\\applied.ico";
        info.iconIndex = 0;
        info.workingDirectory = c.mask & SHORTCUT_WORKDIR ? "C:\\windows" : "C:\\not-applied";
        std::string linkPath = Path(c.file);
        ASSERT_EQ(S_OK, CreateShortcut(linkPath.c_str(), &info));
        LinkContents contents = ReadLink(linkPath);
        ASSERT_EQ(S_OK, contents.loaded);
        EXPECT_STRCASEEQ(c.target.c_str(), contents.target.c_str());
        EXPECT_STRCASEEQ(c.workingDirectory, contents.workingDirectory.c_str());
        EXPECT_STRCASEEQ(c.iconPath, contents.iconPath.c_str());
        if (c.mask & SHORTCUT_ICON)
        {
            EXPECT_EQ(0, contents.iconIndex);
        }
        EXPECT_EQ("", contents.arguments);
        EXPECT_EQ("", contents.description);
    }
}

TEST_F(CreateShortcutTest, KeepsAPifNameAsGiven)
{
    std::string target = Path("uninst.bat");
    WriteText(target, "@echo off\r\n");
    ShortcutInfo info = {};
    info.target = target.c_str();
    info.mask = SHORTCUT_WORKDIR;
    info.workingDirectory = scratch.c_str();
    std::string linkPath = Path("Tremlok Uninstall.pif");
    ASSERT_EQ(S_OK, CreateShortcut(linkPath.c_str(), &info));
    EXPECT_TRUE(Exists(linkPath));
    EXPECT_FALSE(Exists(linkPath + ".lnk"));
    EXPECT_EQ(S_OK, ReadLink(linkPath).loaded);
}

// A link path of exactly length characters inside the scratch folder.
std::string LinkPathOfLength(const std::string& folder, size_t length)
{
    std::string path = folder + "\\";
    path += std::string(length - path.size() - 4, 'a');
    return path + ".lnk";
}

TEST_F(CreateShortcutTest, TakesA259CharacterPathAndRefusesA260CharacterOne)
{
    std::string target = Path("game.exe");
    WriteText(target, "MZ");
    ShortcutInfo info = {};
    info.target = target.c_str();
    for (size_t length : {259u, 260u, 300u})
    {
        SCOPED_TRACE(length);
        std::string linkPath = LinkPathOfLength(scratch, length);
        ASSERT_EQ(length, linkPath.size());
        HRESULT result = CreateShortcut(linkPath.c_str(), &info);
        if (length <= (size_t)kMaxLinkPathLength)
        {
            EXPECT_EQ(S_OK, result);
            EXPECT_EQ(S_OK, ReadLink(linkPath).loaded);
        }
        else
        {
            EXPECT_TRUE(FAILED(result));
            // Nor was a shorter, cut name written in its place.
            EXPECT_FALSE(Exists(linkPath.substr(0, 259)));
        }
    }
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(scratch))
        files += entry.path().extension() == ".lnk" ? 1 : 0;
    EXPECT_EQ(1, files);
}

TEST_F(CreateShortcutTest, FailsWithoutWritingWhenTheFolderIsMissing)
{
    ShortcutInfo info = {};
    info.target = "C:\\windows\\notepad.exe";
    std::string linkPath = Path("missing\\Tremlok.lnk");
    EXPECT_TRUE(FAILED(CreateShortcut(linkPath.c_str(), &info)));
    EXPECT_FALSE(Exists(Path("missing")));
}

} // namespace
