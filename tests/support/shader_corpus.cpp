#include "support/shader_corpus.h"

#include "formats/byte_reader.h"
#include "formats/shader_format.h"
#include "support/temp_folder.h"

#include <d3dx9.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace {
const char* const CorpusFolder = MIRELTH_SOURCE_DIR "/tests/fixtures/shader_corpus/";
}  // namespace

std::vector<CorpusShader> ShaderCorpus() {
    std::vector<CorpusShader> shaders;
    WIN32_FIND_DATAA found = {};
    const HANDLE search = FindFirstFileA((std::string(CorpusFolder) + "*sh").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            std::string errors;
            shaders.push_back({found.cFileName, AssembleShader(ReadWholeFile(
                                   std::string(CorpusFolder) + found.cFileName), &errors)});
            EXPECT_NE(shaders.back().tokens, "") << found.cFileName << ": " << errors;
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    std::sort(shaders.begin(), shaders.end(),
              [](const CorpusShader& a, const CorpusShader& b) { return a.name < b.name; });
    EXPECT_EQ(shaders.size(), kCorpusShaders) << "shaders read from " << CorpusFolder;
    return shaders;
}

std::string AssembleShader(const std::string& source, std::string* errors) {
    ID3DXBuffer* code = nullptr;
    ID3DXBuffer* messages = nullptr;
    const HRESULT result = D3DXAssembleShader(source.data(), static_cast<UINT>(source.size()),
                                              nullptr, nullptr, 0, &code, &messages);
    if (messages) {
        *errors = static_cast<const char*>(messages->GetBufferPointer());
        messages->Release();
    }
    std::string tokens;
    if (code) {
        if (SUCCEEDED(result)) {
            tokens.assign(static_cast<const char*>(code->GetBufferPointer()),
                          code->GetBufferSize());
        }
        code->Release();
    }
    return tokens;
}

std::string WithConstantTableOf(const std::string& tokens, const std::string& donor) {
    return tokens.substr(0, 4) + donor.substr(4, FirstBlockBytes(donor)) + tokens.substr(4);
}

std::string ShaderWithBlock(const std::string& standard, const std::string& block) {
    return standard.substr(0, 4) + block + standard.substr(4 + FirstBlockBytes(standard));
}

std::string TokenBytes(const std::vector<uint32_t>& words) {
    return std::string(reinterpret_cast<const char*>(words.data()), words.size() * 4);
}

uint32_t TokenAt(const std::string& bytes, size_t index) {
    return ByteReader(bytes.data(), bytes.size()).U32(index * 4);
}

void SetTokenAt(std::string* bytes, size_t index, uint32_t word) {
    std::memcpy(&(*bytes)[index * 4], &word, 4);
}

size_t FirstBlockBytes(const std::string& shader) {
    return 4 * (1 + CommentLength(TokenAt(shader, 1)));
}
