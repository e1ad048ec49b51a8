// Well-formed shaders of every model Direct3D 9 takes, as assembly source that Wine's
// D3DXAssembleShader turns into tokens in the test run: between them they use every
// instruction and every kind of register of each model. The sources are the files of
// tests/fixtures/shader_corpus.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct CorpusShader {
    std::string name;    // the file's
    std::string tokens;  // as D3DXAssembleShader makes them; empty when it failed
};

// How many files the corpus has; a test fails when fewer are read.
constexpr size_t kCorpusShaders = 17;
// The corpus in file-name order, assembled; a test fails for each file that does not assemble.
std::vector<CorpusShader> ShaderCorpus();

// The tokens D3DXAssembleShader makes of `source`; empty, with its messages in *errors,
// when it fails.
std::string AssembleShader(const std::string& source, std::string* errors);

// `tokens` with the constant table of `donor` (both whole token streams) put right after
// the version token, as a compiler places it.
std::string WithConstantTableOf(const std::string& tokens, const std::string& donor);

// A whole shader: version, `block`, then the instructions of `standard` (a whole shader
// with a constant table first) after its own table.
std::string ShaderWithBlock(const std::string& standard, const std::string& block);

// Token streams as the tests hold them: little-endian words in a string of bytes.
std::string TokenBytes(const std::vector<uint32_t>& words);
// Word `index`; 0 when the bytes end before it.
uint32_t TokenAt(const std::string& bytes, size_t index);
void SetTokenAt(std::string* bytes, size_t index, uint32_t word);
// Bytes of the comment block (its token included) that follows the version token.
size_t FirstBlockBytes(const std::string& shader);
