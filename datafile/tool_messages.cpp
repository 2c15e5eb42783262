// The tool modes' progress line, shared by -m and -e.
#include "datafile/tool_messages.h"

#include "platform/platform.h"
#include "platform/text.h"

void ShowFilesProgress(uint32_t files, uint64_t bytes)
{
    if (!ProgressDue())
        return;
    char count[kNumberTextSize], megabytes[kNumberTextSize], line[64];
    UnsignedText(count, files, 10);
    UnsignedText(megabytes, (uint32_t)(bytes >> 20), 10);
    if (JoinText(line, sizeof line, "setup: ", count, " files, ", megabytes, " MB", nullptr))
        ShowProgress(line);
}
