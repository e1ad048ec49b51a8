// The system's text for a Windows error code.
#pragma once

#include <windows.h>

#include <string>

// The system text unchanged (trailing line break included), or "Unknown Windows Error".
std::string FormatWindowsError(DWORD code);
// FormatWindowsError(GetLastError()); call it right after the failing call.
std::string FormatLastWindowsError();
