#include "ico_file.h"

#include "little_endian.h"

namespace {

constexpr std::uint32_t kDirectoryBytes = 6;
constexpr std::uint32_t kEntryBytes = 16;
constexpr std::uint32_t kInfoHeaderBytes = 40;

std::uint32_t RowBytes(int width, int bitsPerPixel) {
    return static_cast<std::uint32_t>((width * bitsPerPixel + 31) / 32 * 4);
}

std::uint32_t PaletteEntries(int bitsPerPixel) {
    return bitsPerPixel <= 8 ? 1u << bitsPerPixel : 0u;
}

std::uint32_t ImageBytes(const IconImage& image) {
    const int size = image.pixels->size;
    const auto rows = static_cast<std::uint32_t>(size);
    return kInfoHeaderBytes + 4 * PaletteEntries(image.bitsPerPixel) +
           rows * RowBytes(size, image.bitsPerPixel) + rows * RowBytes(size, 1);
}

bool Transparent(const IconImage& image, std::size_t at) {
    return image.bitsPerPixel == 32 ? image.pixels->alpha[at] == 0
                                    : image.pixels->colorIndex[at] < 0;
}

void PutColorRow(std::vector<std::uint8_t>& out, const IconImage& image, int y) {
    const EmblemImage& pixels = *image.pixels;
    const std::size_t rowStart = out.size();
    std::uint32_t pending = 0;  // bits of a 4-bit pixel pair not yet written
    for (int x = 0; x < pixels.size; ++x) {
        const std::size_t at = static_cast<std::size_t>(y * pixels.size + x);
        if (image.bitsPerPixel == 32) {
            const std::uint32_t rgb = pixels.rgb[at];
            PutU8(out, rgb);
            PutU8(out, rgb >> 8);
            PutU8(out, rgb >> 16);
            PutU8(out, pixels.alpha[at]);
            continue;
        }
        const auto index = static_cast<std::uint32_t>(pixels.colorIndex[at] + 1);
        if (image.bitsPerPixel == 8) {
            PutU8(out, index);
        } else if (x % 2 == 0) {
            pending = index << 4;  // the left pixel sits in the high nibble
        } else {
            PutU8(out, pending | index);
        }
    }
    if (image.bitsPerPixel == 4 && pixels.size % 2 != 0) PutU8(out, pending);
    while ((out.size() - rowStart) % 4 != 0) PutU8(out, 0);
}

void PutMaskRow(std::vector<std::uint8_t>& out, const IconImage& image, int y) {
    const int size = image.pixels->size;
    const std::size_t rowStart = out.size();
    std::uint32_t bits = 0;
    for (int x = 0; x < size; ++x) {
        const std::size_t at = static_cast<std::size_t>(y * size + x);
        if (Transparent(image, at)) bits |= 0x80u >> (x % 8);
        if (x % 8 == 7 || x == size - 1) {
            PutU8(out, bits);
            bits = 0;
        }
    }
    while ((out.size() - rowStart) % 4 != 0) PutU8(out, 0);
}

void PutImage(std::vector<std::uint8_t>& out, const IconImage& image,
              const std::vector<std::uint32_t>& palette) {
    const int size = image.pixels->size;
    const auto rows = static_cast<std::uint32_t>(size);
    PutU32(out, kInfoHeaderBytes);
    PutU32(out, static_cast<std::uint32_t>(size));
    PutU32(out, 2 * rows);  // colour bitmap and mask together
    PutU16(out, 1);         // planes
    PutU16(out, static_cast<std::uint32_t>(image.bitsPerPixel));
    PutU32(out, 0);  // BI_RGB
    PutU32(out, rows * (RowBytes(size, image.bitsPerPixel) + RowBytes(size, 1)));
    PutU32(out, 0);  // pixels per metre, x
    PutU32(out, 0);  // pixels per metre, y
    PutU32(out, 0);  // colours used: all that the depth allows
    PutU32(out, 0);  // colours important: all

    const std::uint32_t entries = PaletteEntries(image.bitsPerPixel);
    for (std::uint32_t i = 0; i < entries; ++i) {
        const std::uint32_t rgb = i >= 1 && i <= palette.size() ? palette[i - 1] : 0;
        PutU8(out, rgb);
        PutU8(out, rgb >> 8);
        PutU8(out, rgb >> 16);
        PutU8(out, 0);
    }
    for (int y = size - 1; y >= 0; --y) PutColorRow(out, image, y);
    for (int y = size - 1; y >= 0; --y) PutMaskRow(out, image, y);
}

}  // namespace

std::vector<std::uint8_t> EncodeIcon(const std::vector<IconImage>& images,
                                     const std::vector<std::uint32_t>& palette) {
    std::vector<std::uint8_t> out;
    const auto count = static_cast<std::uint32_t>(images.size());
    PutU16(out, 0);  // reserved
    PutU16(out, 1);  // icon, not cursor
    PutU16(out, count);

    std::uint32_t offset = kDirectoryBytes + kEntryBytes * count;
    for (const IconImage& image : images) {
        const int size = image.pixels->size;
        PutU8(out, size >= 256 ? 0u : static_cast<std::uint32_t>(size));  // width
        PutU8(out, size >= 256 ? 0u : static_cast<std::uint32_t>(size));  // height
        PutU8(out, image.bitsPerPixel == 4 ? 16u : 0u);  // colour count, 0 from 256 on
        PutU8(out, 0);                                    // reserved
        PutU16(out, 1);                                   // planes
        PutU16(out, static_cast<std::uint32_t>(image.bitsPerPixel));
        PutU32(out, ImageBytes(image));
        PutU32(out, offset);
        offset += ImageBytes(image);
    }
    for (const IconImage& image : images) PutImage(out, image, palette);
    return out;
}
