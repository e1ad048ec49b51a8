#include "encoder.h"

#include <cstring>

namespace {


uint32_t Destination(const Operand& operand, uint32_t resultModifier) {
    return RegisterWord(operand.reg.type, operand.reg.number) |
           operand.writeMask << kWriteMaskShift | resultModifier << kResultModifierShift;
}

uint32_t Source(const Operand& operand) {
    return RegisterWord(operand.reg.type, operand.reg.number) | operand.swizzle << kSwizzleShift |
           (operand.negate ? 1u << kSourceModifierShift : 0u);
}

// Declarations of inputs, then of samplers, then constant definitions, then the code, each
// group in source order: the layout Wine's assembler writes, so the two compare word for word.
int Group(const Instruction& instruction) {
    if (instruction.opcode == kOpDcl) return instruction.samplerType ? 1 : 0;
    return instruction.opcode == kOpDef ? 2 : 3;
}

uint32_t FloatBits(float value) {
    uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

void Encode(ShaderKind kind, const Instruction& instruction, std::vector<uint32_t>* tokens) {
    size_t first = tokens->size();
    tokens->push_back(instruction.opcode);
    if (instruction.opcode == kOpDcl) {
        // A pixel shader's v# and t# carry no usage: just bit 31.
        bool usage = kind == ShaderKind::Vertex;
        tokens->push_back(
            kOperandBit | instruction.samplerType << kSamplerTypeShift |
            (usage ? instruction.usage | instruction.usageIndex << kUsageIndexShift : 0u));
        tokens->push_back(Destination(instruction.operands[0], 0));
    } else if (instruction.opcode == kOpDef) {
        tokens->push_back(Destination(instruction.operands[0], 0));
        for (size_t i = 1; i < 5; ++i) tokens->push_back(FloatBits(instruction.operands[i].value));
    } else {
        tokens->push_back(Destination(instruction.operands[0], instruction.resultModifier));
        for (size_t i = 1; i < instruction.operands.size(); ++i)
            tokens->push_back(Source(instruction.operands[i]));
    }
    // From shader model 2 on, bits 24-27 count the operand words that follow.
    const uint32_t length = static_cast<uint32_t>(tokens->size() - first - 1);
    (*tokens)[first] |= length << kInstructionLengthShift;
}

}  // namespace

uint32_t VersionToken(const ShaderSource& source) {
    const uint32_t kind =
        source.kind == ShaderKind::Vertex ? kVertexShaderVersionType : kPixelShaderVersionType;
    return ShaderVersionToken(kind, source.major, source.minor);
}

std::vector<uint32_t> EncodeInstructions(const ShaderSource& source) {
    std::vector<uint32_t> tokens;
    for (int group = 0; group < 4; ++group)
        for (const Instruction& instruction : source.instructions)
            if (Group(instruction) == group) Encode(source.kind, instruction, &tokens);
    return tokens;
}
