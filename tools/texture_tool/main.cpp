// texture_tool SOURCE OUTPUT.bmp
//
// Paints the checker texture that SOURCE describes (format in texture_source.h) and writes
// it as a 24-bit uncompressed bitmap. Bad input is refused with "file:line: reason" and a
// non-zero exit status, and OUTPUT is then left as it was.
#include "bmp_file.h"
#include "output_file.h"
#include "texture_source.h"

#include <iostream>

int main(int argc, char** argv) {
    if (argc != 3) {
        std::cerr << "usage: texture_tool SOURCE OUTPUT.bmp\n";
        return 2;
    }
    std::string error;
    TextureSource texture;
    if (!LoadTextureSource(argv[1], texture, error) ||
        !WriteFileAtomically(
            argv[2], EncodeBmp24(texture.width, texture.height, PaintTexture(texture)), error)) {
        std::cerr << "texture_tool: " << error << '\n';
        return 1;
    }
    return 0;
}
