// The install run: the three pages in turn, then the shortcuts, the uninstall
// script and the readme.
#include "app/install_run.h"

#include <shlobj.h>

#include "app/dll_search.h"
#include "app/install_paths.h"
#include "app/notepad.h"
#include "datafile/extract_step.h"
#include "datafile/make_path.h"
#include "res/resource_ids.h"
#include "uninstall/uninstall_log.h"
#include "wizard/completion_page.h"
#include "wizard/progress_page.h"
#include "wizard/shell_path.h"
#include "wizard/shortcut.h"
#include "wizard/welcome_page.h"

static void ShowPage(HINSTANCE instance, int templateId, DLGPROC procedure)
{
    DialogBoxParamA(instance, MAKEINTRESOURCEA(templateId), NULL, procedure, 0);
}

// The shortcut to the game: its own icon, started in the install folder.
static void MakeGameShortcut(const char* linkPath, const InstallPaths* paths)
{
    ShortcutInfo info = {};
    info.target = paths->exePath;
    info.mask = SHORTCUT_ICON | SHORTCUT_WORKDIR;
    info.iconPath = paths->exePath;
    info.iconIndex = 0;
    info.workingDirectory = gInstallFolder;
    CreateShortcut(linkPath, &info);
    AddUninstallCommand("del", linkPath);
}

static void MakeFileShortcut(const char* linkPath, const char* target)
{
    ShortcutInfo info = {};
    info.target = target;
    info.mask = SHORTCUT_WORKDIR;
    info.workingDirectory = gInstallFolder;
    CreateShortcut(linkPath, &info);
    AddUninstallCommand("del", linkPath);
}

// Each "del" line is logged whether or not its shortcut could be made. A
// group whose folder the shell could not locate is left out whole.
static void MakeShortcuts(const InstallPaths* paths)
{
    if (paths->haveMenu)
        MakePath(paths->menuFolder);
    if (gDesktopShortcut && paths->haveDesktop)
        MakeGameShortcut(paths->desktopLink, paths);
    if (!paths->haveMenu)
        return;
    MakeFileShortcut(paths->uninstallLink, paths->uninstPath);
    MakeFileShortcut(paths->helpLink, paths->readmePath);
    MakeGameShortcut(paths->menuLink, paths);
}

// The lines after the extraction: the REM line opens the script, and the
// empty line at the mark is never written.
static void MarkExtractionEnd()
{
    AddUninstallLine("");
    AddUninstallLine("REM This will uninstall Tremlok");
    SetUninstallMark();
    AddUninstallLine("");
}

// A damaged image, or files that could not be written, end the run after
// the progress page: the script undoes what was written, and no completion
// page, shortcut or readme follows.
static int RunPages(HINSTANCE instance)
{
    ShowPage(instance, IDD_WELCOME_PAGE, WelcomePageProc);
    if (gCancelled)
        return 1;
    char programsDir[kShellPathSize] = "";
    char desktopDir[kShellPathSize] = "";
    GetSpecialFolderPath(CSIDL_PROGRAMS, programsDir, sizeof programsDir);
    GetSpecialFolderPath(CSIDL_DESKTOPDIRECTORY, desktopDir, sizeof desktopDir);
    ResetUninstallLog();
    ShowPage(instance, IDD_PROGRESS_PAGE, ProgressPageProc);
    MarkExtractionEnd();
    const bool installed = !gInstallDamaged && gExtractSkipped == 0;
    if (installed)
        ShowPage(instance, IDD_COMPLETION_PAGE, CompletionPageProc);
    static InstallPaths paths;
    BuildInstallPaths(gInstallFolder, programsDir, desktopDir, &paths);
    if (!paths.haveInstall)
        return 1;
    AddUninstallCommand("del", paths.uninstPath);
    AddUninstallLine("");
    if (installed)
        MakeShortcuts(&paths);
    AddUninstallLine("");
    WriteUninstallScript(paths.uninstPath);
    if (gViewReadme && installed && StartNotepad(paths.readmePath) == 0)
        return 0;
    return 1;
}

// The folder browser needs COM on its thread, as the shell's objects do:
// it is set up once for the whole run. A thread that COM refuses (already
// set up in another model) is not taken down here.
int RunInstall(HINSTANCE instance)
{
    LoadCommonControls(); // registers msctls_progress32
    const bool comReady = SUCCEEDED(CoInitialize(NULL));
    int code = RunPages(instance);
    if (comReady)
        CoUninitialize();
    return code;
}
