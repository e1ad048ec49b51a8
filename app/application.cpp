#include "app/application.h"

#include "app/main_window.h"
#include "graphics/graphics.h"

ApplicationRecord ApplicationState;

void RunMessageLoop() {
    MSG message = {};
    for (;;) {
        RenderFrame();
        // Never wait: every pass renders a frame and handles at most one message.
        if (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE) == 1) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
            if (message.message == WM_QUIT) break;
        }
    }
    ApplicationState.exitCode = static_cast<int32_t>(message.wParam);
}

int32_t ShutDownApplication(HINSTANCE instance) {
    const bool destroyed = DestroyMainWindow();
    bool unregistered = UnregisterClassA(MainWindowClassName, instance) != 0;
    if (!unregistered) unregistered = ReportUnregisterFailure();
    if (destroyed && unregistered) ShutDownGraphics();
    return ApplicationState.exitCode;
}
