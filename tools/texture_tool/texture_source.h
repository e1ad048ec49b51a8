// A checker texture as its readable source gives it.
//
// Source lines:
//   size W H                       image size in pixels, each a power of two up to 4096
//   checker S #RRGGBB #RRGGBB      squares of S pixels; the first colour is the top-left
//                                  square's, the second the other's
//   rect #RRGGBB X Y W H           a filled rectangle painted over the checker, top-left
//                                  corner and size in pixels from the image's top left;
//                                  it must lie inside the image
// "size" and "checker" come once each, before any "rect". Rectangles are painted in order.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct TextureRect {
    std::uint32_t rgb = 0;  // 0xRRGGBB
    int x = 0, y = 0, width = 0, height = 0;
};

struct TextureSource {
    int width = 0, height = 0;
    int square = 0;
    std::uint32_t firstColor = 0, secondColor = 0;  // 0xRRGGBB
    std::vector<TextureRect> rects;
};

constexpr int kMaxTextureSide = 4096;

// Reads and checks the source. On bad input returns false with `error` naming the file
// and line.
bool LoadTextureSource(const std::string& path, TextureSource& texture, std::string& error);

// The picture, rows top-down, one 0xRRGGBB per pixel.
std::vector<std::uint32_t> PaintTexture(const TextureSource& texture);
