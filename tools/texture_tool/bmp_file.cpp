#include "bmp_file.h"

#include "little_endian.h"

std::vector<std::uint8_t> EncodeBmp24(int width, int height,
                                      const std::vector<std::uint32_t>& pixels) {
    constexpr std::uint32_t kHeadersBytes = 14 + 40;
    const auto rowBytes = static_cast<std::uint32_t>((width * 3 + 3) / 4 * 4);
    const std::uint32_t imageBytes = rowBytes * static_cast<std::uint32_t>(height);

    std::vector<std::uint8_t> out;
    out.reserve(kHeadersBytes + imageBytes);
    PutU8(out, 'B');
    PutU8(out, 'M');
    PutU32(out, kHeadersBytes + imageBytes);  // file size
    PutU32(out, 0);                           // reserved
    PutU32(out, kHeadersBytes);               // offset of the pixels

    PutU32(out, 40);  // BITMAPINFOHEADER
    PutU32(out, static_cast<std::uint32_t>(width));
    PutU32(out, static_cast<std::uint32_t>(height));  // positive: bottom-up
    PutU16(out, 1);                                   // planes
    PutU16(out, 24);
    PutU32(out, 0);  // BI_RGB
    PutU32(out, imageBytes);
    PutU32(out, 2835);  // 72 dots per inch, in pixels per metre
    PutU32(out, 2835);
    PutU32(out, 0);  // no palette
    PutU32(out, 0);

    for (int y = height - 1; y >= 0; --y) {
        const std::size_t rowStart = out.size();
        for (int x = 0; x < width; ++x) {
            const std::uint32_t rgb = pixels[static_cast<std::size_t>(y * width + x)];
            PutU8(out, rgb);
            PutU8(out, rgb >> 8);
            PutU8(out, rgb >> 16);
        }
        while (out.size() - rowStart < rowBytes) PutU8(out, 0);
    }
    return out;
}
