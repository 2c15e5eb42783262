// The uninstall log: every folder and file setup creates, in creation order.
#include "uninstall/uninstall_log.h"

#include "platform/platform.h"

#include <string>
#include <vector>

std::vector<std::string> gUninstallLines;
int gUninstallCount = 0;
int gUninstallMark = 0;

int AddUninstallLine(const char* text)
{
    gUninstallLines.push_back(std::string(text) + "\r\n");
    gUninstallCount = (int)gUninstallLines.size();
    return gUninstallCount;
}

// cmd expands %name% even inside double quotes; a doubled '%' is read back
// as one, so the script names exactly the path setup wrote.
int AddUninstallCommand(const char* command, const char* path)
{
    std::string line = std::string(command) + " \"";
    for (const char* p = path; *p; ++p)
    {
        line += *p;
        if (*p == '%')
            line += '%';
    }
    line += '"';
    return AddUninstallLine(line.c_str());
}

int MakeLoggedDir(const char* path)
{
    int result = FolderCreate(path);
    if (result == 0)
        AddUninstallCommand("rmdir", path);
    return result;
}

void ResetUninstallLog()
{
    gUninstallLines.clear();
    gUninstallCount = 0;
    gUninstallMark = 0;
}

void SetUninstallMark()
{
    gUninstallMark = gUninstallCount;
}
