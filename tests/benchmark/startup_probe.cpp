// The program as it ships (app/main.cpp, the same code and resources), linked with
// RenderFrame wrapped (-Wl,--wrap=_Z11RenderFramev, see CMakeLists.txt): once the first
// frame has been presented it reports the counter, then closes the window as a user would,
// so that the program ends by its own path. Nothing else changes.
#include <windows.h>

#include "app/application.h"
#include "startup_report.h"

extern "C" {
void __real__Z11RenderFramev();

void __wrap__Z11RenderFramev() {
    __real__Z11RenderFramev();
    static bool reported = false;
    if (reported) return;
    reported = true;
    ReportFirstPresent();
    PostMessageA(ApplicationState.mainWindow, WM_CLOSE, 0, 0);
}
}
