// The application shell: entry point, message loop and shutdown.
#pragma once

#include <windows.h>

#include <cstdint>

struct ApplicationRecord {
    HWND mainWindow;   // null when there is no main window
    int32_t exitCode;  // wParam of the quit message that ended the loop
};

// Zero before WinMain runs.
extern ApplicationRecord ApplicationState;

// Renders a frame on every pass and handles at most one message per pass;
// returns once WM_QUIT has been retrieved, with its code in exitCode.
void RunMessageLoop();

// Destroys the main window if it still exists, unregisters its class and, when both
// succeed, releases graphics. Returns the exit status.
int32_t ShutDownApplication(HINSTANCE instance);
