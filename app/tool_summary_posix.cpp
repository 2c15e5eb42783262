// The Linux tool's closing line after -m and -e, from the builder's and the
// extraction's totals.
#include "app/tool_summary.h"

#include "datafile/builder.h"
#include "datafile/extract_state.h"

#include <stdio.h>

bool ToolSummary(CommandAction action, char* out, size_t size)
{
    int length = -1;
    if (action == kActionMake)
    {
        // data.bin for an empty tree has 5 bytes against 0: no ratio.
        double ratio = gBuildBytesIn ? 100.0 * (double)gBuildBytesOut / (double)gBuildBytesIn : 0;
        length =
            snprintf(out, size, "%u files, %llu bytes in, %llu bytes out (%.1f%%): data.bin%s\n",
                     (unsigned)gBuildFiles, (unsigned long long)gBuildBytesIn,
                     (unsigned long long)gBuildBytesOut, ratio, gBuildDataCpp ? ", data.cpp" : "");
    }
    else if (action == kActionExtract)
        length = snprintf(out, size, "%u files, %llu bytes: %s\n", (unsigned)gExtractFiles,
                          (unsigned long long)gExtractBytes, gFolderArg);
    return length >= 0 && (size_t)length < size;
}
