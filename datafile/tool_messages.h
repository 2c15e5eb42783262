// What the tool modes say in more than one place, each stated once: the
// failures they report about a file, its path first, and the progress line.
#ifndef TREMLOK_DATAFILE_TOOL_MESSAGES_H
#define TREMLOK_DATAFILE_TOOL_MESSAGES_H

#include <stdint.h>

inline constexpr char kCannotBeCreated[] = "%s: cannot be created";
inline constexpr char kCannotBeRead[] = "%s: cannot be read";
inline constexpr char kCannotBeWritten[] = "%s: cannot be written";
inline constexpr char kTooShortForDataFile[] = "%s: too short to be a data file (%u bytes)";
inline constexpr char kTooLargeToEmbed[] = "%s: 2 GiB or larger, too large to embed";

// "setup: N files, M MB" on the progress line, when one is due.
void ShowFilesProgress(uint32_t files, uint64_t bytes);

#endif
