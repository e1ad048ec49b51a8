// The one top-level window that Direct3D renders into.
#pragma once

#include <windows.h>

extern const char MainWindowClassName[];  // "Bexa's Main Window Class"
extern const char MainWindowTitle[];      // "Bexa's Mirelth Game"

enum : int { MainWindowClientWidth = 800, MainWindowClientHeight = 600 };
enum : WORD { LargeIconResource = 107, SmallIconResource = 108 };

ATOM RegisterMainWindowClass(HINSTANCE instance);            // 0 on failure, reported
HWND CreateMainWindow(HINSTANCE instance, int showCommand);  // null on failure, reported
bool DestroyMainWindow();                                    // true when no window is left
bool ReportUnregisterFailure();                              // always false
LRESULT CALLBACK MainWindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
