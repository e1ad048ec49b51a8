// Reports shown after the main window is gone, while its quit message is pending: each box is
// still on screen after a moment, closes when its OK button is pressed, and the quit message
// is still there afterwards with its code, so the program ends as it would have.
#include <windows.h>

#include <ostream>
#include <string>
#include <vector>

#include "app/application.h"
#include "app/main_window.h"
#include "support/direct3d_seam.h"
#include "support/program_test.h"
#include "support/import_hook.h"

namespace {
BOOL WINAPI RefusedMoveWindow(HWND, int, int, int, int, BOOL) {
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
}

struct LatePath {
    const char* name;
    bool throughShutdown;  // else start-up with a window that fails to be sized
    bool classKept;        // a second window of the class keeps it from being unregistered
    bool noInterface;      // Direct3DCreate9 returns null
    int exitCode;
    std::vector<std::string> captions;  // every box, in order ("Error" is the default caption)
};

const LatePath LatePaths[] = {
    {"NoDeviceAfterAFailedResize", false, false, false, 0, {"Error", "No D3D9 Device"}},
    {"ClassAndInterfaceAfterAFailedResize", false, true, true, 0,
     {"Error", "Couldn't Unregister Main Window Class", "No D3D9 Interface"}},
    {"ClassAtShutdownAfterEscape", true, true, false, 1,
     {"Couldn't Unregister Main Window Class"}},
};

void PrintTo(const LatePath& path, std::ostream* out) { *out << path.name; }

class LateReportTest : public ProgramTest, public ::testing::WithParamInterface<LatePath> {};

TEST_P(LateReportTest, StaysOpenUntilAnsweredAndTheQuitIsKept) {
    const LatePath& path = GetParam();
    Seam().returnNull = path.noInterface;
    HWND other = nullptr;
    auto keepClass = [&] {
        if (path.classKept) other = SecondMainClassWindow();
    };
    std::vector<WatchedBox> seen;

    if (path.throughShutdown) {
        ASSERT_TRUE(StartWindow());
        ASSERT_TRUE(StartGraphics());
        ASSERT_NO_FATAL_FAILURE(EscapeAnsweredYes());
        keepClass();
        boxes_.LeaveOpen();
        BoxWatcher watcher;
        // Destroying the window posts the quit message that the report must outlast.
        EXPECT_EQ(ShutDownApplication(Instance()), path.exitCode);
        seen = watcher.Stop();
    } else {
        ImportPatch moveWindow("user32.dll", "MoveWindow",
                               reinterpret_cast<void*>(&RefusedMoveWindow));
        ASSERT_TRUE(moveWindow.Installed());
        ASSERT_NE(RegisterMainWindowClass(Instance()), 0);
        keepClass();
        boxes_.LeaveOpen();
        BoxWatcher watcher;
        // The rest of WinMain's steps 2 and 3: the sizing fails and the window is destroyed.
        ApplicationState.mainWindow = CreateMainWindow(Instance(), SW_SHOWNORMAL);
        EXPECT_EQ(ApplicationState.mainWindow, nullptr);
        if (UnregisterClassA(MainWindowClassName, Instance()) == 0) ReportUnregisterFailure();
        EXPECT_FALSE(StartGraphics());
        seen = watcher.Stop();
    }

    std::vector<std::string> captions;
    for (const SeenMessageBox& box : boxes_.Boxes()) captions.push_back(box.caption);
    EXPECT_EQ(captions, path.captions) << Describe(boxes_.Boxes());
    ASSERT_EQ(seen.size(), captions.size()) << "some boxes were never on screen";
    for (const WatchedBox& box : seen) {
        EXPECT_TRUE(box.openAfterWait) << box.caption << " closed by itself";
        EXPECT_TRUE(box.closedByButton) << box.caption << " did not close on OK";
    }
    WPARAM code = 99;
    ASSERT_TRUE(TakeQuitMessage(&code)) << "the window's quit message was lost";
    EXPECT_EQ(code, 0u);
    if (other != nullptr) DestroyWindow(other);
}

INSTANTIATE_TEST_SUITE_P(AfterTheWindow, LateReportTest, ::testing::ValuesIn(LatePaths),
                         ::testing::PrintToStringParamName());
}  // namespace
