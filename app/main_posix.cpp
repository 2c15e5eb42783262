// The Linux build is the packager's tool only: the install run needs
// Windows (or Wine).
#include "app/command_line.h"
#include "app/help_text.h"
#include "app/program_signing.h"
#include "app/replaced_files.h"
#include "app/run_action.h"
#include "app/tool_summary.h"
#include "datafile/builder.h"
#include "inspect/data_file_source.h"
#include "inspect/data_file_scan.h"
#include "inspect/program_file.h"
#include "platform/code_page.h"
#include "platform/platform.h"

#include <stdio.h>
#ifdef __GLIBC__
#include <malloc.h>
#endif

int main(int argc, char** argv)
{
    // Each file of /m and /e gets buffers of its own size, freed before the
    // next. Kept in the heap instead of mapped and unmapped each time, they
    // are reused without faulting their pages in again, which costs a
    // virtual machine a third of the tool's system time. One arena for
    // every thread: a coder thread's arena keeps its freed top, which
    // malloc_trim cannot give back before the programs are written.
#ifdef __GLIBC__
    mallopt(M_MMAP_THRESHOLD, 32 << 20);
    mallopt(M_TRIM_THRESHOLD, 256 << 20);
    mallopt(M_ARENA_MAX, 1);
#endif
    CommandAction action = ScanArguments(argc, argv);
    if (action == kActionHelp || action == kActionInstall)
    {
        fputs(kHelpText, stdout);
        fputs(" -e DIR [FILE]  Extract data.bin, or FILE, to folder DIR\n"
              " --list [FILE]  List data.bin, or FILE: size, method, coded size, name\n"
              " --test [FILE]  Decode every entry of data.bin, or FILE, writing nothing\n"
              " --exe OUT.exe [--x64] [FILE]\n"
              "                Write the finished program OUT.exe carrying data.bin, or FILE:\n"
              "                the shipped 32-bit one, or with --x64 the 64-bit one\n"
              " --exe-x64 X.exe\n"
              "                Write the 64-bit program X.exe too, or alone, from the same file\n"
              " -m DIR --exe OUT.exe [--exe-x64 X.exe]\n"
              "                Make data.bin from DIR, then write the programs from it; each\n"
              "                is read back and compared with data.bin before it is put in\n"
              "                place. No data.cpp: that is for compiling the program yourself\n"
              " --sign CERT.pfx [--timestamp URL]\n"
              "                Sign the programs written (Authenticode, through osslsigncode;\n"
              "                the password in TREMLOK_SIGN_PASS), then read them back again\n"
              " -q             No summary line after /m, /e or --exe\n"
              " --codepage N   Names in data files are in Windows code page N: 1252 (the\n"
              "                default), 1250-1258 or 874; file names here are UTF-8\n"
              "FILE is a data.bin or a Setup.exe built from one (32- or 64-bit, signed or not).\n"
              "From a game folder to both programs, checked and signed, in one command:\n"
              "  tremlok-setup -m GAME --exe Setup.exe --exe-x64 x64/Setup.exe --sign CERT.pfx\n",
              stdout);
        if (action == kActionInstall)
            fputs("\nThis build packages and extracts only; install on Windows.\n", stdout);
        return action == kActionHelp ? 0 : 1;
    }
    if (!SelectCodePage(gCodePageArg))
    {
        ReportError("--codepage takes 874 or 1250 to 1258");
        return 2;
    }
    if (action == kActionProgramRefused)
    {
        ReportError("--exe and --exe-x64 name the programs to write, alone with FILE or after "
                    "-m DIR; each path shorter than %d characters, and --x64 only without "
                    "--exe-x64; --sign signs them, and --timestamp needs --sign",
                    kFolderArgSize);
        return 2;
    }
    if (action == kActionList || action == kActionTest)
        return ScanDataFile(gFolderArg, action == kActionList);
    ProgramRequest programs[kMostPrograms];
    int count = 0;
    if (gProgramArg[0])
        programs[count++] = {gProgramArg, gProgramX64, 0};
    if (gProgramX64Arg[0])
        programs[count++] = {gProgramX64Arg, true, 0};
    // The programs are written from data.bin: data.cpp is for the route
    // that compiles one.
    gBuildDataCpp = count == 0;
    const bool make = action == kActionMake;
    const char* replaced[] = {make ? kBuildOutputs[0] : nullptr, make ? kBuildOutputs[1] : nullptr,
                              gProgramArg, gProgramX64Arg};
    Thread* forgetting =
        make || action == kActionProgram ? ForgetReplacedFiles(replaced, 4) : nullptr;
    int result = action == kActionExtract   ? ExtractDataFileSource(gFolderArg, gDataFileArg)
                 : action == kActionProgram ? 0
                                            : RunToolAction(action);
    if (forgetting)
        ThreadJoin(forgetting);
    char summary[kFolderArgSize + 128];
    if (result == 0 && !gQuiet && ToolSummary(action, summary, sizeof summary))
        fputs(summary, stdout);
    if (result != 0 || count == 0 || (action != kActionMake && action != kActionProgram))
        return result;
#ifdef __GLIBC__
    // What the build freed is not needed again: the programs are laid around
    // the pages of data.bin that the page cache holds.
    malloc_trim(0);
#endif
    result = WriteProgramFiles(programs, count, gDataFileArg);
    if (result == 0 && gSignArg[0])
        result = SignProgramFiles(programs, count, gSignArg, gTimestampArg, gDataFileArg);
    for (int i = 0; result == 0 && !gQuiet && i < count; ++i)
        printf("%s: %u bytes, %s, carrying %s, %sread back whole\n", programs[i].path,
               (unsigned)programs[i].written, programs[i].x64 ? "x64" : "i686", gDataFileArg,
               gSignArg[0] ? "signed and " : "");
    return result;
}
