// Runs the tool actions shared by both builds.
#ifndef TREMLOK_APP_RUN_ACTION_H
#define TREMLOK_APP_RUN_ACTION_H

#include "app/command_line.h"

// Runs kActionMake or kActionExtract on gFolderArg and returns the process
// exit code: 0 on success, 1 on failure, 2 for a refused argument.
int RunToolAction(CommandAction action);

#endif
