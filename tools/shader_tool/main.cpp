// shader_tool <input> <output>: assembles vs_2_0 / ps_2_0 source into the token stream that
// CreateVertexShader / CreatePixelShader take, with a constant table that
// D3DXGetShaderConstantTable reads, built from the source's "// @constant" lines.
#include "constant_table.h"
#include "encoder.h"
#include "shader_source.h"

#include <cstdio>
#include <fstream>
#include <iostream>
#include <sstream>

int main(int argc, char** argv) {
    if (argc != 3) {
        std::cerr << "usage: shader_tool <input.vsh|input.psh> <output.shader>\n";
        return 2;
    }
    const std::string input = argv[1], output = argv[2];
    std::ifstream in(input, std::ios::binary);
    if (!in) {
        std::cerr << input << ": cannot open\n";
        return 1;
    }
    std::ostringstream text;
    text << in.rdbuf();

    ShaderSource source;
    std::string error;
    if (!ParseShaderSource(input, text.str(), &source, &error)) {
        std::cerr << error << "\n";
        return 1;
    }
    uint32_t version = VersionToken(source);
    std::vector<uint32_t> tokens = {version};
    std::vector<uint32_t> table = ConstantTableComment(source, version, "Mirelth shader_tool");
    if (table.size() - 1 > 0x7FFF) {
        std::cerr << input << ": the constant table is too large for a comment block\n";
        return 1;
    }
    std::vector<uint32_t> instructions = EncodeInstructions(source);
    tokens.insert(tokens.end(), table.begin(), table.end());
    tokens.insert(tokens.end(), instructions.begin(), instructions.end());
    tokens.push_back(0x0000FFFFu);

    // Written little-endian, as the build machine is; a failed write leaves no file behind.
    std::ofstream out(output, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(tokens.data()),
              static_cast<std::streamsize>(tokens.size() * sizeof(uint32_t)));
    out.close();
    if (!out) {
        std::cerr << output << ": cannot write\n";
        std::remove(output.c_str());
        return 1;
    }
    return 0;
}
