// A console program that drives another program's windows the way a user
// would, for the end-to-end tests under Wine. Several subcommands may be
// chained with "--" so that they run back to back in one process, without
// the start-up time of a new Wine process between them:
//
//   e2e_driver click "Install Tremlok 0.63" 1036 -- watch-progress ...
//
// The chain stops at the first subcommand that does not return 0, and the
// program exits with its code.
#include <fcntl.h>
#include <io.h>
#include <stdio.h>
#include <string.h>

#include "tests/e2e/driver_commands.h"

struct DriverCommand
{
    const char* name;
    int (*run)(int argc, char** argv);
};

static const DriverCommand kCommands[] = {
    {"list", CommandList},
    {"children", CommandChildren},
    {"wait-window", CommandWaitWindow},
    {"wait-gone", CommandWaitGone},
    {"still-open", CommandStillOpen},
    {"click", CommandClick},
    {"check", CommandCheck},
    {"get-check", CommandGetCheck},
    {"get-text", CommandGetText},
    {"is-enabled", CommandIsEnabled},
    {"send-key", CommandSendKey},
    {"close", CommandClose},
    {"command", CommandPostCommand},
    {"sleep", CommandSleep},
    {"progress-pos", CommandProgressPos},
    {"watch-progress", CommandWatchProgress},
    {"browse-select", CommandBrowseSelect},
    {"read-link", CommandReadLink},
    {"special-folder", CommandSpecialFolder},
};

static void PrintUsage()
{
    fprintf(stderr, "usage: e2e_driver SUBCOMMAND ARGS... [-- SUBCOMMAND ARGS...]\n"
                    "subcommands:");
    for (const DriverCommand& command : kCommands)
        fprintf(stderr, " %s", command.name);
    fprintf(stderr, "\n");
}

static int RunOne(int argc, char** argv)
{
    for (const DriverCommand& command : kCommands)
    {
        if (strcmp(argv[0], command.name) == 0)
            return command.run(argc - 1, argv + 1);
    }
    fprintf(stderr, "e2e_driver: unknown subcommand %s\n", argv[0]);
    PrintUsage();
    return kDriverUsage;
}

int main(int argc, char** argv)
{
    // The tests compare the output byte for byte; no CR before each LF.
    _setmode(_fileno(stdout), _O_BINARY);
    setvbuf(stdout, NULL, _IONBF, 0);

    if (argc < 2)
    {
        PrintUsage();
        return kDriverUsage;
    }
    int start = 1;
    while (start < argc)
    {
        int end = start;
        while (end < argc && strcmp(argv[end], "--") != 0)
            end++;
        if (end == start)
        {
            PrintUsage();
            return kDriverUsage;
        }
        int status = RunOne(end - start, argv + start);
        if (status != kDriverOk)
            return status;
        start = end + 1;
    }
    return kDriverOk;
}
