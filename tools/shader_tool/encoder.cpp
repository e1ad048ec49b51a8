#include "encoder.h"

#include <cstring>

namespace {

const uint32_t kDcl = 0x1F;
const uint32_t kDef = 0x51;

// The register type is split: its low three bits in 28-30, the rest in 11-12.
uint32_t RegisterBits(const Register& reg) {
    return 0x80000000u | ((reg.type & 7u) << 28) | ((reg.type >> 3) << 11) | reg.number;
}

uint32_t Destination(const Operand& operand, uint32_t resultModifier) {
    return RegisterBits(operand.reg) | (operand.writeMask << 16) | (resultModifier << 20);
}

uint32_t Source(const Operand& operand) {
    return RegisterBits(operand.reg) | (operand.swizzle << 16) | (operand.negate ? 1u << 24 : 0u);
}

// Declarations of inputs, then of samplers, then constant definitions, then the code, each
// group in source order: the layout Wine's assembler writes, so the two compare word for word.
int Group(const Instruction& instruction) {
    if (instruction.opcode == kDcl) return instruction.samplerType ? 1 : 0;
    return instruction.opcode == kDef ? 2 : 3;
}

uint32_t FloatBits(float value) {
    uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

void Encode(ShaderKind kind, const Instruction& instruction, std::vector<uint32_t>* tokens) {
    size_t first = tokens->size();
    tokens->push_back(instruction.opcode);
    if (instruction.opcode == kDcl) {
        // A pixel shader's v# and t# carry no usage: just bit 31.
        bool usage = kind == ShaderKind::Vertex;
        tokens->push_back(0x80000000u | (instruction.samplerType << 27) |
                          (usage ? instruction.usage | (instruction.usageIndex << 16) : 0u));
        tokens->push_back(Destination(instruction.operands[0], 0));
    } else if (instruction.opcode == kDef) {
        tokens->push_back(Destination(instruction.operands[0], 0));
        for (size_t i = 1; i < 5; ++i) tokens->push_back(FloatBits(instruction.operands[i].value));
    } else {
        tokens->push_back(Destination(instruction.operands[0], instruction.resultModifier));
        for (size_t i = 1; i < instruction.operands.size(); ++i)
            tokens->push_back(Source(instruction.operands[i]));
    }
    // From shader model 2 on, bits 24-27 count the operand words that follow.
    (*tokens)[first] |= static_cast<uint32_t>(tokens->size() - first - 1) << 24;
}

}  // namespace

uint32_t VersionToken(const ShaderSource& source) {
    uint32_t kind = source.kind == ShaderKind::Vertex ? 0xFFFE0000u : 0xFFFF0000u;
    return kind | (source.major << 8) | source.minor;
}

std::vector<uint32_t> EncodeInstructions(const ShaderSource& source) {
    std::vector<uint32_t> tokens;
    for (int group = 0; group < 4; ++group)
        for (const Instruction& instruction : source.instructions)
            if (Group(instruction) == group) Encode(source.kind, instruction, &tokens);
    return tokens;
}
