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
    int answer;         // the button the hook pressed; 0 for a box left open
};

// Installs a WH_CBT hook on the calling thread for its lifetime. Each box is recorded and
// answered as soon as it is filled in, before it appears: with the next queued answer, else
// with IDOK. MessageBoxA returns that answer.
class MessageBoxHook {
public:
    MessageBoxHook();
    ~MessageBoxHook();
    MessageBoxHook(const MessageBoxHook&) = delete;
    MessageBoxHook& operator=(const MessageBoxHook&) = delete;

    void QueueAnswer(int answer) { answers_.push_back(answer); }
    // From now on boxes are recorded but left open and shown, for a BoxWatcher to answer.
    void LeaveOpen() { leaveOpen_ = true; }
    const std::vector<SeenMessageBox>& Boxes() const { return boxes_; }
    void Clear() { boxes_.clear(); }

private:
    static LRESULT CALLBACK Hook(int code, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK BoxProcedure(HWND box, UINT message, WPARAM wParam, LPARAM lParam);
    // Records the box and returns the answer to give it.
    int See(HWND box);

    HHOOK hook_ = nullptr;
    bool leaveOpen_ = false;
    std::deque<int> answers_;
    std::vector<SeenMessageBox> boxes_;
};

// What a person saw of one box left open: still on screen after a moment, and gone once its
// OK button was pressed.
struct WatchedBox {
    std::string caption;
    bool openAfterWait;
    bool closedByButton;
};

// Watches, from a second thread, the boxes that the creating thread opens: waits for each to
// be shown, looks again after 400 ms, then presses its OK button (a box that ignores the
// button is ended anyway, so that no test hangs).
class BoxWatcher {
public:
    BoxWatcher();
    ~BoxWatcher();
    BoxWatcher(const BoxWatcher&) = delete;
    BoxWatcher& operator=(const BoxWatcher&) = delete;

    // Stops watching and returns what was seen, in order.
    std::vector<WatchedBox> Stop();

private:
    static DWORD WINAPI Watch(LPVOID self);

    DWORD thread_;
    HANDLE stop_;
    HANDLE watcher_;
    std::vector<WatchedBox> seen_;
};

// "error", "warning", ... for readable assertion messages.
const char* IconName(UINT icon);
// Checks one box: caption, text, owner, icon ("error", "warning", ...) and its buttons.
void ExpectBox(const SeenMessageBox& box, const std::string& caption, const std::string& text,
               HWND owner, const char* icon = "error", UINT buttons = MB_OK);

// One box as a test expects it to be shown, with a single OK button.
struct ExpectedBox {
    std::string caption;
    std::string text;
    HWND owner;
    const char* icon = "error";
};
// Exactly these boxes were shown, in this order (ExpectBox for each).
void ExpectBoxes(const std::vector<SeenMessageBox>& boxes,
                 const std::vector<ExpectedBox>& expected);
// "caption | text" for each box, for failure messages.
std::string Describe(const std::vector<SeenMessageBox>& boxes);
