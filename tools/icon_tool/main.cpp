// icon_tool DESCRIPTION OUTPUT.ico
//
// Draws the emblem that DESCRIPTION describes (format in emblem.h) at every size the
// program's icon groups hold and writes them as one .ico file, in this order:
// 32x32 and 16x16 in 16 colours, 48x48, 32x32 and 16x16 in 256 colours, and 48x48, 32x32
// and 16x16 in 32 bits with alpha. Bad input is refused with "file:line: reason" and a
// non-zero exit status, and OUTPUT is then left as it was.
#include "emblem.h"
#include "emblem_raster.h"
#include "ico_file.h"
#include "output_file.h"

#include <iostream>
#include <map>

int main(int argc, char** argv) {
    if (argc != 3) {
        std::cerr << "usage: icon_tool DESCRIPTION OUTPUT.ico\n";
        return 2;
    }
    std::string error;
    Emblem emblem;
    if (!LoadEmblem(argv[1], emblem, error)) {
        std::cerr << "icon_tool: " << error << '\n';
        return 1;
    }

    std::map<int, EmblemImage> drawn;
    for (const int size : {48, 32, 16}) drawn[size] = DrawEmblem(emblem, size);
    const std::vector<IconImage> images = {
        {&drawn[32], 4},  {&drawn[16], 4},  {&drawn[48], 8},  {&drawn[32], 8},
        {&drawn[16], 8},  {&drawn[48], 32}, {&drawn[32], 32}, {&drawn[16], 32},
    };
    if (!WriteFileAtomically(argv[2], EncodeIcon(images, emblem.colors), error)) {
        std::cerr << "icon_tool: " << error << '\n';
        return 1;
    }
    return 0;
}
