#include "support/message_box_hook.h"

#include <gtest/gtest.h>

namespace {
MessageBoxHook* activeHook = nullptr;
// What a person waits before looking at a shown box again.
constexpr DWORD WatchWaitMs = 400;

bool OfClass(HWND window, const char* name) {
    char className[16] = {};
    return GetClassNameA(window, className, sizeof className) > 0 &&
           lstrcmpiA(className, name) == 0;
}

// A message box is a window of the system's dialog class.
bool IsDialog(HWND window) { return OfClass(window, "#32770"); }

// The box's icon is a static control in icon mode showing one of the shared system icons
// (its id differs between Windows and Wine, so look for it by style).
BOOL CALLBACK FindIconControl(HWND child, LPARAM found) {
    if (OfClass(child, "Static") &&
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

MessageBoxHook::MessageBoxHook() {
    activeHook = this;
    hook_ = SetWindowsHookExA(WH_CBT, &MessageBoxHook::Hook, nullptr, GetCurrentThreadId());
}

MessageBoxHook::~MessageBoxHook() {
    if (hook_ != nullptr) UnhookWindowsHookEx(hook_);
    activeHook = nullptr;
}

// A box is answered before it is ever shown. Under Wine without a window manager, hiding a
// window that has been on screen waits 2 s for the manager that never answers; a box that
// never appears closes at once. So every new dialog is subclassed as it is created: once its
// WM_INITDIALOG has filled in the text, icon and buttons, the box is recorded and ended, and
// the dialog's own ShowWindow that follows is turned into a no-op.
LRESULT CALLBACK MessageBoxHook::Hook(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_CREATEWND && activeHook != nullptr) {
        HWND window = reinterpret_cast<HWND>(wParam);
        if (IsDialog(window)) {
            const LONG_PTR previous = SetWindowLongPtrA(
                window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&MessageBoxHook::BoxProcedure));
            SetPropA(window, "MirelthTestProcedure", reinterpret_cast<HANDLE>(previous));
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

LRESULT CALLBACK MessageBoxHook::BoxProcedure(HWND box, UINT message, WPARAM wParam,
                                              LPARAM lParam) {
    const auto previous = reinterpret_cast<WNDPROC>(GetPropA(box, "MirelthTestProcedure"));
    if (message == WM_WINDOWPOSCHANGING && GetPropA(box, "MirelthTestAnswered") != nullptr) {
        reinterpret_cast<WINDOWPOS*>(lParam)->flags &= ~static_cast<UINT>(SWP_SHOWWINDOW);
    }
    if (message == WM_NCDESTROY) {
        RemovePropA(box, "MirelthTestProcedure");
        RemovePropA(box, "MirelthTestAnswered");
        SetWindowLongPtrA(box, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous));
    }
    const LRESULT result = CallWindowProcA(previous, box, message, wParam, lParam);
    if (message == WM_INITDIALOG && activeHook != nullptr) {
        if (activeHook->leaveOpen_) {
            activeHook->See(box);
        } else {
            SetPropA(box, "MirelthTestAnswered", reinterpret_cast<HANDLE>(1));
            EndDialog(box, activeHook->See(box));
        }
    }
    return result;
}

int MessageBoxHook::See(HWND box) {
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
    seen.answer = leaveOpen_ ? 0 : IDOK;
    if (!leaveOpen_ && !answers_.empty()) {
        seen.answer = answers_.front();
        answers_.pop_front();
    }
    boxes_.push_back(seen);
    return seen.answer;
}

namespace {
BOOL CALLBACK FindShownBox(HWND window, LPARAM found) {
    if (IsDialog(window) && IsWindowVisible(window)) {
        *reinterpret_cast<HWND*>(found) = window;
        return FALSE;
    }
    return TRUE;
}

bool GoneWithin(HWND box, DWORD ms) {
    for (DWORD waited = 0; IsWindow(box); waited += 10) {
        if (waited >= ms) return false;
        Sleep(10);
    }
    return true;
}
}  // namespace

BoxWatcher::BoxWatcher()
    : thread_(GetCurrentThreadId()),
      stop_(CreateEventA(nullptr, TRUE, FALSE, nullptr)),
      watcher_(CreateThread(nullptr, 0, &BoxWatcher::Watch, this, 0, nullptr)) {}

BoxWatcher::~BoxWatcher() { Stop(); }

std::vector<WatchedBox> BoxWatcher::Stop() {
    if (watcher_ != nullptr) {
        SetEvent(stop_);
        WaitForSingleObject(watcher_, INFINITE);
        CloseHandle(watcher_);
        CloseHandle(stop_);
        watcher_ = nullptr;
    }
    return seen_;
}

DWORD WINAPI BoxWatcher::Watch(LPVOID self) {
    auto* watcher = static_cast<BoxWatcher*>(self);
    while (WaitForSingleObject(watcher->stop_, 10) == WAIT_TIMEOUT) {
        HWND box = nullptr;
        EnumThreadWindows(watcher->thread_, FindShownBox, reinterpret_cast<LPARAM>(&box));
        if (box == nullptr) continue;
        WatchedBox seen{};
        char caption[256] = {};
        GetWindowTextA(box, caption, sizeof caption);
        seen.caption = caption;
        Sleep(WatchWaitMs);
        seen.openAfterWait = IsWindow(box) && IsWindowVisible(box);
        if (seen.openAfterWait) {
            DWORD_PTR result = 0;
            SendMessageTimeoutA(GetDlgItem(box, IDOK), BM_CLICK, 0, 0, SMTO_NORMAL, 5000, &result);
            seen.closedByButton = GoneWithin(box, 5000);
            if (!seen.closedByButton) PostMessageA(box, WM_COMMAND, IDOK, 0);
        }
        GoneWithin(box, 5000);
        watcher->seen_.push_back(seen);
    }
    return 0;
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

void ExpectBox(const SeenMessageBox& box, const std::string& caption, const std::string& text,
               HWND owner, const char* icon, UINT buttons) {
    EXPECT_EQ(box.caption, caption);
    EXPECT_EQ(box.text, text) << caption;
    EXPECT_EQ(box.owner, owner) << caption;
    EXPECT_STREQ(IconName(box.icon), icon) << caption;
    EXPECT_EQ(box.buttons, buttons) << caption;
}

void ExpectBoxes(const std::vector<SeenMessageBox>& boxes,
                 const std::vector<ExpectedBox>& expected) {
    ASSERT_EQ(boxes.size(), expected.size()) << "boxes seen:" << Describe(boxes);
    for (size_t i = 0; i < expected.size(); ++i) {
        const ExpectedBox& want = expected[i];
        ExpectBox(boxes[i], want.caption, want.text, want.owner, want.icon);
    }
}

std::string Describe(const std::vector<SeenMessageBox>& boxes) {
    std::string text;
    for (const SeenMessageBox& box : boxes) text += "\n  " + box.caption + " | " + box.text;
    return boxes.empty() ? " (none)" : text;
}
