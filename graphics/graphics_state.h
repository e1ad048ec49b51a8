// The process-wide graphics record. Mesh and Material read the device and the owner window of
// their message boxes from it, so it includes nothing of the program's own.
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
