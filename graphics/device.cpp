#include "graphics/graphics.h"
#include "graphics/scene.h"
#include "platform/report_box.h"
#include "time/frame_clock.h"

GraphicsRecord GraphicsState;

bool InitializeGraphics(HWND window) {
    StartFrameClock();
    GraphicsState.direct3d = Direct3DCreate9(D3D_SDK_VERSION);
    if (GraphicsState.direct3d == nullptr) {
        ShowReportBox(window, "DirectX failed to create a Direct3D9 interface",
                      "No D3D9 Interface", MB_ICONERROR);
        return false;
    }
    if (!CreateGraphicsDevice(window)) {
        ShutDownGraphics();
        return false;
    }
    GraphicsState.renderingWindow = window;
    SetUpScene();
    return true;
}

bool CreateGraphicsDevice(HWND window) {
    D3DPRESENT_PARAMETERS parameters = {};
    parameters.BackBufferWidth = BackBufferWidth;
    parameters.BackBufferHeight = BackBufferHeight;
    parameters.BackBufferFormat = D3DFMT_X8R8G8B8;
    parameters.BackBufferCount = 1;
    parameters.MultiSampleType = D3DMULTISAMPLE_NONE;
    parameters.MultiSampleQuality = 0;
    parameters.SwapEffect = D3DSWAPEFFECT_DISCARD;
    parameters.hDeviceWindow = window;
    parameters.Windowed = TRUE;
    parameters.EnableAutoDepthStencil = TRUE;
    parameters.AutoDepthStencilFormat = D3DFMT_D16;
    parameters.Flags = 0;
    parameters.FullScreen_RefreshRateInHz = 0;
    parameters.PresentationInterval = D3DPRESENT_INTERVAL_DEFAULT;
    // A windowed device needs a window to present into. Windows refuses one without; some
    // Direct3D implementations accept it and then draw nowhere, so refuse it here too.
    const HRESULT result =
        window == nullptr
            ? D3DERR_INVALIDCALL
            : GraphicsState.direct3d->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, window,
                                                   D3DCREATE_HARDWARE_VERTEXPROCESSING,
                                                   &parameters, &GraphicsState.device);
    if (FAILED(result)) {
        ShowReportBox(window, "DirectX failed to create a Direct3D9 device", "No D3D9 Device",
                      MB_ICONERROR);
        return false;
    }
    return true;
}

bool ShutDownGraphics() {
    if (GraphicsState.direct3d != nullptr) {
        if (GraphicsState.device != nullptr) {
            // The scene's buffers, shaders and textures belong to the device: let them go
            // while it is alive, so that its last Release frees it and no destructor
            // later calls into a released device.
            ReleaseScene();
            GraphicsState.device->Release();
            GraphicsState.device = nullptr;
        }
        GraphicsState.direct3d->Release();
        GraphicsState.direct3d = nullptr;
    }
    GraphicsState.renderingWindow = nullptr;
    return true;
}
