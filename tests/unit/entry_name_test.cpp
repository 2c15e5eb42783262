// The entry-name check is the only thing between a crafted archive and a
// file written outside the install folder.
#include "datafile/entry_name.h"

#include <gtest/gtest.h>

namespace
{

struct NameCase
{
    const char* label;
    const char* name;
    bool safe;
};

const NameCase kNameCases[] = {
    {"plain file", "\\tremlok.exe", true},
    {"nested file", "\\Audio\\pop.wav", true},
    {"deep file", "\\Bitmap\\Water\\ocean.bmp", true},
    {"dot file", "\\.config", true},
    {"no extension", "\\README", true},
    {"inner dots", "\\a..b", true},
    {"spaces inside", "\\Program Files\\a b.txt", true},
    {"device prefix only", "\\CONFIG.SYS", true},
    {"device with letter", "\\COMA", true},
    {"COM0 is no device", "\\COM0", true},
    {"high byte", "\\caf\xe9.txt", true},
    {"empty", "", false},
    {"no leading backslash", "a.txt", false},
    {"backslash only", "\\", false},
    {"parent", "\\..\\x", false},
    {"parent after climb", "\\a\\..\\..\\x", false},
    {"current", "\\.\\x", false},
    {"drive", "\\C:x", false},
    {"stream", "\\a:b", false},
    {"slash", "\\a/b", false},
    {"slash parent", "\\a/../../x", false},
    {"doubled backslash", "\\a\\\\b", false},
    {"trailing backslash", "\\a\\", false},
    {"device", "\\CON", false},
    {"device lower case", "\\con", false},
    {"device with extension", "\\a\\NUL.txt", false},
    {"device with spaces", "\\aux .txt", false},
    {"numbered device", "\\LPT9", false},
    {"superscript device", "\\COM\xb9", false},
    {"printer", "\\Prn.log", false},
    {"trailing dot", "\\a.", false},
    {"trailing space", "\\a ", false},
    {"folder trailing dot", "\\a.\\b", false},
    {"control character", "\\a\tb", false},
    {"less than", "\\a<b", false},
    {"greater than", "\\a>b", false},
    {"quote", "\\a\"b", false},
    {"pipe", "\\a|b", false},
    {"question mark", "\\a?b", false},
    {"star", "\\*.txt", false},
};

TEST(EntryNameTest, Table)
{
    for (const NameCase& c : kNameCases)
        EXPECT_EQ(IsSafeEntryName(c.name), c.safe) << c.label;
}

} // namespace
