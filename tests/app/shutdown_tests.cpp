// Every way the program ends, from a running scene: each Direct3D object it made is released
// exactly once, the device after the scene and before the interface, and nothing is called on
// Direct3D once graphics are gone, not even by the scene objects' destructors.
#include <windows.h>

#include <string>
#include <vector>

#include "app/application.h"
#include "app/main_window.h"
#include "graphics/graphics.h"
#include "graphics/scene.h"
#include "platform/windows_error.h"
#include "support/program_test.h"

namespace {
// The report for a class that another window of it keeps registered.
ExpectedBox ClassKeptBox() {
    return {"Couldn't Unregister Main Window Class",
            "Windows failed to unregister the main window's class: " +
                FormatWindowsError(ERROR_CLASS_HAS_WINDOWS),
            nullptr};
}

// A handle that named a window once, made the main window: DestroyWindow refuses it.
HWND StaleMainWindow() {
    HWND window = CreateWindowExA(0, "STATIC", "gone", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                  GetModuleHandleA(nullptr), nullptr);
    DestroyWindow(window);
    ApplicationState.mainWindow = window;
    return window;
}

// The report for a window that cannot be destroyed, with the system's text for the reason
// (which Windows and Wine give differently for a stale handle).
ExpectedBox DestroyFailedBox(HWND window) {
    EXPECT_FALSE(DestroyWindow(window));
    return {"Couldn't Destroy Main Window",
            "Windows failed to destroy the main window: " + FormatLastWindowsError(), nullptr};
}

class ShutdownTest : public ProgramTest {
protected:
    void SetUp() override {
        ProgramTest::SetUp();
        ASSERT_TRUE(StartWindow());
        window_ = ApplicationState.mainWindow;
        ASSERT_TRUE(StartGraphics());
        ASSERT_TRUE(boxes_.Boxes().empty()) << Describe(boxes_.Boxes());
        ASSERT_NE(Device(), nullptr);
        // When the program lets go of the device, the scene must be gone and the interface not.
        Device()->OnCall(ProxyCall::Release, [this] {
            sceneLeftAtDeviceRelease_ =
                planeMesh.vertexBuffer != nullptr || cubeMesh.vertexDeclaration != nullptr ||
                planeMaterial.texture != nullptr || cubeMaterial.fragmentConstantTable != nullptr;
            interfaceRefsAtDeviceRelease_ = Interface()->References();
        });
    }

    // The user closes the window: the message loop ends with code 0 and the window is gone.
    void CloseTheWindow() {
        PostMessageA(window_, WM_CLOSE, 0, 0);
        RunMessageLoop();
        EXPECT_EQ(ApplicationState.exitCode, 0);
        EXPECT_EQ(ApplicationState.mainWindow, nullptr);
        EXPECT_FALSE(IsWindow(window_));
        EXPECT_GE(framesPresented_, 2u) << "a frame before the close and one after";
    }

    // ShutDownApplication, expecting it to release graphics: the program's one reference on
    // the device and on the interface is dropped, then the destructors' work calls nothing.
    void ExpectShutdownReleasesEverything(int32_t exitCode) {
        std::vector<HeldObject> held = HoldSceneObjects();
        ASSERT_FALSE(held.empty());
        const ULONG deviceRefs = Device()->References();
        const ULONG interfaceRefs = Interface()->References();
        const size_t interfaceCalls = Interface()->Log().size();

        EXPECT_EQ(ShutDownApplication(Instance()), exitCode);
        EXPECT_TRUE(boxes_.Boxes().empty()) << Describe(boxes_.Boxes());
        EXPECT_EQ(ApplicationState.mainWindow, nullptr);
        EXPECT_FALSE(IsWindow(window_));
        EXPECT_FALSE(MainWindowClassRegistered());
        ExpectNoGraphics();
        EXPECT_EQ(Device()->References(), deviceRefs - 1) << "the device released once";
        EXPECT_EQ(Interface()->References(), interfaceRefs - 1) << "the interface released once";
        EXPECT_EQ(Interface()->Log().size(), interfaceCalls + 1) << "nothing but that Release";
        EXPECT_FALSE(sceneLeftAtDeviceRelease_) << "the scene must go before the device";
        EXPECT_EQ(interfaceRefsAtDeviceRelease_, interfaceRefs) << "the device goes first";

        // At process end the runtime destroys the scene objects: they find nothing to release.
        const size_t deviceCalls = Device()->Log().size();
        ReleaseScene();
        EXPECT_EQ(Device()->Log().size(), deviceCalls) << "a destructor called the device";
        EXPECT_EQ(Interface()->Log().size(), interfaceCalls + 1);
        ExpectEachReleasedOnce(held);
        EXPECT_EQ(Device()->LiveBuffers(), 0u);
        EXPECT_EQ(Device()->References(), 1u) << "only the test's own reference is left";
        EXPECT_EQ(References(Device()->Real()), 2u) << "the proxy's and the test's";
        ExpectLastReleases();
    }

    // ShutDownApplication on a path that leaves graphics alone: no Direct3D call at all, these
    // boxes, and the class kept or not. Then the end of the process: the destructors release
    // the scene on a device that is still alive, once each; the device and the interface are
    // the only references the program still holds.
    void ExpectShutdownLeavesGraphics(int32_t exitCode, const std::vector<ExpectedBox>& boxes,
                                      bool classKept) {
        const size_t deviceCalls = Device()->Log().size();
        const size_t interfaceCalls = Interface()->Log().size();
        EXPECT_EQ(ShutDownApplication(Instance()), exitCode);
        EXPECT_EQ(Device()->Log().size(), deviceCalls);
        EXPECT_EQ(Interface()->Log().size(), interfaceCalls);
        EXPECT_EQ(GraphicsState.device, Device());
        EXPECT_EQ(GraphicsState.direct3d, Interface());
        ExpectBoxes(boxes_.Boxes(), boxes);
        EXPECT_EQ(MainWindowClassRegistered(), classKept) << "the class after shutdown";

        std::vector<HeldObject> held = HoldSceneObjects();
        ReleaseScene();
        ExpectEachReleasedOnce(held);
        EXPECT_EQ(Device()->LiveBuffers(), 0u);
        EXPECT_EQ(Device()->References(), 2u) << "the program's and the test's";
        EXPECT_EQ(Interface()->References(), 2u);
        // Stand in for the process's end, then check that nothing else held them.
        ShutDownGraphics();
        ExpectLastReleases();
    }

    HWND window_ = nullptr;
    bool sceneLeftAtDeviceRelease_ = true;
    ULONG interfaceRefsAtDeviceRelease_ = 0;
};

TEST_F(ShutdownTest, ClosedWindowThenShutdownReleasesEverythingOnce) {
    CloseTheWindow();
    ExpectShutdownReleasesEverything(0);
}

TEST_F(ShutdownTest, EscapeYesThenShutdownDestroysTheWindowAndReleasesEverythingOnce) {
    EscapeAnsweredYes();
    ExpectShutdownReleasesEverything(1);
    // Destroying the window posted a second quit message, which nothing reads.
    WPARAM code = 99;
    ASSERT_TRUE(TakeQuitMessage(&code));
    EXPECT_EQ(code, 0u);
}

// Not reachable in the program itself: mainWindow is either null or its own live window. A
// handle that no longer names a window stands in for a window that cannot be destroyed.
TEST_F(ShutdownTest, WindowThatCannotBeDestroyedLeavesGraphicsAlone) {
    CloseTheWindow();
    const HWND stale = StaleMainWindow();
    ExpectShutdownLeavesGraphics(0, {DestroyFailedBox(stale)}, false);
    EXPECT_EQ(ApplicationState.mainWindow, stale) << "left unchanged";
}

// Not reachable in the program itself either: the still-open main window keeps the class.
TEST_F(ShutdownTest, WindowAndClassThatCannotGoLeaveGraphicsAlone) {
    EscapeAnsweredYes();
    const HWND stale = StaleMainWindow();
    ExpectShutdownLeavesGraphics(1, {DestroyFailedBox(stale), ClassKeptBox()}, true);
    DestroyWindow(window_);
}

// A second window of the class stands in for a class that cannot be unregistered.
TEST_F(ShutdownTest, ClassThatCannotBeUnregisteredLeavesGraphicsAlone) {
    CloseTheWindow();
    HWND other = SecondMainClassWindow();
    ASSERT_NE(other, nullptr);
    ApplicationState.mainWindow = nullptr;
    ExpectShutdownLeavesGraphics(0, {ClassKeptBox()}, true);
    DestroyWindow(other);
}
}  // namespace
