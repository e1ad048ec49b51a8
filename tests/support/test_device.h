// A real window and a real Direct3D 9 device, set up in GraphicsState the way
// InitializeGraphics leaves them but without loading the scene.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "graphics/graphics.h"
#include "support/message_box_hook.h"

class DeviceTest : public ::testing::Test {
protected:
    void SetUp() override;     // window, interface, device; GraphicsState filled in
    void TearDown() override;  // releases them; fails the test if the device's last Release is not 0

    IDirect3DDevice9* Device() const { return GraphicsState.device; }
    HWND Window() const { return window_; }

    // The back buffer's pixels, 0xAARRGGBB, row after row.
    std::vector<uint32_t> ReadBackBuffer();
    // Reference count of the device as it stands.
    ULONG DeviceReferences();
    // Exactly one box was shown, owned by the window, and it is this one (ExpectBox).
    void ExpectOneBox(const std::string& caption, const std::string& text,
                      const char* icon = "error");

    MessageBoxHook boxes_;

private:
    HWND window_ = nullptr;
};

// A plain visible 800x600 window of a test class (not the program's main window).
HWND CreateTestWindow();
void DestroyTestWindow(HWND window);

// The back buffer's pixels, 0xAARRGGBB, row after row; empty when it cannot be read.
std::vector<uint32_t> ReadBackBuffer(IDirect3DDevice9* device);

// True when red, green and blue of two colours differ by at most `tolerance` each.
bool ColorsNear(uint32_t a, uint32_t b, int tolerance);
