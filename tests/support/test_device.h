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
// Destroys it and drops anything it left behind.
void DestroyTestWindow(HWND window);
// Drops every message queued for this thread (WM_QUIT from other code included).
void DrainMessages();
// Takes a pending WM_QUIT off the queue, giving its code; false when there is none.
bool TakeQuitMessage(WPARAM* code);
// True while the program's main window class is registered.
bool MainWindowClassRegistered();
// A second window of the program's class, which keeps the class from being unregistered.
HWND SecondMainClassWindow();

// The back buffer's pixels, 0xAARRGGBB, row after row; empty when it cannot be read.
std::vector<uint32_t> ReadBackBuffer(IDirect3DDevice9* device);

// The pixel at column x, row y of what ReadBackBuffer gave.
uint32_t PixelAt(const std::vector<uint32_t>& pixels, int x, int y);
// True when some colour channel of a pixel is above the black background's noise.
bool Lit(uint32_t pixel);

// GraphicsState holds no device, no interface and no rendering window.
void ExpectNoGraphics();

// True when red, green and blue of two colours differ by at most `tolerance` each.
bool ColorsNear(uint32_t a, uint32_t b, int tolerance);
