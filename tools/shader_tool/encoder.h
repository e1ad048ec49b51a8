// Turns parsed instructions into Direct3D 9 shader tokens.
#pragma once

#include "shader_source.h"

#include <cstdint>
#include <vector>

// The version token: 0xFFFE0000 (vertex) or 0xFFFF0000 (pixel) with major and minor.
uint32_t VersionToken(const ShaderSource& source);
// The instruction tokens of the whole program, between the comment blocks and the end token.
std::vector<uint32_t> EncodeInstructions(const ShaderSource& source);
