// Well-formed shaders of every model Direct3D 9 takes, as assembly source that Wine's
// D3DXAssembleShader turns into tokens in the test run: between them they use every
// instruction and every kind of register of each model.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct CorpusShader {
    const char* name;
    const char* source;
};

extern const CorpusShader ShaderCorpus[];
extern const size_t ShaderCorpusSize;

// The tokens D3DXAssembleShader makes of `source`; empty, with its messages in *errors,
// when it fails.
std::string AssembleShader(const std::string& source, std::string* errors);

// `tokens` with the constant table of `donor` (both whole token streams) put right after
// the version token, as a compiler places it.
std::string WithConstantTableOf(const std::string& tokens, const std::string& donor);

// Builds a constant table's comment block word by word, hostile or not. Offsets count from
// the first byte after "CTAB", as in the file.
class ConstantTableMaker {
public:
    explicit ConstantTableMaker(size_t constants);

    uint32_t String(const std::string& text);  // zero-ended and padded to a word
    uint32_t Type(uint16_t typeClass, uint16_t rows, uint16_t columns, uint16_t elements,
                  uint16_t members = 0, uint32_t memberInfo = 0);
    // Members (name, type) in a row; returns the first one's offset.
    uint32_t Members(size_t count, uint32_t name, uint32_t type);
    uint32_t Words(size_t count, uint32_t value);
    void SetWord(uint32_t offset, uint32_t value);
    void Constant(size_t index, uint32_t name, uint16_t registerSet, uint16_t registerIndex,
                  uint16_t registerCount, uint32_t type, uint32_t defaultValue = 0);

    // The comment token, "CTAB" and the table.
    std::string Block() const;
    size_t Bytes() const { return words_.size() * 4; }

private:
    uint32_t Append(uint32_t word);
    std::vector<uint32_t> words_;
};

// A whole shader: version, `block`, then the instructions of `standard` (a whole shader
// with a constant table first) after its own table.
std::string ShaderWithBlock(const std::string& standard, const std::string& block);
