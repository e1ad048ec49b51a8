// The program's own start-up and shutdown steps, called in WinMain's order (app/main.cpp), on
// the real Direct3D seen through proxies from its very first call. The interface and the
// device that the program creates each get one extra reference held here, on the proxy and on
// the real object, so that what happens to them after the program lets go can still be seen.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "support/direct3d_proxy.h"
#include "support/capture.h"
#include "support/device_proxy.h"
#include "support/message_box_hook.h"
#include "support/test_device.h"

// One extra reference on a Direct3D or D3DX object, for checking how often it is released.
struct HeldObject {
    std::string name;
    IUnknown* object;
};

class ProgramTest : public ::testing::Test {
protected:
    // Every process-wide record zero and the four scene objects freshly constructed, as
    // before the program's entry point runs.
    void SetUp() override;
    // Takes down whatever the test left (graphics, windows, the class, queued messages).
    void TearDown() override;

    static HINSTANCE Instance() { return GetModuleHandleA(nullptr); }
    // WinMain steps 1 and 2: register the class, create the main window, keep it in mainWindow.
    bool StartWindow();
    // WinMain step 3 without its exit: InitializeGraphics with mainWindow as it stands.
    bool StartGraphics();
    // The user presses Escape and answers Yes: the loop ends with code 1, the window stays.
    void EscapeAnsweredYes();
    // Runs on the device before the scene loads (set it before StartGraphics).
    std::function<void(DeviceProxy*)> prepareDevice_;
    // Runs on the interface before InitializeGraphics uses it (set it before StartGraphics).
    std::function<void(Direct3DProxy*)> prepareInterface_;

    Direct3DProxy* Interface() const { return interface_; }  // null when none was created
    DeviceProxy* Device() const { return device_; }          // null when none was created
    static ULONG References(IUnknown* object);

    // One extra reference on every Direct3D object the four scene objects hold.
    static std::vector<HeldObject> HoldSceneObjects();
    // Drops those references, expecting each to be the last: the program released each one
    // exactly once (a second release would have freed it under the test's reference).
    static void ExpectEachReleasedOnce(std::vector<HeldObject>& held);
    // Drops the references held on the proxies and then on the real device and interface;
    // the real ones' last Release must return 0. Done by TearDown when a test did not.
    void ExpectLastReleases();

    // Frames presented so far. A message loop that never ends is stopped after many frames
    // with the quit code 99, so that such a fault fails instead of hanging.
    unsigned framesPresented_ = 0;

    MessageBoxHook boxes_;
    StandardErrorCapture errors_;

private:
    Direct3DProxy* interface_ = nullptr;
    IDirect3D9* realInterface_ = nullptr;
    DeviceProxy* device_ = nullptr;
    IDirect3DDevice9* realDevice_ = nullptr;
};
