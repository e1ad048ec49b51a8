// The message box of every failure report that can come after the main window is gone.
#pragma once

#include <windows.h>

// MessageBoxA that stays open until the user answers it, even while a quit message is
// pending (destroying the main window posts one). A box's modal loop would take that message
// and end at once; so it is held back while the box is open and posted again afterwards with
// the same code. Returns the user's answer.
int ShowReportBox(HWND owner, const char* text, const char* caption, UINT style);
