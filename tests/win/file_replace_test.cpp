// Putting a finished temporary in its file's place, with MoveFileExA and by
// the plain move that Windows 95, 98 and Me fall back to.
#include "platform/platform.h"

#include "tests/unit/scratch_folder.h"

namespace
{

typedef ScratchTest FileReplaceTest;

// source, target before, result, target after. A longer file in the way is
// replaced whole; a missing source leaves the target as it was.
TEST_F(FileReplaceTest, PutsTheSourceInPlaceOrLeavesTheTarget)
{
    for (auto replace : {FileReplace, FileReplaceByMove})
        for (auto [source, target, result, after] :
             std::vector<std::tuple<std::string, std::string, int, std::string>>{
                 {"new", "", 0, "new"},
                 {"new", "old and longer", 0, "new"},
                 {"", "old", -1, "old"}})
        {
            ASSERT_TRUE(source.empty() || WriteFile("tremlok~0", source));
            ASSERT_TRUE(target.empty() || WriteFile("game.dat", target));
            EXPECT_EQ(result, replace("tremlok~0", "game.dat")) << source << " over " << target;
            EXPECT_EQ(after, ReadFile("game.dat"));
            EXPECT_EQ("<missing>", ReadFile("tremlok~0"));
            FileRemove("game.dat");
        }
}

} // namespace
