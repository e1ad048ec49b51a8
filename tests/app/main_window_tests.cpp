#include <gtest/gtest.h>

#include <set>
#include <utility>
#include <vector>

#include "app/application.h"
#include "app/main_window.h"
#include "platform/windows_error.h"
#include "mirelth_version.h"
#include "support/message_box_hook.h"
#include "support/test_device.h"

#include <winver.h>  // after windows.h, which WIN32_LEAN_AND_MEAN keeps from including it

namespace {
HINSTANCE Instance() { return GetModuleHandleA(nullptr); }

// Where the window stood each time it was about to move, and where it was asked to go.
struct Move {
    RECT before;
    WINDOWPOS target;
};
std::vector<Move> moves;

LRESULT CALLBACK WatchMoves(int code, WPARAM wParam, LPARAM lParam) {
    const auto* call = reinterpret_cast<const CWPSTRUCT*>(lParam);
    char className[64] = {};
    if (code == HC_ACTION && call->message == WM_WINDOWPOSCHANGING &&
        GetClassNameA(call->hwnd, className, sizeof className) > 0 &&
        lstrcmpA(className, MainWindowClassName) == 0) {
        Move move{};
        GetWindowRect(call->hwnd, &move.before);
        move.target = *reinterpret_cast<const WINDOWPOS*>(call->lParam);
        moves.push_back(move);
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

// Each test registers the class and makes the window, watching it move, and takes both
// down again.
class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        ApplicationState = ApplicationRecord{};
        ASSERT_NE(RegisterMainWindowClass(Instance()), 0);
        moves.clear();
        HHOOK hook = SetWindowsHookExA(WH_CALLWNDPROC, WatchMoves, nullptr, GetCurrentThreadId());
        window = CreateMainWindow(Instance(), SW_SHOWNORMAL);
        ApplicationState.mainWindow = window;
        UnhookWindowsHookEx(hook);
        ASSERT_NE(window, nullptr);
    }
    void TearDown() override {
        DestroyMainWindow();
        UnregisterClassA(MainWindowClassName, Instance());
        DrainMessages();
    }
    HWND window = nullptr;
    MessageBoxHook boxes;
};
}  // namespace

TEST_F(MainWindowTest, ClientAreaIsExactly800By600AndTheCornerStaysPut) {
    RECT client;
    ASSERT_TRUE(GetClientRect(window, &client));
    EXPECT_EQ(client.right - client.left, 800);
    EXPECT_EQ(client.bottom - client.top, 600);

    // The sizing move keeps the top-left corner where the default placement put it.
    RECT now;
    ASSERT_TRUE(GetWindowRect(window, &now));
    bool sized = false;
    for (const Move& move : moves) {
        if (move.target.flags & SWP_NOSIZE) continue;
        sized = true;
        EXPECT_EQ(move.target.x, move.before.left);
        EXPECT_EQ(move.target.y, move.before.top);
        EXPECT_EQ(now.left, move.before.left);
        EXPECT_EQ(now.top, move.before.top);
    }
    EXPECT_TRUE(sized) << "the window was never sized";
    EXPECT_TRUE(IsWindowVisible(window));
    EXPECT_TRUE(boxes.Boxes().empty());
}

TEST_F(MainWindowTest, CannotBeResizedOrMaximisedButCanBeMinimised) {
    const LONG_PTR style = GetWindowLongPtrA(window, GWL_STYLE);
    EXPECT_EQ(style & WS_THICKFRAME, 0);
    EXPECT_EQ(style & WS_MAXIMIZEBOX, 0);
    EXPECT_EQ(style & (WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX),
              WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX);
    EXPECT_EQ(GetWindowLongPtrA(window, GWL_EXSTYLE) & WS_EX_OVERLAPPEDWINDOW,
              WS_EX_OVERLAPPEDWINDOW);
    char title[64] = {};
    GetWindowTextA(window, title, sizeof title);
    EXPECT_STREQ(title, "Bexa's Mirelth Game");
}

TEST_F(MainWindowTest, ClassCarriesTheProcedureIconsCursorAndBackground) {
    WNDCLASSEXA windowClass = {};
    windowClass.cbSize = sizeof windowClass;
    ASSERT_TRUE(GetClassInfoExA(Instance(), "Bexa's Main Window Class", &windowClass));
    EXPECT_EQ(windowClass.style, 0u);
    EXPECT_EQ(windowClass.lpfnWndProc, &MainWindowProcedure);
    EXPECT_NE(windowClass.hIcon, nullptr);
    EXPECT_NE(windowClass.hIconSm, nullptr);
    EXPECT_EQ(windowClass.hCursor, LoadCursorA(nullptr, IDC_ARROW));
    EXPECT_EQ(windowClass.hbrBackground, reinterpret_cast<HBRUSH>(COLOR_BACKGROUND + 1));
    EXPECT_EQ(windowClass.lpszMenuName, nullptr);
}

TEST(MainWindowResources, BothIconGroupsHoldTheEightImages) {
#pragma pack(push, 2)
    struct GroupEntry {
        BYTE width, height, colorCount, reserved;
        WORD planes, bitCount;
        DWORD bytesInResource;
        WORD id;
    };
    struct GroupHeader {
        WORD reserved, type, count;
    };
#pragma pack(pop)
    const std::set<std::pair<int, int>> expected = {{32, 4},  {16, 4},  {48, 8},  {32, 8},
                                                    {16, 8},  {48, 32}, {32, 32}, {16, 32}};
    for (WORD group : {WORD{107}, WORD{108}}) {
        HRSRC found = FindResourceA(nullptr, MAKEINTRESOURCEA(group), MAKEINTRESOURCEA(14));
        ASSERT_NE(found, nullptr) << group;
        const auto* header = static_cast<const GroupHeader*>(LockResource(LoadResource(nullptr, found)));
        ASSERT_EQ(header->count, 8) << group;
        const auto* entries = reinterpret_cast<const GroupEntry*>(header + 1);
        std::set<std::pair<int, int>> seen;
        for (int i = 0; i < header->count; ++i) {
            const int side = entries[i].width == 0 ? 256 : entries[i].width;
            EXPECT_EQ(entries[i].width, entries[i].height);
            seen.insert({side, entries[i].bitCount});
        }
        EXPECT_EQ(seen, expected) << group;
    }
}

// What Windows' file properties show for the program, read through Windows' own API.
TEST(MainWindowResources, FilePropertiesShowTheVersionAndProductName) {
    const char* program = "mirelth.exe";  // tests run in the build tree
    DWORD unused = 0;
    const DWORD size = GetFileVersionInfoSizeA(program, &unused);
    ASSERT_GT(size, 0u);
    std::vector<char> info(size);
    ASSERT_TRUE(GetFileVersionInfoA(program, 0, size, info.data()));
    void* value = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueA(info.data(), "\\", &value, &length));
    ASSERT_EQ(length, sizeof(VS_FIXEDFILEINFO));
    const auto* fixed = static_cast<const VS_FIXEDFILEINFO*>(value);
    const WORD version[] = {MIRELTH_VERSION_COMMA};
    EXPECT_EQ(fixed->dwFileVersionMS, MAKELONG(version[1], version[0]));
    EXPECT_EQ(fixed->dwFileVersionLS, MAKELONG(version[3], version[2]));
    EXPECT_EQ(fixed->dwProductVersionMS, fixed->dwFileVersionMS);
    EXPECT_EQ(fixed->dwProductVersionLS, fixed->dwFileVersionLS);
    ASSERT_TRUE(VerQueryValueA(info.data(), "\\VarFileInfo\\Translation", &value, &length));
    ASSERT_GE(length, 4u);
    const auto* translation = static_cast<const WORD*>(value);
    const std::pair<const char*, const char*> expected[] = {
        {"ProductName", "Bexa's Mirelth Game"},
        {"FileVersion", MIRELTH_VERSION_TEXT},
        {"ProductVersion", MIRELTH_VERSION_TEXT}};
    for (const auto& [name, text] : expected) {
        char query[64];
        wsprintfA(query, "\\StringFileInfo\\%04x%04x\\%s", translation[0], translation[1], name);
        ASSERT_TRUE(VerQueryValueA(info.data(), query, &value, &length)) << query;
        EXPECT_STREQ(static_cast<const char*>(value), text) << query;
    }
}

TEST_F(MainWindowTest, EscapeAsksAndNoChangesNothing) {
    boxes.QueueAnswer(IDNO);
    SendMessageA(window, WM_CHAR, 27, 0);
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    ExpectBox(boxes.Boxes()[0], "Exit Program?", "Are you sure you want to quit?", window,
              "question", MB_YESNO);
    WPARAM code = 99;
    EXPECT_FALSE(TakeQuitMessage(&code));
    EXPECT_TRUE(IsWindow(window));
    EXPECT_EQ(ApplicationState.mainWindow, window);
}

TEST_F(MainWindowTest, EscapeAnsweredYesPostsQuitWithCodeOne) {
    boxes.QueueAnswer(IDYES);
    EXPECT_EQ(SendMessageA(window, WM_CHAR, 27, 0), 0);
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    WPARAM code = 99;
    ASSERT_TRUE(TakeQuitMessage(&code));
    EXPECT_EQ(code, 1u);
}

TEST_F(MainWindowTest, OnlyTheEscapeCharacterAsks) {
    SendMessageA(window, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
    SendMessageA(window, WM_CHAR, 'q', 0);
    EXPECT_TRUE(boxes.Boxes().empty());
}

TEST_F(MainWindowTest, DestroyingTheWindowClearsItAndQuitsWithZero) {
    ASSERT_TRUE(DestroyWindow(window));
    EXPECT_EQ(ApplicationState.mainWindow, nullptr);
    WPARAM code = 99;
    ASSERT_TRUE(TakeQuitMessage(&code));
    EXPECT_EQ(code, 0u);
    // With the window gone, shutdown has nothing to destroy.
    EXPECT_TRUE(DestroyMainWindow());
    EXPECT_TRUE(boxes.Boxes().empty());
}

TEST_F(MainWindowTest, ShutDownDestroysTheWindowAndUnregistersTheClass) {
    ApplicationState.exitCode = 1;
    EXPECT_EQ(ShutDownApplication(Instance()), 1);
    EXPECT_EQ(ApplicationState.mainWindow, nullptr);
    EXPECT_FALSE(MainWindowClassRegistered());
    EXPECT_TRUE(boxes.Boxes().empty());
}

TEST_F(MainWindowTest, FailuresAreReportedWithTheSystemText) {
    // Registering again fails: the class exists.
    EXPECT_EQ(RegisterMainWindowClass(Instance()), 0);
    EXPECT_FALSE(ReportUnregisterFailure());
    ASSERT_EQ(boxes.Boxes().size(), 2u);
    ExpectBox(boxes.Boxes()[0], "No Main Window Class",
              "Windows failed to register the main window's class: " +
                  FormatWindowsError(ERROR_CLASS_ALREADY_EXISTS),
              nullptr);
    EXPECT_EQ(boxes.Boxes()[1].caption, "Couldn't Unregister Main Window Class");
    EXPECT_EQ(boxes.Boxes()[1].text.rfind("Windows failed to unregister the main window's class: ", 0), 0u);
    EXPECT_EQ(boxes.Boxes()[1].buttons, static_cast<UINT>(MB_OK));
}
