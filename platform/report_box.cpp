#include "platform/report_box.h"

int ShowReportBox(HWND owner, const char* text, const char* caption, UINT style) {
    MSG quit;
    const bool quitPending = PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE) != 0;
    const int answer = MessageBoxA(owner, text, caption, style);
    if (quitPending) PostQuitMessage(static_cast<int>(quit.wParam));
    return answer;
}
