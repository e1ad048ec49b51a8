#include "support/message_box_hook.h"

namespace {
MessageBoxHook* activeHook = nullptr;

// The box's icon is a static control in icon mode showing one of the shared system icons
// (its id differs between Windows and Wine, so look for it by style).
BOOL CALLBACK FindIconControl(HWND child, LPARAM found) {
    char className[16] = {};
    GetClassNameA(child, className, sizeof className);
    if (lstrcmpiA(className, "Static") == 0 &&
        (GetWindowLongPtrA(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON) {
        *reinterpret_cast<HWND*>(found) = child;
        return FALSE;
    }
    return TRUE;
}

UINT IconOf(HWND box) {
    HWND iconControl = nullptr;
    EnumChildWindows(box, FindIconControl, reinterpret_cast<LPARAM>(&iconControl));
    if (iconControl == nullptr) return 0;
    HICON icon = reinterpret_cast<HICON>(SendMessageA(iconControl, STM_GETICON, 0, 0));
    if (icon == nullptr) return 0;
    struct Known { LPCSTR id; UINT style; };
    const Known known[] = {{IDI_HAND, MB_ICONERROR}, {IDI_EXCLAMATION, MB_ICONWARNING},
                           {IDI_QUESTION, MB_ICONQUESTION}, {IDI_ASTERISK, MB_ICONINFORMATION}};
    for (const Known& k : known) {
        if (LoadIconA(nullptr, k.id) == icon) return k.style;
    }
    return 0xFFFFFFFFu;  // an icon, but not a system one
}

UINT ButtonsOf(HWND box) {
    auto has = [box](int id) { return GetDlgItem(box, id) != nullptr; };
    if (has(IDYES) && has(IDNO)) return has(IDCANCEL) ? MB_YESNOCANCEL : MB_YESNO;
    if (has(IDRETRY)) return MB_RETRYCANCEL;
    if (has(IDOK) && has(IDCANCEL)) return MB_OKCANCEL;
    return MB_OK;
}
}  // namespace

MessageBoxHook::MessageBoxHook(int defaultAnswer) : defaultAnswer_(defaultAnswer) {
    activeHook = this;
    hook_ = SetWindowsHookExA(WH_CBT, &MessageBoxHook::Hook, nullptr, GetCurrentThreadId());
}

MessageBoxHook::~MessageBoxHook() {
    if (hook_ != nullptr) UnhookWindowsHookEx(hook_);
    activeHook = nullptr;
}

LRESULT CALLBACK MessageBoxHook::Hook(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_ACTIVATE && activeHook != nullptr) {
        HWND window = reinterpret_cast<HWND>(wParam);
        char className[16] = {};
        // Activation also fires for other windows, and with a null window after a box closes.
        if (window != nullptr && GetClassNameA(window, className, sizeof className) > 0 &&
            lstrcmpA(className, "#32770") == 0) {
            activeHook->See(window);
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

void MessageBoxHook::See(HWND box) {
    // A box is activated again when focus comes back to it; record and answer it once.
    if (GetPropA(box, "MirelthTestSeen") != nullptr) return;
    SetPropA(box, "MirelthTestSeen", reinterpret_cast<HANDLE>(1));
    SeenMessageBox seen{};
    char buffer[4096] = {};
    GetWindowTextA(box, buffer, sizeof buffer);
    seen.caption = buffer;
    buffer[0] = 0;
    GetDlgItemTextA(box, 0xFFFF, buffer, sizeof buffer);
    seen.text = buffer;
    seen.owner = GetWindow(box, GW_OWNER);
    seen.icon = IconOf(box);
    seen.buttons = ButtonsOf(box);
    seen.answer = defaultAnswer_;
    if (!answers_.empty()) {
        seen.answer = answers_.front();
        answers_.pop_front();
    }
    boxes_.push_back(seen);
    PostMessageA(box, WM_COMMAND, MAKEWPARAM(seen.answer, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(box, seen.answer)));
}

const char* IconName(UINT icon) {
    switch (icon) {
        case MB_ICONERROR: return "error";
        case MB_ICONWARNING: return "warning";
        case MB_ICONQUESTION: return "question";
        case MB_ICONINFORMATION: return "information";
        case 0: return "none";
        default: return "other";
    }
}
