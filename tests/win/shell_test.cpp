// The shell layer where an install does not reach it: short buffers, an
// unknown special folder, a shortcut's mask and length limit.
#include "wizard/shell_path.h"
#include "wizard/shortcut.h"

#include "tests/unit/scratch_folder.h"
#include "tests/win/read_link.h"

namespace
{

// What PathFromIdList makes of folder in size bytes, "" when it refuses.
std::string PathOf(const char* folder, size_t size)
{
    LPITEMIDLIST idList = ILCreateFromPathA(folder);
    if (idList == NULL)
        return "<no id list>";
    char path[kShellPathSize];
    memset(path, 'x', sizeof path);
    HRESULT result = PathFromIdList(idList, path, size);
    ILFree(idList);
    EXPECT_EQ(SUCCEEDED(result), path[0] != 0) << folder;
    EXPECT_EQ('x', path[size]) << "written past " << size << " bytes";
    return path;
}

// A short buffer is refused and an unknown folder left untouched; so is a
// name the ANSI code page cannot hold (outside code page 932), never turned
// into the "?" wildcards of uninst.bat.
TEST(ShellPath, RefusesWhatItCannotHold)
{
    // "C:\windows\" and its terminator need 12 bytes.
    EXPECT_EQ("C:\\windows\\", PathOf("C:\\windows", 12));
    EXPECT_EQ("", PathOf("C:\\windows", 11));
    char untouched[kShellPathSize] = "unchanged";
    EXPECT_TRUE(FAILED(GetSpecialFolderPath(0x7F, untouched, sizeof untouched)));
    EXPECT_STREQ("unchanged", untouched);
    if (GetACP() == 932)
        return;
    const wchar_t* folder = L"C:\\\x30bd\x30d5\x30c8";
    CreateDirectoryW(folder, NULL);
    LPITEMIDLIST idList = ILCreateFromPathW(folder);
    char path[kShellPathSize];
    EXPECT_EQ(kNameNotInCodePage, PathFromIdList(idList, path, sizeof path));
    EXPECT_STREQ("", path);
    ILFree(idList);
    RemoveDirectoryW(folder);
}

typedef ScratchTest ShortcutTest;

// Fields whose mask bit is clear are not applied; a path past the limit, or
// in a missing folder, writes nothing (no cut name, no ".pif.lnk").
TEST_F(ShortcutTest, HoldsWhatItsMaskSelectsUnderTheNameGiven)
{
    const std::string game = Path("game.exe");
    ASSERT_TRUE(WriteFile(game, std::string("MZ")));
    // A link path of exactly n characters in the scratch folder.
    auto ofLength = [&](size_t n) { return std::string(n - scratch.size() - 5, 'a') + ".lnk"; };
    // name, mask, the icon read back or "-" when refused
    const std::tuple<std::string, unsigned, std::string> cases[] = {
        {"Tremlok Uninstall.pif", SHORTCUT_WORKDIR, ",0"},
        {ofLength(kMaxLinkPathLength), SHORTCUT_ICON | SHORTCUT_WORKDIR, game + ",0"},
        {ofLength(kMaxLinkPathLength + 1), SHORTCUT_WORKDIR, "-"},
        {"missing\\game.lnk", SHORTCUT_WORKDIR, "-"},
    };
    for (const auto& [name, mask, icon] : cases)
    {
        const std::string linkPath = Path(name);
        ShortcutInfo info = {};
        info.target = info.iconPath = game.c_str();
        info.mask = mask;
        info.description = info.arguments = "not applied";
        info.workingDirectory = "C:\\windows";
        EXPECT_EQ(icon != "-", SUCCEEDED(CreateShortcut(linkPath.c_str(), &info)))
            << linkPath.size();
        char text[6 * MAX_PATH + 64] = "";
        ReadLinkText(linkPath.c_str(), text, sizeof text);
        const std::string read = "target=" + game + "\nworkdir=C:\\windows\nicon=" + icon +
                                 "\narguments=\ndescription=\n";
        EXPECT_STRCASEEQ(icon == "-" ? "" : read.c_str(), text) << linkPath.size();
    }
    EXPECT_EQ(3u, TreeOf(scratch).size()); // game.exe and the two shortcuts made
}

} // namespace
