// A 24-bit uncompressed Windows bitmap: BITMAPFILEHEADER, BITMAPINFOHEADER, then the
// rows bottom-up as blue, green, red, each row padded to a multiple of 4 bytes.
#pragma once

#include <cstdint>
#include <vector>

// `pixels` holds width * height colours 0xRRGGBB, rows top-down.
std::vector<std::uint8_t> EncodeBmp24(int width, int height,
                                      const std::vector<std::uint32_t>& pixels);
