#include "support/test_device.h"

#include "app/main_window.h"

namespace {
const char TestWindowClass[] = "Mirelth Test Window";

ATOM RegisterTestClass() {
    static ATOM atom = 0;
    if (atom == 0) {
        WNDCLASSEXA windowClass = {};
        windowClass.cbSize = sizeof windowClass;
        windowClass.lpfnWndProc = DefWindowProcA;
        windowClass.hInstance = GetModuleHandleA(nullptr);
        windowClass.lpszClassName = TestWindowClass;
        atom = RegisterClassExA(&windowClass);
    }
    return atom;
}
}  // namespace

HWND CreateTestWindow() {
    RegisterTestClass();
    RECT rect = {0, 0, static_cast<LONG>(BackBufferWidth), static_cast<LONG>(BackBufferHeight)};
    AdjustWindowRect(&rect, WS_OVERLAPPEDWINDOW, FALSE);
    HWND window = CreateWindowExA(0, TestWindowClass, "Mirelth test", WS_OVERLAPPEDWINDOW, 0, 0,
                                  rect.right - rect.left, rect.bottom - rect.top, nullptr,
                                  nullptr, GetModuleHandleA(nullptr), nullptr);
    ShowWindow(window, SW_SHOWNORMAL);
    return window;
}

void DestroyTestWindow(HWND window) {
    if (window != nullptr) DestroyWindow(window);
    DrainMessages();
}

void DrainMessages() {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    }
}

bool TakeQuitMessage(WPARAM* code) {
    MSG message;
    if (!PeekMessageA(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) return false;
    *code = message.wParam;
    return true;
}

bool MainWindowClassRegistered() {
    WNDCLASSEXA windowClass = {};
    windowClass.cbSize = sizeof windowClass;
    return GetClassInfoExA(GetModuleHandleA(nullptr), MainWindowClassName, &windowClass) != 0;
}

HWND SecondMainClassWindow() {
    HWND other = CreateWindowExA(0, MainWindowClassName, "other", WS_POPUP, 0, 0, 10, 10,
                                 nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    EXPECT_NE(other, nullptr);
    return other;
}

void DeviceTest::SetUp() {
    window_ = CreateTestWindow();
    ASSERT_NE(window_, nullptr);
    GraphicsState = GraphicsRecord{};
    GraphicsState.direct3d = Direct3DCreate9(D3D_SDK_VERSION);
    ASSERT_NE(GraphicsState.direct3d, nullptr) << "no Direct3D 9 (is DISPLAY set?)";
    ASSERT_TRUE(CreateGraphicsDevice(window_));
    GraphicsState.renderingWindow = window_;
}

void DeviceTest::TearDown() {
    if (GraphicsState.device != nullptr) {
        ULONG left = GraphicsState.device->Release();
        GraphicsState.device = nullptr;
        EXPECT_EQ(left, 0u) << "something still holds the device";
    }
    if (GraphicsState.direct3d != nullptr) {
        GraphicsState.direct3d->Release();
        GraphicsState.direct3d = nullptr;
    }
    GraphicsState.renderingWindow = nullptr;
    DestroyTestWindow(window_);
    window_ = nullptr;
}

ULONG DeviceTest::DeviceReferences() {
    Device()->AddRef();
    return Device()->Release();
}

std::vector<uint32_t> DeviceTest::ReadBackBuffer() { return ::ReadBackBuffer(Device()); }

std::vector<uint32_t> ReadBackBuffer(IDirect3DDevice9* device) {
    std::vector<uint32_t> pixels;
    IDirect3DSurface9* backBuffer = nullptr;
    IDirect3DSurface9* copy = nullptr;
    if (SUCCEEDED(device->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &backBuffer)) &&
        SUCCEEDED(device->CreateOffscreenPlainSurface(BackBufferWidth, BackBufferHeight,
                                                         D3DFMT_X8R8G8B8, D3DPOOL_SYSTEMMEM,
                                                         &copy, nullptr)) &&
        SUCCEEDED(device->GetRenderTargetData(backBuffer, copy))) {
        D3DLOCKED_RECT locked;
        if (SUCCEEDED(copy->LockRect(&locked, nullptr, D3DLOCK_READONLY))) {
            pixels.resize(static_cast<size_t>(BackBufferWidth) * BackBufferHeight);
            for (UINT y = 0; y < BackBufferHeight; ++y) {
                const auto* row = static_cast<const uint32_t*>(locked.pBits) +
                                  static_cast<size_t>(y) * (static_cast<size_t>(locked.Pitch) / 4);
                std::copy(row, row + BackBufferWidth, pixels.begin() + y * BackBufferWidth);
            }
            copy->UnlockRect();
        }
    }
    if (copy != nullptr) copy->Release();
    if (backBuffer != nullptr) backBuffer->Release();
    return pixels;
}

uint32_t PixelAt(const std::vector<uint32_t>& pixels, int x, int y) {
    return pixels[static_cast<size_t>(y) * BackBufferWidth + static_cast<size_t>(x)];
}

bool Lit(uint32_t pixel) {
    return ((pixel >> 16) & 0xFF) > 24 || ((pixel >> 8) & 0xFF) > 24 || (pixel & 0xFF) > 24;
}

void ExpectNoGraphics() {
    EXPECT_EQ(GraphicsState.device, nullptr);
    EXPECT_EQ(GraphicsState.direct3d, nullptr);
    EXPECT_EQ(GraphicsState.renderingWindow, nullptr);
}

bool ColorsNear(uint32_t a, uint32_t b, int tolerance) {
    for (int shift = 0; shift < 24; shift += 8) {  // X8R8G8B8: alpha is not kept
        int ca = static_cast<int>((a >> shift) & 0xFF);
        int cb = static_cast<int>((b >> shift) & 0xFF);
        if (ca - cb > tolerance || cb - ca > tolerance) return false;
    }
    return true;
}

void DeviceTest::ExpectOneBox(const std::string& caption, const std::string& text,
                              const char* icon) {
    ExpectBoxes(boxes_.Boxes(), {{caption, text, window_, icon}});
}
