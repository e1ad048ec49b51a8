// The "CTAB" comment block that D3DXGetShaderConstantTable reads.
#pragma once

#include "shader_source.h"

#include <cstdint>
#include <string>
#include <vector>

// The whole comment block, its comment token first, describing source.constants.
// Offsets inside count from the first byte after the FOURCC, as D3DX expects.
std::vector<uint32_t> ConstantTableComment(const ShaderSource& source, uint32_t versionToken,
                                           const std::string& creator);
