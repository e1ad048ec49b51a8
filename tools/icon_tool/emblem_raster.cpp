#include "emblem_raster.h"

#include <algorithm>

namespace {

constexpr int kSamplesPerAxis = 8;
constexpr int kSamples = kSamplesPerAxis * kSamplesPerAxis;

bool Covers(const EmblemShape& shape, float x, float y) {
    if (shape.kind == EmblemShape::Kind::Circle) {
        const float dx = x - shape.a;
        const float dy = y - shape.b;
        return dx * dx + dy * dy <= shape.c * shape.c;
    }
    return x >= shape.a && x < shape.a + shape.c && y >= shape.b && y < shape.b + shape.d;
}

// The colour index of the topmost shape at a point, or -1.
int ColorAt(const Emblem& emblem, float x, float y) {
    for (auto shape = emblem.shapes.rbegin(); shape != emblem.shapes.rend(); ++shape) {
        if (Covers(*shape, x, y)) return shape->colorIndex;
    }
    return -1;
}

std::uint32_t Channel(std::uint32_t rgb, int shift) { return (rgb >> shift) & 0xFFu; }

}  // namespace

EmblemImage DrawEmblem(const Emblem& emblem, int size) {
    EmblemImage image;
    image.size = size;
    const std::size_t pixels = static_cast<std::size_t>(size) * static_cast<std::size_t>(size);
    image.alpha.assign(pixels, 0);
    image.rgb.assign(pixels, 0);
    image.colorIndex.assign(pixels, -1);

    const float unitsPerSample = emblem.canvas / static_cast<float>(size * kSamplesPerAxis);
    std::vector<int> votes(emblem.colors.size());
    for (int py = 0; py < size; ++py) {
        for (int px = 0; px < size; ++px) {
            std::fill(votes.begin(), votes.end(), 0);
            std::uint32_t sums[3] = {0, 0, 0};
            std::uint32_t covered = 0;
            for (int sy = 0; sy < kSamplesPerAxis; ++sy) {
                for (int sx = 0; sx < kSamplesPerAxis; ++sx) {
                    const int sampleX = px * kSamplesPerAxis + sx;
                    const int sampleY = py * kSamplesPerAxis + sy;
                    const float x = (static_cast<float>(sampleX) + 0.5f) * unitsPerSample;
                    const float y = (static_cast<float>(sampleY) + 0.5f) * unitsPerSample;
                    const int index = ColorAt(emblem, x, y);
                    if (index < 0) continue;
                    ++votes[static_cast<std::size_t>(index)];
                    const std::uint32_t rgb = emblem.colors[static_cast<std::size_t>(index)];
                    sums[0] += Channel(rgb, 16);
                    sums[1] += Channel(rgb, 8);
                    sums[2] += Channel(rgb, 0);
                    ++covered;
                }
            }
            const std::size_t at = static_cast<std::size_t>(py * size + px);
            image.alpha[at] = static_cast<std::uint8_t>((covered * 255 + kSamples / 2) / kSamples);
            if (covered == 0) continue;
            std::uint32_t rgb = 0;
            for (const std::uint32_t sum : sums) rgb = (rgb << 8) | ((sum + covered / 2) / covered);
            image.rgb[at] = rgb;
            if (covered * 2 >= kSamples) {
                std::size_t best = 0;
                for (std::size_t i = 1; i < votes.size(); ++i) {
                    if (votes[i] > votes[best]) best = i;
                }
                image.colorIndex[at] = static_cast<int>(best);
            }
        }
    }
    return image;
}
