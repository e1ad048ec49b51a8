#include "dds_file.h"

#include <algorithm>

#include "little_endian.h"

namespace {
std::uint32_t Channel(std::uint32_t rgb, int shift) { return (rgb >> shift) & 0xFFu; }

// The next level down: each pixel the rounded mean of the block of the level above it.
std::vector<std::uint32_t> HalveLevel(int width, int height,
                                      const std::vector<std::uint32_t>& pixels) {
    const int halfWidth = std::max(width / 2, 1);
    const int halfHeight = std::max(height / 2, 1);
    const int blockWidth = width / halfWidth;
    const int blockHeight = height / halfHeight;
    const auto count = static_cast<std::uint32_t>(blockWidth * blockHeight);
    std::vector<std::uint32_t> half(static_cast<std::size_t>(halfWidth * halfHeight));
    for (int y = 0; y < halfHeight; ++y) {
        for (int x = 0; x < halfWidth; ++x) {
            std::uint32_t rgb = 0;
            for (int shift = 0; shift <= 16; shift += 8) {
                std::uint32_t sum = 0;
                for (int by = 0; by < blockHeight; ++by) {
                    for (int bx = 0; bx < blockWidth; ++bx) {
                        const int sx = x * blockWidth + bx;
                        const int sy = y * blockHeight + by;
                        sum += Channel(pixels[static_cast<std::size_t>(sy * width + sx)], shift);
                    }
                }
                rgb |= (sum + count / 2) / count << shift;
            }
            half[static_cast<std::size_t>(y * halfWidth + x)] = rgb;
        }
    }
    return half;
}
}  // namespace

std::vector<std::uint8_t> EncodeDds32(int width, int height,
                                      const std::vector<std::uint32_t>& pixels) {
    std::uint32_t levels = 1;
    while ((width >> (levels - 1)) > 1 || (height >> (levels - 1)) > 1) ++levels;

    std::vector<std::uint8_t> out;
    PutU32(out, 0x20534444);  // "DDS "
    PutU32(out, 124);         // header size
    // CAPS, HEIGHT, WIDTH, PITCH, PIXELFORMAT, MIPMAPCOUNT
    PutU32(out, 0x1 | 0x2 | 0x4 | 0x8 | 0x1000 | 0x20000);
    PutU32(out, static_cast<std::uint32_t>(height));
    PutU32(out, static_cast<std::uint32_t>(width));
    PutU32(out, static_cast<std::uint32_t>(width) * 4);  // bytes per row of the top level
    PutU32(out, 0);                                      // depth
    PutU32(out, levels);
    for (int reserved = 0; reserved < 11; ++reserved) PutU32(out, 0);
    PutU32(out, 32);    // pixel format size
    PutU32(out, 0x40);  // RGB, no alpha
    PutU32(out, 0);     // no FOURCC
    PutU32(out, 32);    // bits per pixel
    PutU32(out, 0x00FF0000);
    PutU32(out, 0x0000FF00);
    PutU32(out, 0x000000FF);
    PutU32(out, 0);                         // alpha mask
    PutU32(out, 0x1000 | 0x8 | 0x400000);   // TEXTURE, COMPLEX, MIPMAP
    for (int caps = 0; caps < 4; ++caps) PutU32(out, 0);

    std::vector<std::uint32_t> level = pixels;
    for (std::uint32_t index = 0; index < levels; ++index) {
        for (const std::uint32_t rgb : level) PutU32(out, rgb);  // B, G, R, then 0
        if (index + 1 < levels) {
            level = HalveLevel(width, height, level);
            width = std::max(width / 2, 1);
            height = std::max(height / 2, 1);
        }
    }
    return out;
}
