// Putting together the install's paths from the install folder and the
// shell's folders; a path that does not fit is left empty.
#include "app/install_paths.h"

#include "platform/text.h"

#include <string.h>

static int BuildInstallFolderPaths(const char* installFolder, InstallPaths* paths)
{
    if (installFolder[0] == 0)
        return 0;
    // A path that does not fit is left empty, never cut.
    return JoinText(paths->exePath, kInstallPathSize, installFolder, "\\tremlok.exe", nullptr) &&
           JoinText(paths->readmePath, kInstallPathSize, installFolder, "\\Readme.txt", nullptr) &&
           JoinText(paths->uninstPath, kInstallPathSize, installFolder, "\\uninst.bat", nullptr);
}

// An empty programs folder would turn the menu folder into a path relative
// to the current directory; such a group is left out.
// Windows 95, 98 and Me start a batch file through a .pif; the NT family
// starts it through a link, and 64-bit Windows has no MS-DOS subsystem to
// run a .pif in.
static int BuildMenuPaths(const char* programsDir, bool dosFamily, InstallPaths* paths)
{
    if (programsDir[0] == 0)
        return 0;
    const char* folder = paths->menuFolder;
    return JoinText(paths->menuFolder, kInstallPathSize, programsDir, "Tremlok", nullptr) &&
           JoinText(paths->menuLink, kInstallPathSize, folder, "\\Tremlok.lnk", nullptr) &&
           JoinText(paths->helpLink, kInstallPathSize, folder, "\\Tremlok Help.lnk", nullptr) &&
           JoinText(paths->uninstallLink, kInstallPathSize, folder,
                    dosFamily ? "\\Tremlok Uninstall.pif" : "\\Tremlok Uninstall.lnk", nullptr);
}

void BuildInstallPaths(const char* installFolder, const char* programsDir, const char* desktopDir,
                       bool dosFamily, InstallPaths* paths)
{
    memset(paths, 0, sizeof *paths);
    paths->haveInstall = BuildInstallFolderPaths(installFolder, paths);
    paths->haveMenu = BuildMenuPaths(programsDir, dosFamily, paths);
    // desktopDir ends in a backslash, so none is added.
    paths->haveDesktop = desktopDir[0] != 0 && JoinText(paths->desktopLink, kInstallPathSize,
                                                        desktopDir, "Tremlok.lnk", nullptr);
}
