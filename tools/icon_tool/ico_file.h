// The Windows .ico container: a directory of images, each a DIB of doubled height holding
// the colour (XOR) bitmap and then the 1-bit transparency (AND) mask, both bottom-up with
// rows padded to 4 bytes.
#pragma once

#include "emblem_raster.h"

#include <cstdint>
#include <vector>

struct IconImage {
    const EmblemImage* pixels = nullptr;
    int bitsPerPixel = 32;  // 4 and 8 use the palette, 32 is BGRA with straight alpha
};

// `palette` holds the emblem's colours as 0xRRGGBB; in 4- and 8-bit images entry 0 is
// black, for the pixels that the mask makes transparent, and the emblem's colours follow.
std::vector<std::uint8_t> EncodeIcon(const std::vector<IconImage>& images,
                                     const std::vector<std::uint32_t>& palette);
