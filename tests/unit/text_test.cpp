// Text output, as far as the exact data.cpp texts leave it untried: a sink
// that refuses fails the output. (Joined texts that do not fit: the
// Notepad command line and install path tests.)
#include "platform/text_output.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace
{

// Records every call; takes the first block and refuses the rest.
int TakeOne(void* target, const char* text, uint32_t length)
{
    std::vector<std::string>* calls = (std::vector<std::string>*)target;
    calls->push_back(std::string(text, length));
    return calls->size() == 1 ? 0 : -1;
}

// Nothing more is handed to a sink once it refused, and the whole output
// fails: data.cpp and uninst.bat are then removed, not left cut.
TEST(TextTest, ARefusedWriteFailsTheOutput)
{
    std::vector<std::string> calls;
    TextOutput out;
    BeginTextOutput(&out, TakeOne, &calls);
    const std::string block(kTextOutputBufferSize, 'b');
    for (int i = 0; i < 4; ++i)
        PutBytes(&out, block.data(), block.size());
    EXPECT_EQ(FinishTextOutput(&out), -1);
    EXPECT_EQ(calls, std::vector<std::string>(2, block));
}

} // namespace
