// The tool modes' error reports on Windows go straight to the standard
// error handle, in the bytes the C runtime's text-mode stderr wrote.
#include "platform/platform.h"

#include "tests/unit/scratch_folder.h"

#include <gtest/gtest.h>
#include <string>
#include <windows.h>

namespace
{

struct ReportErrorTest : ScratchTest
{
    HANDLE saved = NULL;
    void SetUp() override
    {
        ScratchTest::SetUp();
        saved = GetStdHandle(STD_ERROR_HANDLE);
    }
    void TearDown() override
    {
        SetStdHandle(STD_ERROR_HANDLE, saved);
        ScratchTest::TearDown();
    }

    // What one report writes, with standard error sent to a file.
    std::string Captured(const std::string& path)
    {
        HANDLE file = CreateFileA("stderr.txt", GENERIC_WRITE, 0, NULL, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, NULL);
        EXPECT_NE(file, INVALID_HANDLE_VALUE);
        SetStdHandle(STD_ERROR_HANDLE, file);
        ReportError("%s%c%s: path longer than %d characters", path.c_str(), '\\', "a.txt", 511);
        SetStdHandle(STD_ERROR_HANDLE, saved);
        CloseHandle(file);
        return ReadText("stderr.txt");
    }
};

TEST_F(ReportErrorTest, WritesTheWholeMessageWithCrLf)
{
    EXPECT_EQ(Captured("C:\\src"), "setup: C:\\src\\a.txt: path longer than 511 characters\r\n");
    // Longer than the output buffer and than wvsprintfA's 1,024 characters.
    std::string longPath = "C:\\" + std::string(5000, 'd');
    EXPECT_EQ(Captured(longPath),
              "setup: " + longPath + "\\a.txt: path longer than 511 characters\r\n");
}

} // namespace
