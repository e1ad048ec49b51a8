// Checks the bytes of a compiled shader file before Direct3D or D3DX reads them, so that
// an empty, truncated, foreign or hostile file is refused instead of read past its end or
// followed for longer than its size warrants.
#pragma once

#include "formats/shader_format.h"

#include <cstddef>
#include <cstdint>
#include <string>

// True when `bytes` hold a whole token stream of the expected kind, of a model Direct3D 9
// takes (vs_1_1, vs_2_0, vs_2_x, vs_3_0, ps_1_1 to ps_1_4, ps_2_0, ps_2_x, ps_3_0):
// every comment block and instruction inside the file's whole 32-bit words (1 to 3 bytes
// after the last are ignored), an end token among them, every instruction one of the
// model's own with the operands it takes, each register one that a shader of this kind and
// model has, and a constant table (if any) that D3DX can read inside its block in time
// proportional to its size.
// Otherwise false, with a short plain-English reason in *whyNot (when given) such as
// "the file ends before its end token".
bool CheckShaderTokens(const void* bytes, size_t size, uint32_t expectedVersionType,
                       std::string* whyNot);

// What a check found besides its verdict.
struct ShaderTokenFacts {
    // The constant table's comment block (its comment token and the words after it), as
    // word index and word count; a count of 0 when the stream has no table.
    size_t tableWord = 0;
    size_t tableWords = 0;
    // Steps of work the check took: words read, type records followed and names measured
    // (a step per word). It stays below a fixed multiple of the file's size, whatever the
    // file holds.
    uint64_t work = 0;
};

bool CheckShaderTokens(const void* bytes, size_t size, uint32_t expectedVersionType,
                       std::string* whyNot, ShaderTokenFacts* facts);
