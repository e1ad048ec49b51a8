// Describes a message box that another program of the same Wine session has open:
//   box_reader CAPTION
// prints its text, the title and class of its owner, and its buttons, one "key=value" a line.
// Exit status 0 when a box with that caption was found, 1 when not.
#include <windows.h>

#include <cstdio>
#include <string>

namespace {
std::string TextOf(HWND window) {
    char text[4096] = {};
    GetWindowTextA(window, text, sizeof text);
    return text;
}

std::string ClassOf(HWND window) {
    char name[256] = {};
    GetClassNameA(window, name, sizeof name);
    return name;
}
}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: box_reader CAPTION\n");
        return 2;
    }
    HWND box = FindWindowA("#32770", argv[1]);
    if (box == nullptr) return 1;
    char text[4096] = {};
    GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
    HWND owner = GetWindow(box, GW_OWNER);
    std::string buttons;
    const std::pair<int, const char*> known[] = {{IDOK, "OK"},       {IDCANCEL, "Cancel"},
                                                 {IDYES, "Yes"},     {IDNO, "No"},
                                                 {IDRETRY, "Retry"}, {IDABORT, "Abort"},
                                                 {IDIGNORE, "Ignore"}};
    for (const auto& [id, name] : known) {
        if (GetDlgItem(box, id) != nullptr) buttons += buttons.empty() ? name : std::string(",") + name;
    }
    std::printf("caption=%s\ntext=%s\nowner_title=%s\nowner_class=%s\nbuttons=%s\n",
                TextOf(box).c_str(), text, owner != nullptr ? TextOf(owner).c_str() : "",
                owner != nullptr ? ClassOf(owner).c_str() : "", buttons.c_str());
    return 0;
}
