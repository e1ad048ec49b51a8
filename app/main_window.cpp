#include "app/main_window.h"

#include <string>

#include "app/application.h"
#include "platform/report_box.h"
#include "platform/windows_error.h"

const char MainWindowClassName[] = "Bexa's Main Window Class";
const char MainWindowTitle[] = "Bexa's Mirelth Game";

namespace {
// Every Windows failure of the shell: our words, then the system's, in an ownerless error box.
void ReportWindowsFailure(const char* prefix, const char* caption) {
    const std::string text = prefix + FormatLastWindowsError();
    ShowReportBox(nullptr, text.c_str(), caption, MB_ICONERROR);
}

// Destroys a window that failed to be sized, so that nobody sees it at the wrong size.
HWND AbandonMainWindow(HWND window, const char* prefix) {
    ReportWindowsFailure(prefix, nullptr);
    if (!DestroyWindow(window)) {
        ReportWindowsFailure(
            "Windows failed to destroy the main window after an error in creation: ", nullptr);
    }
    return nullptr;
}
}  // namespace

ATOM RegisterMainWindowClass(HINSTANCE instance) {
    WNDCLASSEXA windowClass = {};
    windowClass.cbSize = sizeof windowClass;
    windowClass.style = 0;
    windowClass.lpfnWndProc = MainWindowProcedure;
    windowClass.hInstance = instance;
    windowClass.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(LargeIconResource));
    windowClass.hIconSm = LoadIconA(instance, MAKEINTRESOURCEA(SmallIconResource));
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BACKGROUND + 1);
    windowClass.lpszMenuName = nullptr;
    windowClass.lpszClassName = MainWindowClassName;
    const ATOM atom = RegisterClassExA(&windowClass);
    if (atom == 0) {
        ReportWindowsFailure("Windows failed to register the main window's class: ",
                             "No Main Window Class");
    }
    return atom;
}

HWND CreateMainWindow(HINSTANCE instance, int showCommand) {
    // Caption, system menu and minimise box only: the size is fixed to the back buffer's.
    const DWORD style = WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
    HWND window = CreateWindowExA(WS_EX_OVERLAPPEDWINDOW, MainWindowClassName, MainWindowTitle,
                                  style, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                                  CW_USEDEFAULT, nullptr, nullptr, instance, nullptr);
    if (window == nullptr) {
        ReportWindowsFailure("Windows failed to create the main window: ", "No Main Window");
        return nullptr;
    }
    RECT windowRect;
    if (!GetWindowRect(window, &windowRect)) {
        return AbandonMainWindow(window,
                                 "Windows failed to get the coordinates of the main window: ");
    }
    RECT clientRect;
    if (!GetClientRect(window, &clientRect)) {
        return AbandonMainWindow(
            window, "Windows failed to get the dimensions of the main window's client area: ");
    }
    // Keep the frame's thickness and make the client area exactly the back buffer's size.
    const int width =
        windowRect.right - clientRect.right - windowRect.left + MainWindowClientWidth;
    const int height =
        windowRect.bottom - clientRect.bottom - windowRect.top + MainWindowClientHeight;
    if (!MoveWindow(window, windowRect.left, windowRect.top, width, height, TRUE)) {
        return AbandonMainWindow(window, "Windows failed to resize the main window: ");
    }
    ShowWindow(window, showCommand);
    return window;
}

bool DestroyMainWindow() {
    if (ApplicationState.mainWindow == nullptr) return true;
    if (!DestroyWindow(ApplicationState.mainWindow)) {
        ReportWindowsFailure("Windows failed to destroy the main window: ",
                             "Couldn't Destroy Main Window");
        return false;
    }
    ApplicationState.mainWindow = nullptr;
    return true;
}

bool ReportUnregisterFailure() {
    ReportWindowsFailure("Windows failed to unregister the main window's class: ",
                         "Couldn't Unregister Main Window Class");
    return false;
}

LRESULT CALLBACK MainWindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_NCDESTROY:
            ApplicationState.mainWindow = nullptr;
            PostQuitMessage(0);
            return 0;
        case WM_CHAR:
            if (wParam == 27) {
                const int answer =
                    MessageBoxA(ApplicationState.mainWindow, "Are you sure you want to quit?",
                                "Exit Program?", MB_YESNO | MB_ICONQUESTION);
                if (answer == IDYES) {
                    PostQuitMessage(1);
                    return 0;
                }
            }
            break;
        default:
            break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}
