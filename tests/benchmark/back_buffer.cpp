#include "back_buffer.h"

#include <algorithm>

#include "graphics/graphics.h"
#include "present_timer.h"

std::vector<uint32_t> ReadBackBuffer(IDirect3DDevice9* device) {
    std::vector<uint32_t> pixels;
    IDirect3DSurface9* backBuffer = nullptr;
    IDirect3DSurface9* copy = nullptr;
    if (SUCCEEDED(device->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &backBuffer)) &&
        SUCCEEDED(device->CreateOffscreenPlainSurface(BackBufferWidth, BackBufferHeight,
                                                      D3DFMT_X8R8G8B8, D3DPOOL_SYSTEMMEM, &copy,
                                                      nullptr)) &&
        SUCCEEDED(device->GetRenderTargetData(backBuffer, copy))) {
        D3DLOCKED_RECT locked;
        if (SUCCEEDED(copy->LockRect(&locked, nullptr, D3DLOCK_READONLY))) {
            pixels.reserve(static_cast<size_t>(BackBufferWidth) * BackBufferHeight);
            for (UINT y = 0; y < BackBufferHeight; ++y) {
                const auto* row = reinterpret_cast<const uint32_t*>(
                    static_cast<const char*>(locked.pBits) +
                    static_cast<size_t>(y) * static_cast<size_t>(locked.Pitch));
                pixels.insert(pixels.end(), row, row + BackBufferWidth);
            }
            copy->UnlockRect();
        }
    }
    if (copy != nullptr) copy->Release();
    if (backBuffer != nullptr) backBuffer->Release();
    return pixels;
}

namespace {
void StorePixels(IDirect3DDevice9* device, void* pixels) {
    *static_cast<std::vector<uint32_t>*>(pixels) = ReadBackBuffer(device);
}
}  // namespace

void CaptureNextFrame(std::vector<uint32_t>* pixels) { CaptureNextPresent(StorePixels, pixels); }

int PixelsApart(const std::vector<uint32_t>& a, const std::vector<uint32_t>& b, int tolerance) {
    if (a.size() != b.size()) return static_cast<int>(std::max(a.size(), b.size()));
    int apart = 0;
    for (size_t i = 0; i < a.size(); ++i) {
        for (int shift = 0; shift < 24; shift += 8) {
            const int difference =
                static_cast<int>((a[i] >> shift) & 0xFF) - static_cast<int>((b[i] >> shift) & 0xFF);
            if (difference > tolerance || difference < -tolerance) {
                ++apart;
                break;
            }
        }
    }
    return apart;
}

int LitPixels(const std::vector<uint32_t>& pixels) {
    return static_cast<int>(std::count_if(pixels.begin(), pixels.end(),
                                          [](uint32_t pixel) { return (pixel & 0xFFFFFFu) != 0; }));
}
