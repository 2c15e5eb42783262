// The Linux build is the packager's tool only: the install run needs
// Windows (or Wine).
#include "app/command_line.h"
#include "app/help_text.h"
#include "app/run_action.h"

#include <stdio.h>

int main(int argc, char** argv)
{
    CommandAction action = ScanArguments(argc, argv);
    if (action == kActionHelp || action == kActionInstall)
    {
        fputs(kHelpText, stdout);
        if (action == kActionInstall)
            fputs("\nThis build packages and extracts only; install on Windows.\n", stdout);
        return action == kActionHelp ? 0 : 1;
    }
    return RunToolAction(action);
}
