// The program's entry point: window, graphics, message loop, shutdown.
#include <windows.h>

#include <cstdlib>

#include "app/application.h"
#include "app/main_window.h"
#include "graphics/graphics.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand) {
    if (RegisterMainWindowClass(instance) != 0) {
        ApplicationState.mainWindow = CreateMainWindow(instance, showCommand);
        if (ApplicationState.mainWindow == nullptr &&
            UnregisterClassA(MainWindowClassName, instance) == 0) {
            ReportUnregisterFailure();
        }
    }
    if (!InitializeGraphics(ApplicationState.mainWindow)) std::exit(0);
    RunMessageLoop();
    return ShutDownApplication(instance);
}
