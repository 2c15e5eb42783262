// The program's entry point: one of the tool modes, the help, or the
// install wizard.
#include "app/command_line.h"
#include "app/dll_search.h"
#include "app/help_text.h"
#include "app/install_run.h"
#include "app/run_action.h"

#include <windows.h>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR arguments, int)
{
    HardenDllSearch();
    CommandAction action = ScanCommandLine(arguments ? arguments : "");
    switch (action)
    {
    case kActionInstall:
        return RunInstall(instance);
    case kActionHelp:
        MessageBoxA(nullptr, kHelpText, kHelpTitle, MB_OK | MB_ICONINFORMATION);
        return 0;
    default:
        return RunToolAction(action);
    }
}
