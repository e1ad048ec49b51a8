// Drawing the emblem at one pixel size.
#pragma once

#include "emblem.h"

#include <cstdint>
#include <vector>

// One square image, rows top-down. Each pixel is sampled on an 8 by 8 grid.
struct EmblemImage {
    int size = 0;
    std::vector<std::uint8_t> alpha;  // share of the pixel that shapes cover, 0..255
    std::vector<std::uint32_t> rgb;   // mean colour of the covered samples, 0xRRGGBB
    std::vector<int> colorIndex;      // the emblem colour of most samples; -1 where more
                                      // than half of the pixel is uncovered
};

EmblemImage DrawEmblem(const Emblem& emblem, int size);
