#include "app/install_paths.h"

#include "platform/text.h"

#include <string.h>

int JoinPath(char* out, size_t size, const char* head, const char* tail)
{
    return JoinText(out, size, head, tail, nullptr) ? 0 : -1;
}

static int BuildInstallFolderPaths(const char* installFolder, InstallPaths* paths)
{
    if (installFolder[0] == 0)
        return 0;
    int failed = JoinPath(paths->exePath, kInstallPathSize, installFolder, "\\tremlok.exe");
    failed |= JoinPath(paths->readmePath, kInstallPathSize, installFolder, "\\Readme.txt");
    failed |= JoinPath(paths->uninstPath, kInstallPathSize, installFolder, "\\uninst.bat");
    return failed == 0;
}

// An empty programs folder would turn the menu folder into a path relative
// to the current directory; such a group is left out.
static int BuildMenuPaths(const char* programsDir, InstallPaths* paths)
{
    if (programsDir[0] == 0)
        return 0;
    int failed = JoinPath(paths->menuFolder, kInstallPathSize, programsDir, "Tremlok");
    failed |= JoinPath(paths->menuLink, kInstallPathSize, paths->menuFolder, "\\Tremlok.lnk");
    failed |= JoinPath(paths->helpLink, kInstallPathSize, paths->menuFolder, "\\Tremlok Help.lnk");
    failed |= JoinPath(paths->uninstallLink, kInstallPathSize, paths->menuFolder,
                       "\\Tremlok Uninstall.pif");
    return failed == 0;
}

void BuildInstallPaths(const char* installFolder, const char* programsDir, const char* desktopDir,
                       InstallPaths* paths)
{
    memset(paths, 0, sizeof *paths);
    paths->haveInstall = BuildInstallFolderPaths(installFolder, paths);
    paths->haveMenu = BuildMenuPaths(programsDir, paths);
    // desktopDir ends in a backslash, so none is added.
    paths->haveDesktop = desktopDir[0] != 0 && JoinPath(paths->desktopLink, kInstallPathSize,
                                                        desktopDir, "Tremlok.lnk") == 0;
}
