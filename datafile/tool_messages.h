// What the tool modes say in more than one place, each stated once: the
// failures they report about a file, its path first, and the progress line.
#ifndef TREMLOK_DATAFILE_TOOL_MESSAGES_H
#define TREMLOK_DATAFILE_TOOL_MESSAGES_H

#include <stdint.h>

const char kCannotBeCreated[] = "%s: cannot be created";
const char kCannotBeRead[] = "%s: cannot be read";
const char kCannotBeWritten[] = "%s: cannot be written";
const char kTooShortForDataFile[] = "%s: too short to be a data file (%u bytes)";
const char kTooLargeToEmbed[] = "%s: 2 GiB or larger, too large to embed";

// "setup: N files, M MB" on the progress line, when one is due.
void ShowFilesProgress(uint32_t files, uint64_t bytes);

#endif
