// The Direct3D 9 interface and device, the camera, and the per-frame work.
#pragma once

#include <d3d9.h>

#include "graphics/graphics_state.h"

enum : UINT { BackBufferWidth = 800, BackBufferHeight = 600 };

// Starts the frame clock, creates the interface and the device on the window, records
// the window and sets up the scene. False after a reported failure.
bool InitializeGraphics(HWND window);
bool CreateGraphicsDevice(HWND window);
// Releases the scene's device objects, then the device, then the interface. Always true.
bool ShutDownGraphics();

// One frame: clock, keys, movement, clear, plane, cube, present.
void RenderFrame();
