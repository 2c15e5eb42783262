// The command line: which of the four actions a start asks for.
#ifndef TREMLOK_APP_COMMAND_LINE_H
#define TREMLOK_APP_COMMAND_LINE_H

enum CommandAction
{
    kActionInstall, // no recognised switch
    kActionMake,    // /m<folder>: gFolderArg holds the folder
    kActionExtract, // /e<folder>: gFolderArg holds the folder
    kActionHelp,    // /?
    kActionRefused  // a tool switch whose folder is empty or too long
};

// Token buffer, terminator included. Larger than the 32 bytes a short
// switch needs so that folder arguments up to 126 characters fit; a longer
// token is refused, never cut into a different path.
const int kTokenSize = 128;
const int kFolderArgSize = 128;

// The folder argument of /m or /e, owned by command_line.cpp.
extern char gFolderArg[kFolderArgSize];

// Scans the argument part of a Windows command line: tokens split at
// spaces and control characters, letters lowered, switch characters '/'
// and '-' dropped before the switch letter. The first token that matches
// decides.
CommandAction ScanCommandLine(const char* arguments);

// Reads a POSIX argument vector the way Linux users expect: -m DIR, -mDIR
// and /mDIR; the folder is kept exactly as the shell gave it.
CommandAction ScanArguments(int argc, const char* const* argv);

#endif
