// The layout of a compiled Direct3D 9 shader: a stream of little-endian 32-bit tokens, and
// the constant table that D3DX reads from a comment block inside it. The program's check,
// the shader tool's writer and reader, and the tests all name these fields from here.
#pragma once

#include <cstdint>

// ---- Tokens --------------------------------------------------------------------------------

// The high half of a shader's version token; the low half is major << 8 | minor.
constexpr uint32_t kVertexShaderVersionType = 0xFFFE;
constexpr uint32_t kPixelShaderVersionType = 0xFFFF;
constexpr uint32_t kVersionTypeShift = 16;
constexpr uint32_t kVersionMask = 0xFFFF;

constexpr uint32_t ShaderVersion(uint32_t major, uint32_t minor) { return major << 8 | minor; }
constexpr uint32_t ShaderVersionToken(uint32_t versionType, uint32_t major, uint32_t minor) {
    return versionType << kVersionTypeShift | ShaderVersion(major, minor);
}

constexpr uint32_t kEndToken = 0x0000FFFF;

// An instruction token: opcode in bits 0-15, controls in 16-23, and from shader model 2 on
// the number of operand words that follow in bits 24-27.
constexpr uint32_t kOpcodeMask = 0xFFFF;
constexpr uint32_t kInstructionLengthShift = 24;
constexpr uint32_t kInstructionLengthMask = 0xF;
constexpr uint32_t kPredicatedBit = 0x10000000u;

// A comment block: the comment opcode with the count of the words after it in bits 16-30.
constexpr uint32_t kCommentLengthShift = 16;
constexpr uint32_t kCommentLengthMask = 0x7FFF;

inline uint32_t CommentLength(uint32_t token) {
    return (token >> kCommentLengthShift) & kCommentLengthMask;
}
inline uint32_t CommentToken(uint32_t length) { return 0xFFFEu | length << kCommentLengthShift; }

enum ShaderOpcode : uint32_t {
    kOpNop = 0x00, kOpMov = 0x01, kOpAdd = 0x02, kOpSub = 0x03, kOpMad = 0x04, kOpMul = 0x05,
    kOpRcp = 0x06, kOpRsq = 0x07, kOpDp3 = 0x08, kOpDp4 = 0x09, kOpMin = 0x0A, kOpMax = 0x0B,
    kOpSlt = 0x0C, kOpSge = 0x0D, kOpExp = 0x0E, kOpLog = 0x0F, kOpLit = 0x10, kOpDst = 0x11,
    kOpLrp = 0x12, kOpFrc = 0x13, kOpM4x4 = 0x14, kOpM4x3 = 0x15, kOpM3x4 = 0x16,
    kOpM3x3 = 0x17, kOpM3x2 = 0x18, kOpCall = 0x19, kOpCallNz = 0x1A, kOpLoop = 0x1B,
    kOpRet = 0x1C, kOpEndLoop = 0x1D, kOpLabel = 0x1E, kOpDcl = 0x1F, kOpPow = 0x20,
    kOpCrs = 0x21, kOpSgn = 0x22, kOpAbs = 0x23, kOpNrm = 0x24, kOpSinCos = 0x25, kOpRep = 0x26,
    kOpEndRep = 0x27, kOpIf = 0x28, kOpIfComp = 0x29, kOpElse = 0x2A, kOpEndIf = 0x2B,
    kOpBreak = 0x2C, kOpBreakComp = 0x2D, kOpMova = 0x2E, kOpDefB = 0x2F, kOpDefI = 0x30,
    kOpTexCoord = 0x40, kOpTexKill = 0x41, kOpTex = 0x42, kOpTexBem = 0x43, kOpTexBemL = 0x44,
    kOpTexReg2Ar = 0x45, kOpTexReg2Gb = 0x46, kOpTexM3x2Pad = 0x47, kOpTexM3x2Tex = 0x48,
    kOpTexM3x3Pad = 0x49, kOpTexM3x3Tex = 0x4A, kOpTexM3x3Spec = 0x4C, kOpTexM3x3VSpec = 0x4D,
    kOpExpP = 0x4E, kOpLogP = 0x4F, kOpCnd = 0x50, kOpDef = 0x51, kOpTexReg2Rgb = 0x52,
    kOpTexDp3Tex = 0x53, kOpTexM3x2Depth = 0x54, kOpTexDp3 = 0x55, kOpTexM3x3 = 0x56,
    kOpTexDepth = 0x57, kOpCmp = 0x58, kOpBem = 0x59, kOpDp2Add = 0x5A, kOpDsx = 0x5B,
    kOpDsy = 0x5C, kOpTexLdd = 0x5D, kOpSetP = 0x5E, kOpTexLdl = 0x5F, kOpBreakP = 0x60,
    kOpPhase = 0xFFFD, kOpComment = 0xFFFE, kOpEnd = 0xFFFF
};

// dcl, and def and its kin: a register among literal words rather than registers alone.
inline bool IsDeclarationOpcode(uint32_t opcode) {
    return opcode == kOpDcl || opcode == kOpDef || opcode == kOpDefI || opcode == kOpDefB;
}

// ---- Operands ------------------------------------------------------------------------------

// Every operand word (a register, or dcl's usage word) has bit 31 set.
constexpr uint32_t kOperandBit = 0x80000000u;
constexpr uint32_t kRegisterNumberMask = 0x7FF;
constexpr uint32_t kRelativeAddressBit = 0x2000;  // the address register follows (model 2 on)
constexpr uint32_t kWriteMaskShift = 16;          // destinations: x 1, y 2, z 4, w 8
constexpr uint32_t kResultModifierShift = 20;     // saturate 1, partial precision 2
constexpr uint32_t kSwizzleShift = 16;            // sources: two bits per component
constexpr uint32_t kSourceModifierShift = 24;     // negate 1
constexpr uint32_t kSamplerTypeShift = 27;        // in dcl's usage word: 2d 2, cube 3, volume 4
constexpr uint32_t kUsageIndexShift = 16;         // in dcl's usage word, after the usage

enum ShaderRegisterType : uint32_t {
    kRegTemp = 0, kRegInput = 1, kRegConst = 2, kRegAddressOrTexture = 3, kRegRasterOut = 4,
    kRegAttributeOut = 5, kRegTexcoordOut = 6, kRegConstInt = 7, kRegColorOut = 8,
    kRegDepthOut = 9, kRegSampler = 10, kRegConstBool = 14, kRegLoop = 15, kRegMisc = 17,
    kRegLabel = 18, kRegPredicate = 19
};

// The register type is split: its low three bits in 28-30, the rest in 11-12.
inline uint32_t RegisterTypeOf(uint32_t word) { return ((word >> 28) & 7) | ((word >> 8) & 0x18); }
inline uint32_t RegisterWord(uint32_t type, uint32_t number) {
    return kOperandBit | (type & 7u) << 28 | (type >> 3) << 11 | number;
}

// ---- The constant table ("CTAB") -----------------------------------------------------------
// A comment block whose first word is the FOURCC; every offset in it counts from the first
// byte after the FOURCC. Fields are little-endian words (32 bits) and halves (16 bits).

constexpr uint32_t kConstantTableFourcc = 0x42415443;  // "CTAB"

// The header (D3DXSHADER_CONSTANTTABLE): D3DX refuses any size but this one.
constexpr uint32_t kTableHeaderSize = 28;
enum TableHeaderField : uint32_t {
    kTableSize = 0, kTableCreator = 4, kTableVersion = 8, kTableConstants = 12,
    kTableConstantInfo = 16, kTableFlags = 20, kTableTarget = 24
};

// One per constant (D3DXSHADER_CONSTANTINFO).
constexpr uint32_t kConstantInfoSize = 20;
enum ConstantInfoField : uint32_t {
    kInfoName = 0, kInfoRegisterSet = 4, kInfoRegisterIndex = 6, kInfoRegisterCount = 8,
    kInfoTypeInfo = 12, kInfoDefaultValue = 16
};

// A constant's type (D3DXSHADER_TYPEINFO).
constexpr uint32_t kTypeInfoSize = 16;
enum TypeInfoField : uint32_t {
    kTypeClass = 0, kTypeType = 2, kTypeRows = 4, kTypeColumns = 6, kTypeElements = 8,
    kTypeMembers = 10, kTypeMemberInfo = 12
};

// A structure's member (D3DXSHADER_STRUCTMEMBERINFO).
constexpr uint32_t kMemberInfoSize = 8;
enum MemberInfoField : uint32_t { kMemberName = 0, kMemberType = 4 };

enum RegisterSet : uint32_t {
    kSetBool = 0, kSetInt4 = 1, kSetFloat4 = 2, kSetSampler = 3
};
// A default value holds RegisterCount registers of this many bytes.
inline uint32_t RegisterBytes(uint32_t set) { return set == kSetBool ? 4 : 16; }

enum TypeClass : uint32_t {
    kClassScalar = 0, kClassVector = 1, kClassMatrixRows = 2, kClassMatrixColumns = 3,
    kClassObject = 4, kClassStruct = 5
};

// Parameter types that the tools write; D3DX numbers more.
enum ParameterType : uint32_t {
    kTypeFloat = 3, kTypeSampler2D = 12, kTypeSampler3D = 13, kTypeSamplerCube = 14
};
