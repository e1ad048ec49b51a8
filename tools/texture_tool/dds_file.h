// An uncompressed DirectDraw Surface: the 128-byte header, then every level of the mip
// chain down to 1 by 1, each level's rows top-down as 32-bit X8R8G8B8 pixels (blue, green,
// red, unused). D3DX copies such levels straight into a texture: no image decoder runs
// and no mip level is filtered at load time.
#pragma once

#include <cstdint>
#include <vector>

// `pixels` holds width * height colours 0xRRGGBB, rows top-down. Each smaller level is the
// previous one halved in each direction (not below 1), every pixel the rounded mean of the
// two or four it covers.
std::vector<std::uint8_t> EncodeDds32(int width, int height,
                                      const std::vector<std::uint32_t>& pixels);
