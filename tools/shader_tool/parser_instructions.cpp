// The instruction lines of shader assembly: dcl, def and the arithmetic the tool knows.
#include "parser.h"

#include <algorithm>
#include <cctype>
#include <sstream>

namespace {

struct Opcode {
    const char* name;
    uint32_t opcode;
    size_t sources;
    bool pixelOnly;
};

const Opcode kOpcodes[] = {
    {"mov", kOpMov, 1, false},   {"add", kOpAdd, 2, false}, {"mad", kOpMad, 3, false},
    {"mul", kOpMul, 2, false},   {"dp3", kOpDp3, 2, false}, {"dp4", kOpDp4, 2, false},
    {"m4x4", kOpM4x4, 2, false}, {"texld", kOpTex, 2, true},
};

struct DeclarationUsage {
    const char* name;
    uint32_t usage;
};

const DeclarationUsage kUsages[] = {
    {"position", 0}, {"blendweight", 1}, {"blendindices", 2}, {"normal", 3}, {"psize", 4},
    {"texcoord", 5}, {"tangent", 6},     {"binormal", 7},     {"color", 10}, {"fog", 11},
};

int Component(char c) {
    const char* letters = "xyzwrgba";
    for (int i = 0; i < 8; ++i)
        if (c == letters[i]) return i % 4;
    return -1;
}

}  // namespace

bool Parser::ParseOperand(const std::string& text, bool destination, Operand* operand) {
    std::string body = text;
    if (!body.empty() && body[0] == '-') {
        if (destination) return Fail("a destination cannot be negated: " + text);
        operand->negate = true;
        body = Trim(body.substr(1));
    }
    size_t dot = body.find('.');
    if (!ParseRegister(body.substr(0, dot), &operand->reg)) return false;
    if (dot == std::string::npos) return true;
    std::string suffix = Lower(body.substr(dot + 1));
    if (suffix.empty() || suffix.size() > 4) return Fail("bad component list in " + text);
    if (destination) {
        operand->writeMask = 0;
        int previous = -1;
        for (char c : suffix) {
            int component = Component(c);
            if (component <= previous) return Fail("bad write mask in " + text);
            operand->writeMask |= 1u << component;
            previous = component;
        }
    } else {
        operand->swizzle = 0;
        for (size_t i = 0; i < 4; ++i) {
            int component = Component(suffix[std::min(i, suffix.size() - 1)]);
            if (component < 0) return Fail("bad swizzle in " + text);
            operand->swizzle |= static_cast<uint32_t>(component) << (2 * i);
        }
    }
    return true;
}

// The part of a mnemonic after "dcl_": a usage with an optional index, or a sampler type.
bool Parser::DeclarationSuffix(const std::string& suffix, Instruction* instruction) {
    const char* samplers[] = {"2d", "cube", "volume"};
    for (uint32_t i = 0; i < 3; ++i)
        if (suffix == samplers[i]) {
            instruction->samplerType = i + 2;
            return true;
        }
    size_t digits = suffix.find_first_of("0123456789");
    std::string name = suffix.substr(0, digits);
    for (const DeclarationUsage& u : kUsages)
        if (name == u.name) {
            instruction->usage = u.usage;
            if (digits != std::string::npos &&
                (!ParseIndex(suffix.substr(digits), &instruction->usageIndex) ||
                 instruction->usageIndex > 15))
                return Fail("bad usage index in dcl_" + suffix);
            return true;
        }
    return Fail("unknown declaration dcl_" + suffix);
}

bool Parser::InstructionLine(const std::string& code) {
    Instruction instruction;
    instruction.line = line_;
    size_t space = code.find_first_of(" \t");
    std::string mnemonic = Lower(code.substr(0, space));
    std::vector<std::string> operandTexts;
    if (space != std::string::npos) {
        std::string rest = code.substr(space);
        for (size_t start = 0, comma = 0; comma != std::string::npos; start = comma + 1) {
            comma = rest.find(',', start);
            operandTexts.push_back(Trim(rest.substr(start, comma - start)));
        }
    }
    for (const std::string& text : operandTexts)
        if (text.empty()) return Fail("empty operand in \"" + code + "\"");

    size_t underscore = mnemonic.find('_');
    instruction.mnemonic = mnemonic.substr(0, underscore);
    std::string modifiers = underscore == std::string::npos ? "" : mnemonic.substr(underscore);

    if (instruction.mnemonic == "dcl") {
        instruction.opcode = kOpDcl;
        if (!modifiers.empty() && !DeclarationSuffix(modifiers.substr(1), &instruction))
            return false;
        if (operandTexts.size() != 1) return Fail("dcl takes one register");
        Operand operand;
        if (!ParseOperand(operandTexts[0], true, &operand)) return false;
        uint32_t type = operand.reg.type;
        bool sampler = instruction.samplerType != 0;
        if (sampler ? type != kRegSampler : (type != kRegInput && type != kRegAddressOrTexture))
            return Fail("dcl" + modifiers + " cannot declare " + operandTexts[0]);
        if (source_->kind == ShaderKind::Pixel && !sampler && !modifiers.empty())
            return Fail("ps_2_0 declares inputs with a plain dcl");
        if (source_->kind == ShaderKind::Vertex && modifiers.empty())
            return Fail("a vs_2_0 input needs a usage, e.g. dcl_position");
        instruction.operands.push_back(operand);
    } else if (instruction.mnemonic == "def") {
        instruction.opcode = kOpDef;
        if (!modifiers.empty()) return Fail("def takes no modifiers");
        if (operandTexts.size() != 5) return Fail("def takes a register and four numbers");
        Operand destination;
        if (!ParseOperand(operandTexts[0], true, &destination)) return false;
        if (destination.reg.type != kRegConst || destination.writeMask != 0xF)
            return Fail("def needs a whole c# register");
        instruction.operands.push_back(destination);
        for (size_t i = 1; i < 5; ++i) {
            Operand number;
            if (!ParseNumber(operandTexts[i], &number.value))
                return Fail("\"" + operandTexts[i] + "\" is not a number");
            instruction.operands.push_back(number);
        }
    } else if (!ArithmeticInstruction(code, modifiers, operandTexts, &instruction)) {
        return false;
    }
    source_->instructions.push_back(instruction);
    return true;
}

bool Parser::ArithmeticInstruction(const std::string& code, const std::string& modifiers,
                           const std::vector<std::string>& operandTexts,
                           Instruction* instruction) {
    const Opcode* op = nullptr;
    for (const Opcode& o : kOpcodes)
        if (instruction->mnemonic == o.name) op = &o;
    if (!op) return Fail("unknown instruction \"" + code + "\"");
    if (op->pixelOnly && source_->kind != ShaderKind::Pixel)
        return Fail(instruction->mnemonic + " exists only in pixel shaders");
    instruction->opcode = op->opcode;
    std::istringstream parts(modifiers);
    std::string modifier;
    std::getline(parts, modifier, '_');  // the empty text before the first '_'
    while (std::getline(parts, modifier, '_')) {
        if (modifier == "sat") instruction->resultModifier |= 1;
        else if (modifier == "pp") instruction->resultModifier |= 2;
        else return Fail("unknown modifier _" + modifier);
    }
    if (operandTexts.size() != op->sources + 1)
        return Fail(instruction->mnemonic + " takes " + std::to_string(op->sources + 1) +
                    " operands, found " + std::to_string(operandTexts.size()));
    for (size_t i = 0; i < operandTexts.size(); ++i) {
        Operand operand;
        if (!ParseOperand(operandTexts[i], i == 0, &operand)) return false;
        uint32_t type = operand.reg.type;
        bool output = type == kRegRasterOut || type == kRegAttributeOut ||
                      type == kRegTexcoordOut || type == kRegColorOut || type == kRegDepthOut;
        bool samplerSlot = op->opcode == kOpTex && i == 2;
        if (i == 0 && type != kRegTemp && !output)
            return Fail(operandTexts[i] + " cannot be written");
        if (i > 0 && (output || (type == kRegSampler) != samplerSlot))
            return Fail(operandTexts[i] + " cannot be read here");
        instruction->operands.push_back(operand);
    }
    // m4x4 expands to four dp4 that would read a vector it has half overwritten.
    const Register& written = instruction->operands[0].reg;
    const Register& read = instruction->operands[1].reg;
    if (op->opcode == kOpM4x4 && written.type == read.type && written.number == read.number)
        return Fail("m4x4 cannot write the register it reads");
    return true;
}
