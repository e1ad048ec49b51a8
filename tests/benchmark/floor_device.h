// The start-up floors' window and device, made as the program makes its own: the same
// window style with an 800 by 600 client area, shown, and a device with the same
// presentation parameters.
#pragma once

#include <windows.h>

#include <d3d9.h>

HWND CreateFloorWindow(HINSTANCE instance, int showCommand);
// Null on failure.
IDirect3DDevice9* CreateFloorDevice(IDirect3D9* direct3d, HWND window);
