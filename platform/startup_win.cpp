// The shipped program's entry point, in place of the C runtime's start-up
// code. The program needs none of what that code sets up (no static
// constructors, no thread-local variables, no stdio, no floating-point
// traps, no data imported without dllimport), and leaving it out keeps the
// pseudo-relocation, TLS and error-report pieces out of Setup.exe, which
// links no C runtime at all (platform/runtime_win.cpp).
#include <windows.h>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR arguments, int show);

// Skips the program's own name (quoted or not) and the blanks after it, the
// way the C runtime hands WinMain its argument text.
static char* ArgumentText(char* line)
{
    bool quoted = false;
    while (*line > ' ' || (*line != '\0' && quoted))
    {
        if (*line == '"')
            quoted = !quoted;
        ++line;
    }
    while (*line != '\0' && *line <= ' ')
        ++line;
    return line;
}

// Named by the link's entry option; takes nothing and never returns.
extern "C" void SetupStart()
{
    STARTUPINFOA startup;
    startup.cb = sizeof startup;
    GetStartupInfoA(&startup);
    int show = (startup.dwFlags & STARTF_USESHOWWINDOW) ? startup.wShowWindow : SW_SHOWDEFAULT;
    char* line = GetCommandLineA();
    ExitProcess(
        (UINT)WinMain(GetModuleHandleA(nullptr), nullptr, line ? ArgumentText(line) : line, show));
}
