#include "platform/windows_error.h"

std::string FormatWindowsError(DWORD code) {
    std::string result;
    char* text = nullptr;
    const DWORD flags =
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_FROM_SYSTEM;
    // With ALLOCATE_BUFFER the system writes the address of its buffer into `text`.
    if (FormatMessageA(flags, nullptr, code, 0, reinterpret_cast<LPSTR>(&text), 1, nullptr) != 0) {
        result = text;
    } else {
        result = "Unknown Windows Error";
    }
    LocalFree(text);
    return result;
}

std::string FormatLastWindowsError() { return FormatWindowsError(GetLastError()); }
