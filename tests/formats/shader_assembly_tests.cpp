// The shader tool's output against Wine's own assembler (D3DXAssembleShader), fed the very
// same source text: with the comment blocks (the constant table) taken out, the two token
// streams must be equal word for word.
#include "formats/shader_format.h"
#include "support/shader_corpus.h"
#include "support/temp_folder.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<uint32_t> Tokens(const std::string& bytes) {
    std::vector<uint32_t> tokens(bytes.size() / 4);
    for (size_t i = 0; i < tokens.size(); ++i) tokens[i] = TokenAt(bytes, i);
    return tokens;
}

// Everything but comment blocks; stops after the end token.
std::vector<uint32_t> WithoutComments(const std::vector<uint32_t>& tokens) {
    std::vector<uint32_t> kept;
    for (size_t i = 0; i < tokens.size();) {
        if (i > 0 && (tokens[i] & kOpcodeMask) == kOpComment) {
            i += 1 + CommentLength(tokens[i]);
            continue;
        }
        kept.push_back(tokens[i]);
        if (tokens[i] == kEndToken) break;
        ++i;
    }
    return kept;
}

void ExpectSameTokens(const std::string& sourcePath, const std::string& builtPath) {
    SCOPED_TRACE(sourcePath);
    std::string built = ReadWholeFile(builtPath);
    ASSERT_FALSE(built.empty()) << "cannot read " << builtPath;
    const std::string source = ReadWholeFile(sourcePath);
    EXPECT_FALSE(source.empty()) << "cannot read " << sourcePath;
    std::string errors;
    std::vector<uint32_t> ours = WithoutComments(Tokens(built));
    std::vector<uint32_t> theirs = WithoutComments(Tokens(AssembleShader(source, &errors)));
    ASSERT_FALSE(theirs.empty()) << sourcePath << ": " << errors;
    EXPECT_EQ(ours.size(), theirs.size());
    for (size_t i = 0; i < ours.size() && i < theirs.size(); ++i)
        EXPECT_EQ(ours[i], theirs[i])
            << "token " << i << std::hex << ": ours 0x" << ours[i] << ", theirs 0x" << theirs[i];
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
    ExpectSameTokens(MIRELTH_SOURCE_DIR "/tests/fixtures/every_feature.vsh",
                     SHADER_TEST_DIR "/every_feature.vsh.shader");
    ExpectSameTokens(MIRELTH_SOURCE_DIR "/tests/fixtures/every_feature.psh",
                     SHADER_TEST_DIR "/every_feature.psh.shader");
}

}  // namespace
