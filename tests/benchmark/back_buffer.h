// Reading a frame back from the device, for checking what a frame drew.
#pragma once

#include <d3d9.h>

#include <cstdint>
#include <vector>


// The back buffer just before the next Present of a device whose Presents are timed
// (present_timer.h), stored in *pixels. Afterwards a discarded back buffer may read as black.
void CaptureNextFrame(std::vector<uint32_t>* pixels);

// Pixels whose red, green or blue differ by more than `tolerance`; every pixel when the
// sizes differ.
int PixelsApart(const std::vector<uint32_t>& a, const std::vector<uint32_t>& b, int tolerance);
// Pixels that are not black.
int LitPixels(const std::vector<uint32_t>& pixels);
