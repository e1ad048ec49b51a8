// Direct3D 9 shader assembly, parsed: what the encoder and the constant-table writer need.
#pragma once

#include "formats/shader_format.h"

#include <cstdint>
#include <string>
#include <vector>

enum class ShaderKind { Vertex, Pixel };

struct Register {
    uint32_t type = kRegTemp;
    uint32_t number = 0;
};

struct Operand {
    Register reg;
    uint32_t writeMask = 0xF;   // destinations: x 1, y 2, z 4, w 8
    uint32_t swizzle = 0xE4;    // sources: two bits per component, identity xyzw
    bool negate = false;
    float value = 0.0f;         // the four numbers of def
};

struct Instruction {
    int line = 0;
    std::string mnemonic;       // without modifiers: "mov", "dcl", ...
    uint32_t opcode = 0;
    uint32_t resultModifier = 0;  // saturate 1, partial precision 2
    uint32_t usage = 0;           // dcl_position2: usage 0, index 2
    uint32_t usageIndex = 0;
    uint32_t samplerType = 0;     // dcl_2d 2, dcl_cube 3, dcl_volume 4
    std::vector<Operand> operands;
};

// One "// @constant name type register [default v...]" line.
struct ConstantDeclaration {
    int line = 0;
    std::string name;
    std::string typeName;   // "float3", "float4x4", "sampler2D", ...
    uint16_t typeClass = kClassScalar;  // or vector, matrix columns, object
    uint16_t type = 0;  // kTypeFloat, kTypeSampler2D, ...
    uint16_t rows = 1;
    uint16_t columns = 1;
    Register reg;
    uint16_t registerCount = 1;
    std::vector<float> defaults;  // row after row, as written
};

struct ShaderSource {
    ShaderKind kind = ShaderKind::Vertex;
    uint32_t major = 2;
    uint32_t minor = 0;
    std::vector<ConstantDeclaration> constants;
    std::vector<Instruction> instructions;
};

// Parses the text of `path`. On failure returns false with "path:line: what" in *error.
bool ParseShaderSource(const std::string& path, const std::string& text, ShaderSource* source,
                       std::string* error);
