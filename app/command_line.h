// The command line: which of the four actions a start asks for.
#ifndef TREMLOK_APP_COMMAND_LINE_H
#define TREMLOK_APP_COMMAND_LINE_H

enum CommandAction
{
    kActionInstall,       // no recognised switch
    kActionMake,          // /m<folder>: gFolderArg holds the folder
    kActionExtract,       // /e<folder>: gFolderArg holds the folder
    kActionHelp,          // /?
    kActionRefused,       // a tool switch whose folder is empty or too long
    kActionList,          // --list [FILE], POSIX only: gFolderArg holds the data file
    kActionTest,          // --test [FILE], POSIX only: likewise
    kActionProgram,       // --exe PROGRAM [FILE], POSIX only: gProgramArg from gDataFileArg
    kActionProgramRefused // --exe or --exe-x64 without its program, with one too long, with
                          // -e, --list or --test, or asking for the x64 one twice
};

// Token and folder buffers, terminator included. Large enough for any
// folder whose files still fit the builder's 511-character paths; a longer
// tool argument is refused, never cut into a different path.
const int kTokenSize = 512;
const int kFolderArgSize = 512;

// The folder argument of /m or /e, owned by command_line.cpp.
extern char gFolderArg[kFolderArgSize];

// The data file that "-e DIR FILE" extracts on POSIX: FILE, a data.bin or a
// program built by this project, or "data.bin" without it; set by
// ScanArguments. Owned by command_line.cpp.
extern char gDataFileArg[kFolderArgSize];

// Set by "-q" on a POSIX command line: no summary on standard output.
extern bool gQuiet;

// The N of "--codepage N" on a POSIX command line, kDefaultCodePage without
// one, 0 when N is not a number. Owned by command_line.cpp.
extern unsigned gCodePageArg;

// The program that "--exe PROGRAM" asks to write on POSIX, alone or after
// -m, and whether "--x64" asks for the 64-bit one; "" without --exe. Beside
// it or alone, "--exe-x64 PROGRAM" asks for the 64-bit one in
// gProgramX64Arg, from the same data file. Owned by command_line.cpp.
extern char gProgramArg[kFolderArgSize];
extern bool gProgramX64;
extern char gProgramX64Arg[kFolderArgSize];

// "--sign CERT.pfx" and "--timestamp URL": the programs written are signed
// with that certificate, stamped by that server; "" without them. Owned by
// command_line.cpp.
extern char gSignArg[kFolderArgSize];
extern char gTimestampArg[kFolderArgSize];

// Scans the argument part of a Windows command line: tokens split at
// spaces and control characters, letters A to Z lowered, the switch
// characters '/' and '-' dropped before the switch letter (inside the
// folder they are kept: they are part of the path). The first token that
// matches decides; tokens that match nothing are ignored.
CommandAction ScanCommandLine(const char* arguments);

// Reads a POSIX argument vector the way Linux users expect: -m DIR, -mDIR
// and /mDIR; the folder is kept exactly as the shell gave it. --list and
// --test take the next argument, or data.bin without one, as their file;
// -e takes the argument after its folder, when there is one, into
// gDataFileArg. "--exe PROGRAM", "--exe-x64 PROGRAM", "--codepage N",
// "--x64" and "-q" may stand anywhere but in a folder's place; a program to
// write with no action takes the first other argument, or data.bin without
// one, into gDataFileArg.
CommandAction ScanArguments(int argc, const char* const* argv);

#endif
