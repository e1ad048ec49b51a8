// texture_tool SOURCE OUTPUT.bmp|OUTPUT.dds
//
// Paints the checker texture that SOURCE describes (format in texture_source.h) and writes
// it as a 24-bit uncompressed bitmap or, for a name ending in ".dds", as an uncompressed
// DirectDraw Surface with its whole mip chain. Bad input is refused with "file:line:
// reason" and a non-zero exit status, and OUTPUT is then left as it was.
#include "bmp_file.h"
#include "dds_file.h"
#include "output_file.h"
#include "texture_source.h"

#include <iostream>

namespace {
bool EndsWith(const std::string& text, const std::string& end) {
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}
}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::cerr << "usage: texture_tool SOURCE OUTPUT.bmp|OUTPUT.dds\n";
        return 2;
    }
    std::string error;
    TextureSource texture;
    if (!LoadTextureSource(argv[1], texture, error)) {
        std::cerr << "texture_tool: " << error << '\n';
        return 1;
    }
    const std::vector<std::uint32_t> pixels = PaintTexture(texture);
    const std::vector<std::uint8_t> bytes =
        EndsWith(argv[2], ".dds") ? EncodeDds32(texture.width, texture.height, pixels)
                                  : EncodeBmp24(texture.width, texture.height, pixels);
    if (!WriteFileAtomically(argv[2], bytes, error)) {
        std::cerr << "texture_tool: " << error << '\n';
        return 1;
    }
    return 0;
}
