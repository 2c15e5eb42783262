// The failures that the tool modes report about a file, its path first, in
// more than one place: each stated once.
#ifndef TREMLOK_DATAFILE_TOOL_MESSAGES_H
#define TREMLOK_DATAFILE_TOOL_MESSAGES_H

// Pointers to literals, not arrays: the literals merge with their like
// and take no alignment, bytes the 32-bit program does not have.
constexpr const char* kCannotBeCreated = "%s: cannot be created";
constexpr const char* kCannotBeRead = "%s: cannot be read";
constexpr const char* kCannotBeWritten = "%s: cannot be written";
constexpr const char* kTooShortForDataFile = "%s: too short to be a data file (%u bytes)";
constexpr const char* kTooLargeToEmbed = "%s: 2 GiB or larger, too large to embed";

#endif
