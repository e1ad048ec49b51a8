// Checks the bytes of a compiled shader file before Direct3D or D3DX reads them, so that
// an empty, truncated or foreign file is refused instead of read past its end.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// The high half of a shader's version token.
constexpr uint32_t kVertexShaderVersionType = 0xFFFE;
constexpr uint32_t kPixelShaderVersionType = 0xFFFF;

// True when `bytes` hold a whole shader model 2 or 3 token stream of the expected kind:
// a whole number of 32-bit tokens, every comment block and instruction inside the bytes,
// an end token among them, a constant table (if any) whose offsets stay inside its block,
// and every instruction one of the model's own with the operands it takes, each register a
// register that a shader of this kind and model has.
// Otherwise false, with a short plain-English reason in *whyNot (when given) such as
// "the file ends before its end token".
bool CheckShaderTokens(const void* bytes, size_t size, uint32_t expectedVersionType,
                       std::string* whyNot);
