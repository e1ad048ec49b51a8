// Describes a message box that another program of the same Wine session has open:
//   box_reader CAPTION
// prints its text, the title and class of its owner, its buttons and the main colour of its
// icon, one "key=value" a line.
// Exit status 0 when a box with that caption was found, 1 when not.
#include <windows.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <string>

namespace {
// A window's text, or its class's name, as `get` reads it.
std::string Read(int(WINAPI* get)(HWND, LPSTR, int), HWND window) {
    char text[4096] = {};
    get(window, text, sizeof text);
    return text;
}
// The box's icon as drawn on the screen: its handle is of no use outside the box's process.
// Wine's error icon is red, its warning orange, its question and information icons blue.
const char* IconColourOf(HWND box) {
    constexpr int kIconId = 0x0440;
    RECT area;
    if (!GetWindowRect(GetDlgItem(box, kIconId), &area)) return "none";
    std::array<int, 3> counts = {};  // red, orange, blue
    HDC screen = GetDC(nullptr);
    for (LONG y = area.top; y < area.bottom; ++y) {
        for (LONG x = area.left; x < area.right; ++x) {
            const COLORREF c = GetPixel(screen, x, y);
            const int r = GetRValue(c), g = GetGValue(c), b = GetBValue(c);
            if (r > 160 && g < 100 && b < 100) ++counts[0];
            else if (r > 200 && g > 100 && g < 200 && b < 100) ++counts[1];
            else if (b > 140 && r < 100) ++counts[2];
        }
    }
    ReleaseDC(nullptr, screen);
    const char* names[] = {"red", "orange", "blue"};
    const auto most = std::max_element(counts.begin(), counts.end());
    return *most > 0 ? names[most - counts.begin()] : "none";
}
}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: box_reader CAPTION\n");
        return 2;
    }
    // The shown box with that caption and its text: a box just closed, or one being made,
    // may share the caption for a moment.
    constexpr int kTries = 50, kTextId = 0xFFFF;
    HWND box = nullptr;
    for (int i = 0; i < kTries && box == nullptr; ++i) {
        while ((box = FindWindowExA(nullptr, box, "#32770", argv[1])) != nullptr &&
               !(IsWindowVisible(box) && GetDlgItem(box, kTextId) != nullptr)) {
        }
        if (box == nullptr) Sleep(100);
    }
    if (box == nullptr) return 1;
    const HWND owner = GetWindow(box, GW_OWNER), text = GetDlgItem(box, kTextId);
    std::string buttons;
    const std::pair<int, const char*> known[] = {{IDOK, "OK"}, {IDCANCEL, "Cancel"},
        {IDYES, "Yes"}, {IDNO, "No"}, {IDRETRY, "Retry"}, {IDABORT, "Abort"}, {IDIGNORE, "Ignore"}};
    for (const auto& [id, name] : known) {
        if (GetDlgItem(box, id) != nullptr) buttons += buttons.empty() ? name : std::string(",") + name;
    }
    std::printf("caption=%s\ntext=%s\nowner_title=%s\nowner_class=%s\nbuttons=%s\nicon=%s\n",
                Read(GetWindowTextA, box).c_str(), Read(GetWindowTextA, text).c_str(),
                Read(GetWindowTextA, owner).c_str(), Read(GetClassNameA, owner).c_str(),
                buttons.c_str(), IconColourOf(box));
    return 0;
}
