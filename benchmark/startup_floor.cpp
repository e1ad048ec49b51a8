// The least a Direct3D 9 program does to show a first frame: a window and a device like the
// program's (the same style and 800 by 600 client area, the same presentation parameters),
// one clear and one Present. Written out here rather than taken from the program: linking any
// of the program's code would pull in all of it, and D3DX with it, whose loading the floor
// must not pay. Reports each step's end and quits.
#include <windows.h>

#include <d3d9.h>

#include "startup_report.h"

namespace {
HWND CreateFloorWindow(HINSTANCE instance, int showCommand) {
    WNDCLASSEXA windowClass = {};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BACKGROUND + 1);
    windowClass.lpszClassName = "Mirelth Start-up Floor";
    if (RegisterClassExA(&windowClass) == 0) return nullptr;
    HWND window = CreateWindowExA(WS_EX_OVERLAPPEDWINDOW, windowClass.lpszClassName,
                                  "Bexa's Mirelth Game", WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX,
                                  CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                                  nullptr, nullptr, instance, nullptr);
    if (window == nullptr) return nullptr;
    RECT windowRect;
    RECT clientRect;
    GetWindowRect(window, &windowRect);
    GetClientRect(window, &clientRect);
    MoveWindow(window, windowRect.left, windowRect.top,
               windowRect.right - clientRect.right - windowRect.left + 800,
               windowRect.bottom - clientRect.bottom - windowRect.top + 600, TRUE);
    ShowWindow(window, showCommand);
    return window;
}

IDirect3DDevice9* CreateFloorDevice(IDirect3D9* direct3d, HWND window) {
    D3DPRESENT_PARAMETERS parameters = {};
    parameters.BackBufferWidth = 800;
    parameters.BackBufferHeight = 600;
    parameters.BackBufferFormat = D3DFMT_X8R8G8B8;
    parameters.BackBufferCount = 1;
    parameters.SwapEffect = D3DSWAPEFFECT_DISCARD;
    parameters.hDeviceWindow = window;
    parameters.Windowed = TRUE;
    parameters.EnableAutoDepthStencil = TRUE;
    parameters.AutoDepthStencilFormat = D3DFMT_D16;
    parameters.PresentationInterval = D3DPRESENT_INTERVAL_DEFAULT;
    IDirect3DDevice9* device = nullptr;
    if (FAILED(direct3d->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, window,
                                      D3DCREATE_HARDWARE_VERTEXPROCESSING, &parameters,
                                      &device))) {
        return nullptr;
    }
    return device;
}
}  // namespace

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
