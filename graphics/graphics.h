// The Direct3D 9 interface and device, the camera, and the per-frame work.
#pragma once

#include <d3d9.h>

struct Vector3 {
    float x, y, z;
};

struct Camera {
    Vector3 position;
    float nearPlane;
    float farPlane;
    float fieldOfView;  // vertical, radians
};

struct GraphicsRecord {
    IDirect3DDevice9* device;  // one owned reference, null when absent
    IDirect3D9* direct3d;      // one owned reference, null when absent
    HWND renderingWindow;      // not owned; owner of the asset loaders' message boxes
    Vector3 objectMovement;    // the cube's displacement, carried from frame to frame
    Vector3 cameraMovement;    // the camera's displacement, carried from frame to frame
    Camera camera;
};

// Zero before WinMain runs.
extern GraphicsRecord GraphicsState;

enum : UINT { BackBufferWidth = 800, BackBufferHeight = 600 };

// Starts the frame clock, creates the interface and the device on the window, records
// the window and sets up the scene. False after a reported failure.
bool InitializeGraphics(HWND window);
bool CreateGraphicsDevice(HWND window);
// Releases the scene's device objects, then the device, then the interface. Always true.
bool ShutDownGraphics();

// One frame: clock, keys, movement, clear, plane, cube, present.
void RenderFrame();
