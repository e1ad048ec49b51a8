// The least a Direct3D 9 program does to show a first frame: the program's window and
// device (floor_device.h), one clear and one Present. Reports each step's end and quits.
#include <windows.h>

#include <d3d9.h>

#include "floor_device.h"
#include "startup_report.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand) {
    ReportStep("process start");
    HWND window = CreateFloorWindow(instance, showCommand);
    ReportStep("window");
    IDirect3D9* direct3d = window != nullptr ? Direct3DCreate9(D3D_SDK_VERSION) : nullptr;
    if (direct3d == nullptr) return 1;
    IDirect3DDevice9* device = CreateFloorDevice(direct3d, window);
    int status = 1;
    if (device != nullptr) {
        ReportStep("device");
        device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, D3DCOLOR_ARGB(255, 0, 0, 0),
                      1.0f, 0);
        device->Present(nullptr, nullptr, nullptr, nullptr);
        ReportStep("first frame");
        device->Release();
        status = 0;
    }
    direct3d->Release();
    DestroyWindow(window);
    return status;
}
