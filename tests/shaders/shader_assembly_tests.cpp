// The shader tool's output against Wine's own assembler (D3DXAssembleShader), fed the very
// same source text: with the comment blocks (the constant table) taken out, the two token
// streams must be equal word for word.
#include "support/temp_folder.h"

#include <d3dx9.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

std::vector<uint32_t> Tokens(const void* bytes, size_t size) {
    std::vector<uint32_t> tokens(size / 4);
    if (!tokens.empty()) std::memcpy(tokens.data(), bytes, tokens.size() * 4);
    return tokens;
}

// Everything but comment blocks; stops after the end token.
std::vector<uint32_t> WithoutComments(const std::vector<uint32_t>& tokens) {
    std::vector<uint32_t> kept;
    for (size_t i = 0; i < tokens.size();) {
        if (i > 0 && (tokens[i] & 0xFFFF) == 0xFFFE) {
            i += 1 + ((tokens[i] >> 16) & 0x7FFF);
            continue;
        }
        kept.push_back(tokens[i]);
        if (tokens[i] == 0x0000FFFF) break;
        ++i;
    }
    return kept;
}

std::vector<uint32_t> AssembleWithD3DX(const std::string& sourcePath) {
    std::string source = ReadWholeFile(sourcePath);
    EXPECT_FALSE(source.empty()) << "cannot read " << sourcePath;
    ID3DXBuffer* code = nullptr;
    ID3DXBuffer* errors = nullptr;
    HRESULT result = D3DXAssembleShader(source.data(), static_cast<UINT>(source.size()), nullptr,
                                        nullptr, 0, &code, &errors);
    std::string errorText = errors ? static_cast<const char*>(errors->GetBufferPointer()) : "";
    std::vector<uint32_t> tokens;
    if (code) tokens = Tokens(code->GetBufferPointer(), code->GetBufferSize());
    if (code) code->Release();
    if (errors) errors->Release();
    EXPECT_TRUE(SUCCEEDED(result)) << sourcePath << ": " << errorText;
    return tokens;
}

std::string Hex(uint32_t word) {
    char text[16];
    snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(word));
    return text;
}

void ExpectSameTokens(const std::string& sourcePath, const std::string& builtPath) {
    SCOPED_TRACE(sourcePath);
    std::string built = ReadWholeFile(builtPath);
    ASSERT_FALSE(built.empty()) << "cannot read " << builtPath;
    std::vector<uint32_t> ours = WithoutComments(Tokens(built.data(), built.size()));
    std::vector<uint32_t> theirs = WithoutComments(AssembleWithD3DX(sourcePath));
    ASSERT_FALSE(theirs.empty());
    EXPECT_EQ(ours.size(), theirs.size());
    for (size_t i = 0; i < ours.size() && i < theirs.size(); ++i)
        EXPECT_EQ(Hex(ours[i]), Hex(theirs[i])) << "token " << i;
    EXPECT_EQ(ours.back(), 0x0000FFFFu) << "no end token";
}

TEST(ShaderAssembly, StandardShadersMatchD3DXAssembleShader) {
    ExpectSameTokens(MIRELTH_SOURCE_DIR "/assets/shaders/standard_vertex.vsh",
                     "data/standard_vertex.shader");
    ExpectSameTokens(MIRELTH_SOURCE_DIR "/assets/shaders/standard_fragment.psh",
                     "data/standard_fragment.shader");
}

// Every instruction, modifier, usage, register kind and component pattern the tool knows,
// with the declarations and definitions out of their usual order.
TEST(ShaderAssembly, EveryFeatureMatchesD3DXAssembleShader) {
    ExpectSameTokens(MIRELTH_SOURCE_DIR "/tests/shaders/every_feature.vsh",
                     SHADER_TEST_DIR "/every_feature_vertex.shader");
    ExpectSameTokens(MIRELTH_SOURCE_DIR "/tests/shaders/every_feature.psh",
                     SHADER_TEST_DIR "/every_feature_fragment.shader");
}

}  // namespace
