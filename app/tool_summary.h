// The Linux tool's closing line on standard output.
#ifndef TREMLOK_APP_TOOL_SUMMARY_H
#define TREMLOK_APP_TOOL_SUMMARY_H

#include "app/command_line.h"

#include <stddef.h>

// Writes the summary of the last successful kActionMake or kActionExtract
// run into out (size bytes), line end included: files, bytes in and out,
// the ratio and the two files written; or files, bytes and the folder.
// Returns false for any other action or when it does not fit.
bool ToolSummary(CommandAction action, char* out, size_t size);

#endif
