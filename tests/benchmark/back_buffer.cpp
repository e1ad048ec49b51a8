#include "back_buffer.h"

#include <algorithm>

#include "graphics/graphics.h"
#include "present_timer.h"
#include "support/test_device.h"

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
