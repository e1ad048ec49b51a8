#include "material/shader_tokens.h"

#include <cstring>

namespace {

const uint32_t kEndToken = 0x0000FFFF;
const uint32_t kCommentToken = 0xFFFE;
const uint32_t kPhaseToken = 0xFFFD;
const uint32_t kConstantTableFourcc = 0x42415443;  // "CTAB"
const uint32_t kTableHeaderSize = 28;

// Versions as major << 8 | minor; vs_2_x and ps_2_x declare 2.1.
constexpr uint32_t V(uint32_t major, uint32_t minor) {
    return major << 8 | minor;
}
const uint32_t kNone = 0xFFFF;  // as a first version: the kind has no such instruction

// Reads little-endian values from a block without assuming any alignment.
class Block {
public:
    Block(const unsigned char* bytes, size_t size) : bytes_(bytes), size_(size) {}

    size_t Size() const { return size_; }
    const unsigned char* Bytes() const { return bytes_; }
    Block Part(size_t offset, size_t length) const { return Block(bytes_ + offset, length); }
    bool Holds(size_t offset, size_t length) const {
        return offset <= size_ && length <= size_ - offset;
    }
    uint32_t Word(size_t offset) const {
        uint32_t value;
        std::memcpy(&value, bytes_ + offset, sizeof value);
        return value;
    }
    uint32_t Half(size_t offset) const {
        uint16_t value;
        std::memcpy(&value, bytes_ + offset, sizeof value);
        return value;
    }

private:
    const unsigned char* bytes_;
    size_t size_;
};

// ---- The constant table ------------------------------------------------------------------
//
// D3DXGetShaderConstantTable copies the "CTAB" block and follows its offsets without
// checking them. For every constant it builds a tree: an array of E elements gets E children
// of the same type record, a structure one child per member, and so on down, with no limit
// on depth and none on sharing, so a few shared or cyclic records make it recurse without
// end or build a tree exponential in their number. GetConstantByName then reads the names
// of the top-level constants, SetDefaults their default values, and SetFloatArray and
// SetMatrix read the caller's values by the rows and columns the table claims.

enum TypeClass : uint32_t {
    Scalar = 0,
    Vector = 1,
    MatrixRows = 2,
    MatrixColumns = 3,
    Object = 4,
    Struct = 5
};
enum RegisterSet : uint32_t { BoolSet = 0, IntSet = 1, FloatSet = 2, SamplerSet = 3 };

// The constants the program writes through SetFloatArray and SetMatrix.
const char* const kWrittenNames[] = {"g_colorModifier", "g_transform_worldToView",
                                     "g_transform_viewToScreen", "g_transform_modelToWorld"};

// Deeper than any compiler nests structures and arrays; D3DX recurses once per level.
const int kMaxTypeDepth = 32;
// D3DX builds one node per constant, element and member: allow a fixed number plus one per
// byte of the table, which covers every array that fits in a shader model's registers.
const size_t kNodeAllowance = 8192;

class TableCheck {
public:
    TableCheck(const Block& table, uint64_t* work) : table_(table), work_(work) {
        // A string at `offset` ends inside the block when some zero byte lies at or after
        // it: find the last zero once, so that each name costs one comparison.
        for (size_t i = table.Size(); i > 0; --i) {
            if (table.Bytes()[i - 1] == 0) {
                lastZero_ = i - 1;
                hasZero_ = true;
                break;
            }
        }
        *work_ += table.Size() / 4;
        nodesLeft_ = kNodeAllowance + table.Size();
        nameBytesLeft_ = 2 * table.Size() + 4096;
    }

    bool Check(std::string* reason) {
        if (!table_.Holds(0, kTableHeaderSize) || table_.Word(0) != kTableHeaderSize) {
            *reason = "the constant table's header is damaged";
            return false;
        }
        const size_t creator = table_.Word(4);
        const size_t count = table_.Word(12);
        const size_t infos = table_.Word(16);
        const size_t target = table_.Word(24);
        if ((creator != 0 && !String(creator)) || (target != 0 && !String(target)) ||
            count > table_.Size() / 20 || !table_.Holds(infos, count * 20)) {
            return Outside(reason);
        }
        for (size_t i = 0; i < count; ++i) {
            const size_t info = infos + i * 20;
            const size_t name = table_.Word(info);
            const uint32_t set = table_.Half(info + 4);
            const size_t registerCount = table_.Half(info + 8);
            const size_t defaultValue = table_.Word(info + 16);
            // SetDefaults hands the device RegisterCount registers from the default value.
            const size_t registerBytes = set == BoolSet ? 4 : 16;
            if (!String(name)) return Outside(reason);
            if (!NameWithinAllowance(name)) {
                *reason = "the constant table's names are far longer than the table";
                return false;
            }
            if (defaultValue != 0 && set <= FloatSet &&
                !table_.Holds(defaultValue, registerCount * registerBytes)) {
                return Outside(reason);
            }
            if (!Type(table_.Word(info + 12), false, IsWritten(name), 0, reason)) return false;
        }
        return true;
    }

private:
    bool Outside(std::string* reason) {
        *reason = "the constant table points outside its comment block";
        return false;
    }

    bool String(size_t offset) const { return hasZero_ && offset <= lastZero_; }

    // GetConstantByName measures the name of every top-level constant it passes: together
    // they may be no longer than a few times the table, however many constants share one.
    bool NameWithinAllowance(size_t name) {
        const size_t room = lastZero_ - name + 1;
        const size_t limit = room < nameBytesLeft_ ? room : nameBytesLeft_;
        const void* end = std::memchr(table_.Bytes() + name, 0, limit);
        const size_t length =
            end ? static_cast<const unsigned char*>(end) - (table_.Bytes() + name) + 1 : limit;
        *work_ += length / 4 + 1;
        if (end == nullptr) return false;
        nameBytesLeft_ -= length;
        return true;
    }

    bool IsWritten(size_t name) const {
        const char* text = reinterpret_cast<const char*>(table_.Bytes() + name);
        const size_t room = lastZero_ - name + 1;
        for (const char* written : kWrittenNames) {
            const size_t length = std::strlen(written) + 1;
            if (length <= room && std::memcmp(text, written, length) == 0) return true;
        }
        return false;
    }

    // One node of D3DX's tree, as parse_ctab_constant_type builds it, and those below it.
    bool Type(size_t offset, bool isElement, bool written, int depth, std::string* reason) {
        ++*work_;
        if (nodesLeft_ == 0) {
            *reason = "the constant table's types expand to far more constants than it holds";
            return false;
        }
        --nodesLeft_;
        if (depth > kMaxTypeDepth) {
            *reason = "the constant table's types nest too deeply or contain themselves";
            return false;
        }
        if (!table_.Holds(offset, 16)) return Outside(reason);
        const uint32_t typeClass = table_.Half(offset);
        const uint32_t rows = table_.Half(offset + 4);
        const uint32_t columns = table_.Half(offset + 6);
        const size_t elements = table_.Half(offset + 8);
        const size_t members = table_.Half(offset + 10);
        const size_t memberInfo = table_.Word(offset + 12);
        if (elements > 1 && !isElement) {
            for (size_t i = 0; i < elements; ++i) {
                if (!Type(offset, true, written, depth + 1, reason)) return false;
            }
            return true;
        }
        if (typeClass == Struct && members > 0) {
            if (written) return BadShape(reason);
            if (!table_.Holds(memberInfo, members * 8)) return Outside(reason);
            for (size_t i = 0; i < members; ++i) {
                const size_t member = memberInfo + i * 8;
                if (!String(table_.Word(member))) return Outside(reason);
                if (!Type(table_.Word(member + 4), false, written, depth + 1, reason)) return false;
            }
            return true;
        }
        // SetFloatArray and SetMatrix read rows times columns of the caller's values, with
        // the strides of a real scalar, vector or matrix of at most four by four.
        if (written) {
            const bool shaped =
                (typeClass == Scalar && rows == 1 && columns == 1) ||
                (typeClass == Vector && rows == 1 && columns >= 1 && columns <= 4) ||
                ((typeClass == MatrixRows || typeClass == MatrixColumns) && rows >= 1 &&
                 rows <= 4 && columns >= 1 && columns <= 4) ||
                typeClass == Object;
            if (!shaped) return BadShape(reason);
        }
        return true;
    }

    bool BadShape(std::string* reason) {
        *reason = "the constant table gives a constant the program sets a shape it cannot take";
        return false;
    }

    const Block table_;  // a copy: the caller hands over a temporary part of the file
    uint64_t* work_;
    size_t lastZero_ = 0;
    bool hasZero_ = false;
    size_t nodesLeft_ = 0;
    size_t nameBytesLeft_ = 0;
};

// ---- Instructions and registers ----------------------------------------------------------
//
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
    {0x00, 0, 0, kAll, kLast, kAll, kLast},            // nop
    {0x01, 1, 1, kAll, kLast, kAll, kLast},            // mov
    {0x02, 1, 2, kAll, kLast, kAll, kLast},            // add
    {0x03, 1, 2, kAll, kLast, kAll, kLast},            // sub
    {0x04, 1, 3, kAll, kLast, kAll, kLast},            // mad
    {0x05, 1, 2, kAll, kLast, kAll, kLast},            // mul
    {0x06, 1, 1, kAll, kLast, V(2, 0), kLast},         // rcp
    {0x07, 1, 1, kAll, kLast, V(2, 0), kLast},         // rsq
    {0x08, 1, 2, kAll, kLast, kAll, kLast},            // dp3
    {0x09, 1, 2, kAll, kLast, V(1, 2), kLast},         // dp4
    {0x0A, 1, 2, kAll, kLast, V(2, 0), kLast},         // min
    {0x0B, 1, 2, kAll, kLast, V(2, 0), kLast},         // max
    {0x0C, 1, 2, kAll, kLast, kNone, 0},               // slt
    {0x0D, 1, 2, kAll, kLast, kNone, 0},               // sge
    {0x0E, 1, 1, kAll, kLast, V(2, 0), kLast},         // exp
    {0x0F, 1, 1, kAll, kLast, V(2, 0), kLast},         // log
    {0x10, 1, 1, kAll, kLast, kNone, 0},               // lit
    {0x11, 1, 2, kAll, kLast, kNone, 0},               // dst
    {0x12, 1, 3, V(2, 0), kLast, kAll, kLast},         // lrp
    {0x13, 1, 1, kAll, kLast, V(2, 0), kLast},         // frc
    {0x14, 1, 2, kAll, kLast, V(2, 0), kLast},         // m4x4
    {0x15, 1, 2, kAll, kLast, V(2, 0), kLast},         // m4x3
    {0x16, 1, 2, kAll, kLast, V(2, 0), kLast},         // m3x4
    {0x17, 1, 2, kAll, kLast, V(2, 0), kLast},         // m3x3
    {0x18, 1, 2, kAll, kLast, V(2, 0), kLast},         // m3x2
    {0x19, 0, 1, V(2, 0), kLast, V(2, 1), kLast},      // call
    {0x1A, 0, 2, V(2, 0), kLast, V(2, 1), kLast},      // callnz
    {0x1B, 0, 2, V(2, 0), kLast, V(3, 0), kLast},      // loop
    {0x1C, 0, 0, V(2, 0), kLast, V(2, 1), kLast},      // ret
    {0x1D, 0, 0, V(2, 0), kLast, V(3, 0), kLast},      // endloop
    {0x1E, 0, 1, V(2, 0), kLast, V(2, 1), kLast},      // label
    {0x1F, 0, 2, kAll, kLast, V(2, 0), kLast},         // dcl: usage, register
    {0x20, 1, 2, V(2, 0), kLast, V(2, 0), kLast},      // pow
    {0x21, 1, 2, V(2, 0), kLast, V(2, 0), kLast},      // crs
    {0x22, 1, 3, V(2, 0), V(2, 1), kNone, 0},          // sgn, with two scratch registers
    {0x22, 1, 1, V(3, 0), kLast, kNone, 0},            // sgn
    {0x23, 1, 1, V(2, 0), kLast, V(2, 0), kLast},      // abs
    {0x24, 1, 1, V(2, 0), kLast, V(2, 0), kLast},      // nrm
    {0x25, 1, 3, V(2, 0), V(2, 1), V(2, 0), V(2, 1)},  // sincos, with two constants
    {0x25, 1, 1, V(3, 0), kLast, V(3, 0), kLast},      // sincos
    {0x26, 0, 1, V(2, 0), kLast, V(2, 1), kLast},      // rep
    {0x27, 0, 0, V(2, 0), kLast, V(2, 1), kLast},      // endrep
    {0x28, 0, 1, V(2, 0), kLast, V(2, 1), kLast},      // if
    {0x29, 0, 2, V(2, 1), kLast, V(2, 1), kLast},      // if_comp
    {0x2A, 0, 0, V(2, 0), kLast, V(2, 1), kLast},      // else
    {0x2B, 0, 0, V(2, 0), kLast, V(2, 1), kLast},      // endif
    {0x2C, 0, 0, V(2, 1), kLast, V(2, 1), kLast},      // break
    {0x2D, 0, 2, V(2, 1), kLast, V(2, 1), kLast},      // break_comp
    {0x2E, 1, 1, V(2, 0), kLast, kNone, 0},            // mova
    {0x2F, 1, 1, V(2, 0), kLast, V(2, 0), kLast},      // defb: register, value
    {0x30, 1, 4, V(2, 0), kLast, V(2, 0), kLast},      // defi: register, four values
    {0x40, 1, 0, kNone, 0, kAll, V(1, 3)},             // texcoord
    {0x40, 1, 1, kNone, 0, V(1, 4), V(1, 4)},          // texcrd
    {0x41, 1, 0, kNone, 0, kAll, kLast},               // texkill
    {0x42, 1, 0, kNone, 0, kAll, V(1, 3)},             // tex
    {0x42, 1, 1, kNone, 0, V(1, 4), V(1, 4)},          // texld
    {0x42, 1, 2, kNone, 0, V(2, 0), kLast},            // texld, texldp, texldb
    {0x43, 1, 1, kNone, 0, kAll, V(1, 3)},             // texbem
    {0x44, 1, 1, kNone, 0, kAll, V(1, 3)},             // texbeml
    {0x45, 1, 1, kNone, 0, kAll, V(1, 3)},             // texreg2ar
    {0x46, 1, 1, kNone, 0, kAll, V(1, 3)},             // texreg2gb
    {0x47, 1, 1, kNone, 0, kAll, V(1, 3)},             // texm3x2pad
    {0x48, 1, 1, kNone, 0, kAll, V(1, 3)},             // texm3x2tex
    {0x49, 1, 1, kNone, 0, kAll, V(1, 3)},             // texm3x3pad
    {0x4A, 1, 1, kNone, 0, kAll, V(1, 3)},             // texm3x3tex
    {0x4C, 1, 2, kNone, 0, kAll, V(1, 3)},             // texm3x3spec
    {0x4D, 1, 1, kNone, 0, kAll, V(1, 3)},             // texm3x3vspec
    {0x4E, 1, 1, kAll, kLast, kNone, 0},               // expp
    {0x4F, 1, 1, kAll, kLast, kNone, 0},               // logp
    {0x50, 1, 3, kNone, 0, kAll, V(1, 4)},             // cnd
    {0x51, 1, 4, kAll, kLast, kAll, kLast},            // def: register, four values
    {0x52, 1, 1, kNone, 0, V(1, 2), V(1, 3)},          // texreg2rgb
    {0x53, 1, 1, kNone, 0, V(1, 2), V(1, 3)},          // texdp3tex
    {0x54, 1, 1, kNone, 0, V(1, 3), V(1, 3)},          // texm3x2depth
    {0x55, 1, 1, kNone, 0, V(1, 2), V(1, 3)},          // texdp3
    {0x56, 1, 1, kNone, 0, V(1, 2), V(1, 3)},          // texm3x3
    {0x57, 1, 0, kNone, 0, V(1, 4), V(1, 4)},          // texdepth
    {0x58, 1, 3, kNone, 0, V(1, 2), kLast},            // cmp
    {0x59, 1, 2, kNone, 0, V(1, 4), V(1, 4)},          // bem
    {0x5A, 1, 3, kNone, 0, V(2, 0), kLast},            // dp2add
    {0x5B, 1, 1, kNone, 0, V(2, 1), kLast},            // dsx
    {0x5C, 1, 1, kNone, 0, V(2, 1), kLast},            // dsy
    {0x5D, 1, 4, kNone, 0, V(2, 1), kLast},            // texldd
    {0x5E, 1, 2, V(2, 1), kLast, V(2, 1), kLast},      // setp
    {0x5F, 1, 2, V(3, 0), kLast, V(3, 0), kLast},      // texldl
    {0x60, 0, 1, V(2, 1), kLast, V(2, 1), kLast},      // breakp
    {kPhaseToken, 0, 0, kNone, 0, V(1, 4), V(1, 4)},   // phase
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

bool IsModel(bool pixel, uint32_t version) {
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

enum RegisterType : uint32_t {
    Temp = 0, Input = 1, Const = 2, AddressOrTexture = 3, RasterizerOut = 4, AttributeOut = 5,
    TexcoordOut = 6, ConstInt = 7, ColorOut = 8, DepthOut = 9, Sampler = 10, ConstBool = 14,
    Loop = 15, Misc = 17, Label = 18, Predicate = 19
};

uint32_t RegisterTypeOf(uint32_t word) { return ((word >> 28) & 7) | ((word >> 8) & 0x18); }

// How many registers of a kind a shader of this kind and model has (0 for none).
uint32_t RegisterCount(uint32_t type, bool pixel, uint32_t version) {
    const uint32_t major = version >> 8;
    switch (type) {
        case Temp: return 32;
        case Input:
            return pixel ? (major == 3 ? 10 : 2) : 16;
        case Const:
            return pixel ? (major == 1 ? 8 : major == 2 ? 32 : 224) : 256;
        case AddressOrTexture: return pixel ? 8 : 1;
        case RasterizerOut: return pixel ? 0 : 3;
        case AttributeOut: return pixel ? 0 : 2;
        case TexcoordOut:
            return pixel ? 0 : (major == 3 ? 12 : 8);
        case ConstInt:
        case ConstBool:
            return major == 1 ? 0 : 16;
        case ColorOut:
            return pixel && major > 1 ? 4 : 0;
        case DepthOut:
            return pixel && major > 1 ? 1 : 0;
        case Sampler:
            return pixel ? (major == 1 ? 0 : 16) : (major == 3 ? 4 : 0);
        case Loop:
        case Predicate:
            return major == 1 ? 0 : 1;
        case Misc: return pixel && major == 3 ? 2 : 0;
        case Label:
            return major == 1 ? 0 : 2048;
        default: return 0;
    }
}

bool RegisterValid(uint32_t word, bool pixel, uint32_t version) {
    return (word & 0x80000000u) != 0 &&
           (word & 0x7FF) < RegisterCount(RegisterTypeOf(word), pixel, version);
}

struct Stream {
    const Block& file;
    bool pixel;
    uint32_t version;
    uint64_t* work;
    uint32_t At(size_t word) const {
        ++*work;
        return file.Word(word * 4);
    }
};

// The instruction at word `at`, whose operands are the `available` words after it. Sets
// *length to the operand words it takes.
bool InstructionValid(const Stream& stream, size_t at, size_t available, size_t* length,
                      std::string* reason) {
    const uint32_t token = stream.At(at);
    const uint32_t opcode = token & 0xFFFF;
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
    const Instruction* instruction = (token & 0x80000000u) != 0
                                         ? nullptr
                                         : FindInstruction(opcode, stream.pixel, stream.version);
    // Shader model 1 has no predicates; Wine would read one more word than it skips.
    if (instruction == nullptr || (modelOne && (token & 0x10000000u) != 0)) {
        *reason = "an instruction the shader model does not have";
        return false;
    }
    // From shader model 2 on, the token counts its operand words; before, the opcode does.
    const size_t counted = (token >> 24) & 0xF;
    const size_t operands = instruction->destinations + instruction->sources;
    if (!modelOne && counted > available) return runsPast();
    *length = modelOne ? operands : counted;
    const auto operand = [&](size_t n) { return stream.At(at + n); };

    // dcl: a usage word and a register; def, defi, defb: a register and its literal values.
    if (opcode == 0x1F || opcode == 0x51 || opcode == 0x30 || opcode == 0x2F) {
        if (*length != operands) return wrongOperands();
        if (*length > available) return runsPast();
        const uint32_t target = operand(opcode == 0x1F ? 2 : 1);
        const uint32_t wanted = opcode == 0x51 ? Const : opcode == 0x30 ? ConstInt : ConstBool;
        if ((opcode == 0x1F && (operand(1) & 0x80000000u) == 0) ||
            (opcode != 0x1F && RegisterTypeOf(target) != wanted)) {
            return wrongOperands();
        }
        return RegisterValid(target, stream.pixel, stream.version) || badRegister();
    }
    // A predicated instruction names its predicate register after the destination.
    size_t registers = operands + ((token & 0x10000000u) ? 1 : 0);
    size_t n = 1;
    for (; registers > 0; --registers) {
        if (n > *length) return wrongOperands();
        if (n > available) return runsPast();
        const uint32_t word = operand(n++);
        if (!RegisterValid(word, stream.pixel, stream.version)) return badRegister();
        // Relative addressing: from shader model 2 on, the address register follows.
        if ((word & 0x2000u) != 0 && !modelOne) {
            if (n > *length) return wrongOperands();
            if (!RegisterValid(operand(n++), stream.pixel, stream.version)) return badRegister();
        }
    }
    return n == *length + 1 || wrongOperands();
}

bool Check(const Block& file, uint32_t expectedVersionType, std::string* reason,
           ShaderTokenFacts* facts) {
    if (file.Size() == 0) {
        *reason = "the file is empty";
        return false;
    }
    if (file.Size() < 4) {
        *reason = "the file is too short to be a shader";
        return false;
    }
    // What the file is matters more to the reader than how long it is.
    const uint32_t versionToken = file.Word(0);
    const uint32_t versionType = versionToken >> 16;
    if (versionType != kVertexShaderVersionType && versionType != kPixelShaderVersionType) {
        *reason = "the file does not begin with a shader version token";
        return false;
    }
    if (versionType != expectedVersionType) {
        *reason = expectedVersionType == kVertexShaderVersionType ? "not a vertex shader"
                                                                  : "not a pixel shader";
        return false;
    }
    const bool pixel = versionType == kPixelShaderVersionType;
    const uint32_t version = versionToken & 0xFFFF;
    if (!IsModel(pixel, version)) {
        *reason = "the shader is of a model Direct3D 9 does not take";
        return false;
    }
    const Stream stream{file, pixel, version, &facts->work};
    // Direct3D and D3DX stop at the end token: bytes after the last whole word are never read.
    const size_t words = file.Size() / 4;
    for (size_t i = 1; i < words;) {
        const uint32_t token = stream.At(i);
        if (token == kEndToken) return true;
        if ((token & 0xFFFF) == kCommentToken) {
            const size_t length = (token >> 16) & 0x7FFF;
            if (length > words - i - 1) {
                *reason = "a comment block runs past the end of the file";
                return false;
            }
            // D3DX takes the first comment block that begins with "CTAB".
            if (length >= 1 && facts->tableWords == 0 && stream.At(i + 1) == kConstantTableFourcc) {
                // The table's offsets count from just after the FOURCC.
                TableCheck table(file.Part((i + 2) * 4, (length - 1) * 4), &facts->work);
                if (!table.Check(reason)) return false;
                facts->tableWord = i;
                facts->tableWords = 1 + length;
            }
            i += 1 + length;
            continue;
        }
        size_t length = 0;
        if (!InstructionValid(stream, i, words - i - 1, &length, reason)) return false;
        i += 1 + length;
    }
    *reason = "the file ends before its end token";
    return false;
}

}  // namespace

bool CheckShaderTokens(const void* bytes, size_t size, uint32_t expectedVersionType,
                       std::string* whyNot, ShaderTokenFacts* facts) {
    std::string reason;
    ShaderTokenFacts found;
    Block file(static_cast<const unsigned char*>(bytes), bytes ? size : 0);
    const bool ok = Check(file, expectedVersionType, &reason, &found);
    if (!ok && whyNot) *whyNot = reason;
    if (!ok) found.tableWord = found.tableWords = 0;
    if (facts) *facts = found;
    return ok;
}

bool CheckShaderTokens(const void* bytes, size_t size, uint32_t expectedVersionType,
                       std::string* whyNot) {
    return CheckShaderTokens(bytes, size, expectedVersionType, whyNot, nullptr);
}
