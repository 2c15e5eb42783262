// The text helpers that stand in for the C library's formatted output: they
// must give exactly what snprintf gives, and never a cut text.
#include "platform/text.h"
#include "platform/text_output.h"

#include <gtest/gtest.h>

#include <limits.h>
#include <stdarg.h>
#include <stdio.h>
#include <string.h>
#include <string>

namespace
{

TEST(JoinText, FitsExactlyOrLeavesNothing)
{
    struct Case
    {
        const char* label;
        size_t size;
        bool fits;
        const char* text;
    };
    const Case cases[] = {
        {"room to spare", 32, true, "C:\\Games\\Tremlok"},
        {"exactly the terminator's room", 17, true, "C:\\Games\\Tremlok"},
        {"one byte short", 16, false, ""},
        {"no room at all", 1, false, ""},
    };
    for (const Case& c : cases)
    {
        char out[64];
        memset(out, 'x', sizeof out);
        EXPECT_EQ(JoinText(out, c.size, "C:\\", "Games\\", "", "Tremlok", nullptr), c.fits)
            << c.label;
        EXPECT_STREQ(out, c.text) << c.label;
    }
    char untouched = 'x';
    EXPECT_FALSE(JoinText(&untouched, 0, "a", nullptr));
    EXPECT_EQ(untouched, 'x');
}

TEST(NumberText, MatchesPrintf)
{
    const uint32_t values[] = {0,   1,    9,           10,          15,          16,
                               255, 4096, 0x7fffffffu, 0x80000000u, 0xfffffffeu, 0xffffffffu};
    for (uint32_t value : values)
    {
        char ours[kNumberTextSize];
        char theirs[32];
        snprintf(theirs, sizeof theirs, "%u", (unsigned)value);
        EXPECT_EQ(UnsignedText(ours, value, 10), (int)strlen(theirs));
        EXPECT_STREQ(ours, theirs);
        snprintf(theirs, sizeof theirs, "%x", (unsigned)value);
        EXPECT_EQ(UnsignedText(ours, value, 16), (int)strlen(theirs));
        EXPECT_STREQ(ours, theirs);
        snprintf(theirs, sizeof theirs, "%d", (int)value);
        EXPECT_EQ(SignedText(ours, (int32_t)value), (int)strlen(theirs));
        EXPECT_STREQ(ours, theirs);
    }
}

// A sink into a string that can be told to refuse from its nth call on.
struct Collected
{
    std::string text;
    int calls;
    int refuseFrom;
};

int CollectingSink(void* target, const char* text, uint32_t length)
{
    Collected* collected = (Collected*)target;
    if (++collected->calls >= collected->refuseFrom)
        return -1;
    collected->text.append(text, length);
    return 0;
}

TEST(TextOutput, EveryByteArrivesInOrderAcrossTheBuffer)
{
    std::string expected;
    Collected collected = {"", 0, INT_MAX};
    TextOutput out;
    BeginTextOutput(&out, CollectingSink, &collected);
    // Pieces of every length up to past the buffer, so that they straddle
    // its end at every offset.
    for (int length = 0; length <= kTextOutputBufferSize + 3; length += 7)
    {
        std::string piece(length, (char)('a' + length % 26));
        PutBytes(&out, piece.data(), piece.size());
        PutNumber(&out, (uint32_t)length, 16);
        expected += piece;
        char hex[16];
        snprintf(hex, sizeof hex, "%x", (unsigned)length);
        expected += hex;
    }
    EXPECT_EQ(FinishTextOutput(&out), 0);
    EXPECT_TRUE(collected.text == expected);
    EXPECT_GT(collected.calls, 1);
}

TEST(TextOutput, ARefusedWriteIsReportedAndNothingFollowsIt)
{
    Collected collected = {"", 0, 2};
    TextOutput out;
    BeginTextOutput(&out, CollectingSink, &collected);
    std::string block(kTextOutputBufferSize, 'b');
    for (int i = 0; i < 4; ++i)
        PutBytes(&out, block.data(), block.size());
    EXPECT_EQ(FinishTextOutput(&out), -1);
    EXPECT_EQ(collected.calls, 2);
    EXPECT_EQ(collected.text, block);
}

std::string Formatted(const char* format, ...)
{
    Collected collected = {"", 0, INT_MAX};
    TextOutput out;
    BeginTextOutput(&out, CollectingSink, &collected);
    va_list arguments;
    va_start(arguments, format);
    PutFormatted(&out, format, arguments);
    va_end(arguments);
    FinishTextOutput(&out);
    return collected.text;
}

std::string Printed(const char* format, ...)
{
    char text[4096];
    va_list arguments;
    va_start(arguments, format);
    vsnprintf(text, sizeof text, format, arguments);
    va_end(arguments);
    return text;
}

// The forms the tool modes' reports use, each against the C library.
TEST(PutFormatted, MatchesPrintfForTheFormsReportsUse)
{
    std::string longPath(3000, 'p');
    EXPECT_EQ(Formatted("%s: %s at %s", "data.bin", "data file damaged", "C:\\x\\a.txt"),
              Printed("%s: %s at %s", "data.bin", "data file damaged", "C:\\x\\a.txt"));
    EXPECT_EQ(Formatted("%s%c%s: cannot be read", "C:\\src", '\\', "a.txt"),
              Printed("%s%c%s: cannot be read", "C:\\src", '\\', "a.txt"));
    EXPECT_EQ(Formatted("longer than %d characters", 510),
              Printed("longer than %d characters", 510));
    EXPECT_EQ(Formatted("%d %d %u %x", -7, INT_MIN, 4000000000u, 0xbeefu),
              Printed("%d %d %u %x", -7, INT_MIN, 4000000000u, 0xbeefu));
    EXPECT_EQ(Formatted("name holds '\\' or 100%% of %s", "it"),
              Printed("name holds '\\' or 100%% of %s", "it"));
    EXPECT_EQ(Formatted("%s: too short (%u bytes)", longPath.c_str(), 2u),
              Printed("%s: too short (%u bytes)", longPath.c_str(), 2u));
    EXPECT_EQ(Formatted(""), "");
}

} // namespace
