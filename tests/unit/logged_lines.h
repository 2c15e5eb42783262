// The uninstall log as strings, to compare whole with what a test expects.
#ifndef TREMLOK_TESTS_LOGGED_LINES_H
#define TREMLOK_TESTS_LOGGED_LINES_H

#include "uninstall/uninstall_log.h"

#include <string>
#include <vector>

inline std::vector<std::string> LoggedLines()
{
    std::vector<std::string> lines;
    for (int i = 0; i < gUninstallCount; ++i)
        lines.push_back(gUninstallLines[i]);
    return lines;
}

#endif
