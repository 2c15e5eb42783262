/* The sample game that the default Setup.exe installs: one window that
   greets the player. Small on purpose; it exists so an install has a real
   program to start and a real icon for its shortcuts. */
#include <windows.h>

static const char kClassName[] = "TremlokSampleWindow";
static const char kGreeting[] = "Hello from Tremlok!";

static void PaintGreeting(HWND window)
{
    PAINTSTRUCT paint;
    RECT area;
    HDC dc = BeginPaint(window, &paint);
    GetClientRect(window, &area);
    SetBkMode(dc, TRANSPARENT);
    DrawTextA(dc, kGreeting, -1, &area, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    EndPaint(window, &paint);
}

static LRESULT CALLBACK GameWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message)
    {
    case WM_PAINT:
        PaintGreeting(window);
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR arguments, int show)
{
    WNDCLASSA windowClass;
    MSG message;
    HWND window;
    (void)previous;
    (void)arguments;
    ZeroMemory(&windowClass, sizeof windowClass);
    windowClass.lpfnWndProc = GameWindowProc;
    windowClass.hInstance = instance;
    windowClass.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(1));
    windowClass.hCursor = LoadCursorA(NULL, (LPCSTR)IDC_ARROW);
    windowClass.hbrBackground = (HBRUSH)(COLOR_WINDOW + 1);
    windowClass.lpszClassName = kClassName;
    if (!RegisterClassA(&windowClass))
        return 1;
    window = CreateWindowA(kClassName, "Tremlok", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                           CW_USEDEFAULT, 320, 200, NULL, NULL, instance, NULL);
    if (window == NULL)
        return 1;
    ShowWindow(window, show);
    UpdateWindow(window);
    while (GetMessageA(&message, NULL, 0, 0) > 0)
    {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return (int)message.wParam;
}
