#include "formats/shader_instructions.h"

#include "formats/shader_format.h"

namespace {

// Versions as major << 8 | minor.
constexpr uint32_t V(uint32_t major, uint32_t minor) { return ShaderVersion(major, minor); }
const uint32_t kNone = 0xFFFF;  // as a first version: the kind has no such instruction

// Direct3D on Windows validates a shader before it creates it; Wine's does not. It finds
// each instruction in its own table by opcode and version, walks shader model 1 by that
// table's operand counts and later models by the length in the instruction token, and
// indexes its own arrays by register numbers. An opcode it does not know it skips by a
// different rule, so the walks part.

struct Instruction {
    uint32_t opcode;
    uint8_t destinations;
    uint8_t sources;
    uint32_t vertexFrom, vertexTo;  // versions of each kind that have it
    uint32_t pixelFrom, pixelTo;
};

const uint32_t kAll = V(1, 1);
const uint32_t kLast = V(3, 0);

// Every instruction of the models, with its operands (not counting a predicate).
// dcl and the def family are checked apart; their operand counts here are their lengths.
// clang-format off
const Instruction kInstructions[] = {
    {kOpNop, 0, 0, kAll, kLast, kAll, kLast},
    {kOpMov, 1, 1, kAll, kLast, kAll, kLast},
    {kOpAdd, 1, 2, kAll, kLast, kAll, kLast},
    {kOpSub, 1, 2, kAll, kLast, kAll, kLast},
    {kOpMad, 1, 3, kAll, kLast, kAll, kLast},
    {kOpMul, 1, 2, kAll, kLast, kAll, kLast},
    {kOpRcp, 1, 1, kAll, kLast, V(2, 0), kLast},
    {kOpRsq, 1, 1, kAll, kLast, V(2, 0), kLast},
    {kOpDp3, 1, 2, kAll, kLast, kAll, kLast},
    {kOpDp4, 1, 2, kAll, kLast, V(1, 2), kLast},
    {kOpMin, 1, 2, kAll, kLast, V(2, 0), kLast},
    {kOpMax, 1, 2, kAll, kLast, V(2, 0), kLast},
    {kOpSlt, 1, 2, kAll, kLast, kNone, 0},
    {kOpSge, 1, 2, kAll, kLast, kNone, 0},
    {kOpExp, 1, 1, kAll, kLast, V(2, 0), kLast},
    {kOpLog, 1, 1, kAll, kLast, V(2, 0), kLast},
    {kOpLit, 1, 1, kAll, kLast, kNone, 0},
    {kOpDst, 1, 2, kAll, kLast, kNone, 0},
    {kOpLrp, 1, 3, V(2, 0), kLast, kAll, kLast},
    {kOpFrc, 1, 1, kAll, kLast, V(2, 0), kLast},
    {kOpM4x4, 1, 2, kAll, kLast, V(2, 0), kLast},
    {kOpM4x3, 1, 2, kAll, kLast, V(2, 0), kLast},
    {kOpM3x4, 1, 2, kAll, kLast, V(2, 0), kLast},
    {kOpM3x3, 1, 2, kAll, kLast, V(2, 0), kLast},
    {kOpM3x2, 1, 2, kAll, kLast, V(2, 0), kLast},
    {kOpCall, 0, 1, V(2, 0), kLast, V(2, 1), kLast},
    {kOpCallNz, 0, 2, V(2, 0), kLast, V(2, 1), kLast},
    {kOpLoop, 0, 2, V(2, 0), kLast, V(3, 0), kLast},
    {kOpRet, 0, 0, V(2, 0), kLast, V(2, 1), kLast},
    {kOpEndLoop, 0, 0, V(2, 0), kLast, V(3, 0), kLast},
    {kOpLabel, 0, 1, V(2, 0), kLast, V(2, 1), kLast},
    {kOpDcl, 0, 2, kAll, kLast, V(2, 0), kLast},          // dcl: usage, register
    {kOpPow, 1, 2, V(2, 0), kLast, V(2, 0), kLast},
    {kOpCrs, 1, 2, V(2, 0), kLast, V(2, 0), kLast},
    {kOpSgn, 1, 3, V(2, 0), V(2, 1), kNone, 0},           // sgn, with two scratch registers
    {kOpSgn, 1, 1, V(3, 0), kLast, kNone, 0},
    {kOpAbs, 1, 1, V(2, 0), kLast, V(2, 0), kLast},
    {kOpNrm, 1, 1, V(2, 0), kLast, V(2, 0), kLast},
    {kOpSinCos, 1, 3, V(2, 0), V(2, 1), V(2, 0), V(2, 1)},// sincos, with two constants
    {kOpSinCos, 1, 1, V(3, 0), kLast, V(3, 0), kLast},
    {kOpRep, 0, 1, V(2, 0), kLast, V(2, 1), kLast},
    {kOpEndRep, 0, 0, V(2, 0), kLast, V(2, 1), kLast},
    {kOpIf, 0, 1, V(2, 0), kLast, V(2, 1), kLast},
    {kOpIfComp, 0, 2, V(2, 1), kLast, V(2, 1), kLast},    // if_comp
    {kOpElse, 0, 0, V(2, 0), kLast, V(2, 1), kLast},
    {kOpEndIf, 0, 0, V(2, 0), kLast, V(2, 1), kLast},
    {kOpBreak, 0, 0, V(2, 1), kLast, V(2, 1), kLast},
    {kOpBreakComp, 0, 2, V(2, 1), kLast, V(2, 1), kLast}, // break_comp
    {kOpMova, 1, 1, V(2, 0), kLast, kNone, 0},
    {kOpDefB, 1, 1, V(2, 0), kLast, V(2, 0), kLast},      // defb: register, value
    {kOpDefI, 1, 4, V(2, 0), kLast, V(2, 0), kLast},      // defi: register, four values
    {kOpTexCoord, 1, 0, kNone, 0, kAll, V(1, 3)},
    {kOpTexCoord, 1, 1, kNone, 0, V(1, 4), V(1, 4)},      // texcrd
    {kOpTexKill, 1, 0, kNone, 0, kAll, kLast},
    {kOpTex, 1, 0, kNone, 0, kAll, V(1, 3)},
    {kOpTex, 1, 1, kNone, 0, V(1, 4), V(1, 4)},           // texld
    {kOpTex, 1, 2, kNone, 0, V(2, 0), kLast},             // texld, texldp, texldb
    {kOpTexBem, 1, 1, kNone, 0, kAll, V(1, 3)},
    {kOpTexBemL, 1, 1, kNone, 0, kAll, V(1, 3)},
    {kOpTexReg2Ar, 1, 1, kNone, 0, kAll, V(1, 3)},
    {kOpTexReg2Gb, 1, 1, kNone, 0, kAll, V(1, 3)},
    {kOpTexM3x2Pad, 1, 1, kNone, 0, kAll, V(1, 3)},
    {kOpTexM3x2Tex, 1, 1, kNone, 0, kAll, V(1, 3)},
    {kOpTexM3x3Pad, 1, 1, kNone, 0, kAll, V(1, 3)},
    {kOpTexM3x3Tex, 1, 1, kNone, 0, kAll, V(1, 3)},
    {kOpTexM3x3Spec, 1, 2, kNone, 0, kAll, V(1, 3)},
    {kOpTexM3x3VSpec, 1, 1, kNone, 0, kAll, V(1, 3)},
    {kOpExpP, 1, 1, kAll, kLast, kNone, 0},
    {kOpLogP, 1, 1, kAll, kLast, kNone, 0},
    {kOpCnd, 1, 3, kNone, 0, kAll, V(1, 4)},
    {kOpDef, 1, 4, kAll, kLast, kAll, kLast},             // def: register, four values
    {kOpTexReg2Rgb, 1, 1, kNone, 0, V(1, 2), V(1, 3)},
    {kOpTexDp3Tex, 1, 1, kNone, 0, V(1, 2), V(1, 3)},
    {kOpTexM3x2Depth, 1, 1, kNone, 0, V(1, 3), V(1, 3)},
    {kOpTexDp3, 1, 1, kNone, 0, V(1, 2), V(1, 3)},
    {kOpTexM3x3, 1, 1, kNone, 0, V(1, 2), V(1, 3)},
    {kOpTexDepth, 1, 0, kNone, 0, V(1, 4), V(1, 4)},
    {kOpCmp, 1, 3, kNone, 0, V(1, 2), kLast},
    {kOpBem, 1, 2, kNone, 0, V(1, 4), V(1, 4)},
    {kOpDp2Add, 1, 3, kNone, 0, V(2, 0), kLast},
    {kOpDsx, 1, 1, kNone, 0, V(2, 1), kLast},
    {kOpDsy, 1, 1, kNone, 0, V(2, 1), kLast},
    {kOpTexLdd, 1, 4, kNone, 0, V(2, 1), kLast},
    {kOpSetP, 1, 2, V(2, 1), kLast, V(2, 1), kLast},
    {kOpTexLdl, 1, 2, V(3, 0), kLast, V(3, 0), kLast},
    {kOpBreakP, 0, 1, V(2, 1), kLast, V(2, 1), kLast},
    {kOpPhase, 0, 0, kNone, 0, V(1, 4), V(1, 4)},
};
// clang-format on

const Instruction* FindInstruction(uint32_t opcode, bool pixel, uint32_t version) {
    for (const Instruction& instruction : kInstructions) {
        const uint32_t from = pixel ? instruction.pixelFrom : instruction.vertexFrom;
        const uint32_t to = pixel ? instruction.pixelTo : instruction.vertexTo;
        if (instruction.opcode == opcode && version >= from && version <= to) return &instruction;
    }
    return nullptr;
}

// How many registers of a kind a shader of this kind and model has (0 for none).
uint32_t RegisterCount(uint32_t type, bool pixel, uint32_t version) {
    const uint32_t major = version >> 8;
    switch (type) {
        case kRegTemp: return 32;
        case kRegInput:
            return pixel ? (major == 3 ? 10 : 2) : 16;
        case kRegConst:
            return pixel ? (major == 1 ? 8 : major == 2 ? 32 : 224) : 256;
        case kRegAddressOrTexture: return pixel ? 8 : 1;
        case kRegRasterOut: return pixel ? 0 : 3;
        case kRegAttributeOut: return pixel ? 0 : 2;
        case kRegTexcoordOut:
            return pixel ? 0 : (major == 3 ? 12 : 8);
        case kRegConstInt:
        case kRegConstBool:
            return major == 1 ? 0 : 16;
        case kRegColorOut:
            return pixel && major > 1 ? 4 : 0;
        case kRegDepthOut:
            return pixel && major > 1 ? 1 : 0;
        case kRegSampler:
            return pixel ? (major == 1 ? 0 : 16) : (major == 3 ? 4 : 0);
        case kRegLoop:
        case kRegPredicate:
            return major == 1 ? 0 : 1;
        case kRegMisc: return pixel && major == 3 ? 2 : 0;
        case kRegLabel:
            return major == 1 ? 0 : 2048;
        default: return 0;
    }
}

bool RegisterValid(uint32_t word, bool pixel, uint32_t version) {
    return (word & kOperandBit) != 0 &&
           (word & kRegisterNumberMask) < RegisterCount(RegisterTypeOf(word), pixel, version);
}

}  // namespace

bool IsShaderModel(bool pixel, uint32_t version) {
    static const uint32_t vertex[] = {V(1, 1), V(2, 0), V(2, 1), V(3, 0)};
    static const uint32_t fragment[] = {V(1, 1), V(1, 2), V(1, 3), V(1, 4),
                                        V(2, 0), V(2, 1), V(3, 0)};
    if (pixel) {
        for (uint32_t model : fragment)
            if (model == version) return true;
    } else {
        for (uint32_t model : vertex)
            if (model == version) return true;
    }
    return false;
}

bool CheckInstruction(const TokenStream& stream, size_t at, size_t available, size_t* length,
                      std::string* reason) {
    const uint32_t token = stream.At(at);
    const uint32_t opcode = token & kOpcodeMask;
    const bool modelOne = stream.version < V(2, 0);
    const auto wrongOperands = [reason] {
        *reason = "an instruction has the wrong operands";
        return false;
    };
    const auto badRegister = [reason] {
        *reason = "an instruction names a register the shader does not have";
        return false;
    };
    const auto runsPast = [reason] {
        *reason = "an instruction runs past the end of the file";
        return false;
    };
    const Instruction* instruction = (token & kOperandBit) != 0
                                         ? nullptr
                                         : FindInstruction(opcode, stream.pixel, stream.version);
    // Shader model 1 has no predicates; Wine would read one more word than it skips.
    if (instruction == nullptr || (modelOne && (token & kPredicatedBit) != 0)) {
        *reason = "an instruction the shader model does not have";
        return false;
    }
    // From shader model 2 on, the token counts its operand words; before, the opcode does.
    const size_t counted = (token >> kInstructionLengthShift) & kInstructionLengthMask;
    const size_t operands = instruction->destinations + instruction->sources;
    if (!modelOne && counted > available) return runsPast();
    *length = modelOne ? operands : counted;
    const auto operand = [&](size_t n) { return stream.At(at + n); };

    // dcl: a usage word and a register; def, defi, defb: a register and its literal values.
    if (IsDeclarationOpcode(opcode)) {
        if (*length != operands) return wrongOperands();
        if (*length > available) return runsPast();
        const uint32_t target = operand(opcode == kOpDcl ? 2 : 1);
        const uint32_t wanted = opcode == kOpDef    ? kRegConst
                                : opcode == kOpDefI ? kRegConstInt
                                                    : kRegConstBool;
        if ((opcode == kOpDcl && (operand(1) & kOperandBit) == 0) ||
            (opcode != kOpDcl && RegisterTypeOf(target) != wanted)) {
            return wrongOperands();
        }
        return RegisterValid(target, stream.pixel, stream.version) || badRegister();
    }
    // A predicated instruction names its predicate register after the destination.
    size_t registers = operands + ((token & kPredicatedBit) ? 1 : 0);
    size_t n = 1;
    for (; registers > 0; --registers) {
        if (n > *length) return wrongOperands();
        if (n > available) return runsPast();
        const uint32_t word = operand(n++);
        if (!RegisterValid(word, stream.pixel, stream.version)) return badRegister();
        // Relative addressing: from shader model 2 on, the address register follows.
        if ((word & kRelativeAddressBit) != 0 && !modelOne) {
            if (n > *length) return wrongOperands();
            if (!RegisterValid(operand(n++), stream.pixel, stream.version)) return badRegister();
        }
    }
    return n == *length + 1 || wrongOperands();
}
