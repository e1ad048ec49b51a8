// Sees every message box the test thread opens, as a person would, and answers it.
#pragma once

#include <windows.h>

#include <deque>
#include <string>
#include <vector>

struct SeenMessageBox {
    std::string caption;
    std::string text;   // the box's static text control (id 0xFFFF)
    HWND owner;         // null for a box without an owner
    UINT icon;          // MB_ICONERROR, MB_ICONWARNING, MB_ICONQUESTION, MB_ICONINFORMATION or 0
    UINT buttons;       // MB_OK, MB_YESNO, ... from the buttons it has
    int answer;         // the button the hook pressed
};

// Installs a WH_CBT hook on the calling thread for its lifetime. Each box is recorded and
// answered as soon as it is filled in, before it appears: with the next queued answer, else
// with `defaultAnswer`. MessageBoxA returns that answer.
class MessageBoxHook {
public:
    explicit MessageBoxHook(int defaultAnswer = IDOK);
    ~MessageBoxHook();
    MessageBoxHook(const MessageBoxHook&) = delete;
    MessageBoxHook& operator=(const MessageBoxHook&) = delete;

    void QueueAnswer(int answer) { answers_.push_back(answer); }
    const std::vector<SeenMessageBox>& Boxes() const { return boxes_; }
    void Clear() { boxes_.clear(); }

private:
    static LRESULT CALLBACK Hook(int code, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK BoxProcedure(HWND box, UINT message, WPARAM wParam, LPARAM lParam);
    // Records the box and returns the answer to give it.
    int See(HWND box);

    HHOOK hook_ = nullptr;
    int defaultAnswer_;
    std::deque<int> answers_;
    std::vector<SeenMessageBox> boxes_;
};

// "error", "warning", ... for readable assertion messages.
const char* IconName(UINT icon);
