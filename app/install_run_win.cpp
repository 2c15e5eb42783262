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

const char kNoPageText[] = "Setup could not open its window.";

// False, after saying so, when the page could not be shown at all (no
// memory, or a damaged resource): the player has not chosen anything.
static bool ShowPage(HINSTANCE instance, int templateId, DLGPROC procedure)
{
    if (DialogBoxParamA(instance, MAKEINTRESOURCEA(templateId), NULL, procedure, 0) != -1)
        return true;
    MessageBoxA(NULL, kNoPageText, NULL, MB_ICONERROR);
    return false;
}

// A shortcut started in the install folder; with SHORTCUT_ICON the game's
// own icon, the target's first.
static void MakeShortcut(const char* linkPath, const char* target, unsigned mask)
{
    ShortcutInfo info = {};
    info.target = target;
    info.mask = SHORTCUT_WORKDIR | mask;
    info.iconPath = target;
    info.workingDirectory = gInstallFolder;
    CreateShortcut(linkPath, &info);
    AddUninstallCommand("del", linkPath);
}

// Each "del" line is logged whether or not its shortcut could be made. A
// group whose folder the shell could not locate is left out whole.
static void MakeShortcuts(const InstallPaths* paths, bool dosFamily)
{
    if (paths->haveMenu)
        MakePath(paths->menuFolder);
    if (gDesktopShortcut && paths->haveDesktop)
        MakeShortcut(paths->desktopLink, paths->exePath, SHORTCUT_ICON);
    if (!paths->haveMenu)
        return;
    // The files under Program Files were written elevated: on the NT family
    // only an elevated uninst.bat may delete them.
    MakeShortcut(paths->uninstallLink, paths->uninstPath, dosFamily ? 0 : SHORTCUT_RUNAS);
    MakeShortcut(paths->helpLink, paths->readmePath, 0);
    MakeShortcut(paths->menuLink, paths->exePath, SHORTCUT_ICON);
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
// page, shortcut or readme follows. A completion page that cannot be shown
// leaves the game installed, with its shortcuts and script, and no readme.
static int RunPages(HINSTANCE instance)
{
    if (!ShowPage(instance, IDD_WELCOME_PAGE, WelcomePageProc) || gCancelled)
        return 1;
    char programsDir[kShellPathSize] = "";
    char desktopDir[kShellPathSize] = "";
    GetSpecialFolderPath(CSIDL_PROGRAMS, programsDir, sizeof programsDir);
    GetSpecialFolderPath(CSIDL_DESKTOPDIRECTORY, desktopDir, sizeof desktopDir);
    ResetUninstallLog();
    if (!ShowPage(instance, IDD_PROGRESS_PAGE, ProgressPageProc))
        return 1;
    MarkExtractionEnd();
    const bool installed = !gInstallDamaged && gExtractSkipped == 0;
    if (installed)
        ShowPage(instance, IDD_COMPLETION_PAGE, CompletionPageProc);
    // Windows 95, 98 and Me: the high bit of GetVersion.
    const bool dosFamily = (GetVersion() & 0x80000000) != 0;
    static InstallPaths paths;
    BuildInstallPaths(gInstallFolder, programsDir, desktopDir, dosFamily, &paths);
    if (!paths.haveInstall)
        return 1;
    AddUninstallCommand("del", paths.uninstPath);
    AddUninstallLine("");
    if (installed)
        MakeShortcuts(&paths, dosFamily);
    AddUninstallLine("");
    WriteUninstallScript(paths.uninstPath, dosFamily);
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
