// shader_tool <input> <output>: assembles vs_2_0 / ps_2_0 source into the token stream that
// CreateVertexShader / CreatePixelShader take, with a constant table that
// D3DXGetShaderConstantTable reads, built from the source's "// @constant" lines.
// shader_tool info FILE describes a compiled shader file (shader_info.h).
#include "constant_table.h"
#include "encoder.h"
#include "info_command.h"
#include "shader_info.h"
#include "shader_source.h"

#include <cstdio>
#include <fstream>
#include <iostream>
#include <sstream>

namespace {

const char kUsage[] =
    "usage: shader_tool INPUT.vsh|INPUT.psh OUTPUT.shader\n"
    "       shader_tool info FILE.shader\n"
    "       shader_tool --help\n";

void PrintHelp() {
    std::cout << kUsage << R"(
shader_tool INPUT OUTPUT assembles vs_2_0 or ps_2_0 source (as assets/shaders/*.vsh, *.psh)
into a compiled shader file with a constant table, from the source's "// @constant NAME TYPE
REGISTER [default V...]" lines. Errors name the source line; OUTPUT is then not written.

shader_tool info FILE prints what a compiled shader file holds:
  - its kind (vertex or fragment) and shader model, and its instruction count;
  - its constant table: each constant's name, register set, first register, register count
    and type;
  - for each of the five names the program looks up (g_colorModifier and g_color_sampler in
    fragment shaders; g_transform_worldToView, g_transform_viewToScreen and
    g_transform_modelToWorld in vertex shaders), whether the table has it;
  - the verdict of the program's own check of the token stream, made by the same code.
It exits with status 0 when the program's check passes; otherwise it writes the program's
reason for refusing the file to standard error and exits with status 1.
)";
}

int Info(const std::string& path) {
    std::string refusal;
    const bool passes = DescribeShaderFile(path, std::cout, refusal);
    return FinishInfo("shader_tool", passes, refusal,
                      "the program's check of the token stream passes");
}

}  // namespace

int main(int argc, char** argv) {
    const std::string first = argc > 1 ? argv[1] : "";
    if (argc == 2 && (first == "--help" || first == "-h")) {
        PrintHelp();
        return 0;
    }
    if (argc == 3 && first == "info") return Info(argv[2]);
    if (argc != 3) {
        std::cerr << kUsage;
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
    if (table.size() - 1 > kCommentLengthMask) {
        std::cerr << input << ": the constant table is too large for a comment block\n";
        return 1;
    }
    std::vector<uint32_t> instructions = EncodeInstructions(source);
    tokens.insert(tokens.end(), table.begin(), table.end());
    tokens.insert(tokens.end(), instructions.begin(), instructions.end());
    tokens.push_back(kEndToken);

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
