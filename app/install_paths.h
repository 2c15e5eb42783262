// The paths of an install: installed files, Start-menu folder and shortcuts.
#ifndef TREMLOK_APP_INSTALL_PATHS_H
#define TREMLOK_APP_INSTALL_PATHS_H

const int kInstallPathSize = 1024;

struct InstallPaths
{
    char exePath[kInstallPathSize];
    char readmePath[kInstallPathSize];
    char uninstPath[kInstallPathSize];
    char menuFolder[kInstallPathSize];
    char menuLink[kInstallPathSize];
    char helpLink[kInstallPathSize];
    char uninstallLink[kInstallPathSize];
    char desktopLink[kInstallPathSize];
    int haveInstall; // the three install-folder paths fit
    int haveMenu;    // the programs folder is known and its four paths fit
    int haveDesktop; // the desktop folder is known and desktopLink fits
};

// Builds every path from the install folder and the two shell folders (each
// ending in a backslash, or empty when the shell could not locate it). A
// group whose folder is empty or whose paths do not fit is marked missing.
// dosFamily (Windows 95, 98 and Me) names the uninstall shortcut ".pif",
// otherwise ".lnk".
void BuildInstallPaths(const char* installFolder, const char* programsDir, const char* desktopDir,
                       bool dosFamily, InstallPaths* paths);

#endif
