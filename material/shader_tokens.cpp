#include "material/shader_tokens.h"

#include <cstring>

namespace {

const uint32_t kEndToken = 0x0000FFFF;
const uint32_t kCommentToken = 0xFFFE;
const uint32_t kConstantTableFourcc = 0x42415443;  // "CTAB"
const uint32_t kTableHeaderSize = 28;

// Reads little-endian values from a block without assuming any alignment.
class Block {
public:
    Block(const unsigned char* bytes, size_t size) : bytes_(bytes), size_(size) {}

    size_t Size() const { return size_; }
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
    // A string that starts inside the block and ends with a zero before the block does.
    bool HoldsString(size_t offset) const {
        return offset < size_ && std::memchr(bytes_ + offset, 0, size_ - offset) != nullptr;
    }

private:
    const unsigned char* bytes_;
    size_t size_;
};

// D3DXSHADER_TYPEINFO at `offset`, and the members of a structure, however deep.
bool TypeInside(const Block& table, size_t offset, int depth) {
    if (depth > 16 || !table.Holds(offset, 16)) return false;
    size_t members = table.Half(offset + 10);
    size_t memberInfo = table.Word(offset + 12);
    if (members == 0) return true;
    if (!table.Holds(memberInfo, members * 8)) return false;
    for (size_t i = 0; i < members; ++i) {
        size_t member = memberInfo + i * 8;
        if (!table.HoldsString(table.Word(member)) ||
            !TypeInside(table, table.Word(member + 4), depth + 1))
            return false;
    }
    return true;
}

// D3DXGetShaderConstantTable follows the offsets of a "CTAB" block without checking them.
bool ConstantTableInside(const Block& table, std::string* reason) {
    if (!table.Holds(0, kTableHeaderSize) || table.Word(0) != kTableHeaderSize) {
        *reason = "the constant table's header is damaged";
        return false;
    }
    size_t count = table.Word(12);
    size_t infos = table.Word(16);
    bool inside = table.HoldsString(table.Word(4)) && table.HoldsString(table.Word(24)) &&
                  count <= table.Size() / 20 && table.Holds(infos, count * 20);
    for (size_t i = 0; inside && i < count; ++i) {
        size_t info = infos + i * 20;
        size_t registerCount = table.Half(info + 8);
        size_t defaultValue = table.Word(info + 16);
        inside = table.HoldsString(table.Word(info)) &&
                 TypeInside(table, table.Word(info + 12), 0) &&
                 (defaultValue == 0 || table.Holds(defaultValue, registerCount * 16));
    }
    if (!inside) *reason = "the constant table points outside its comment block";
    return inside;
}

// Instructions and registers. Direct3D on Windows validates a shader before it creates it;
// Wine's does not, and reads its own tables with an unknown opcode, a missing operand or a
// register number past its kind's registers, when the shader is created or first drawn.
struct Shape {
    uint8_t destinations;
    uint8_t sources;
};

// The operands of the shader model 2 and 3 instructions that take registers only;
// false for an opcode those models do not have, and for dcl and the def family.
bool ShapeOf(uint32_t opcode, uint32_t major, Shape* shape) {
    static const Shape arithmetic[] = {
        {0, 0}, {1, 1}, {1, 2}, {1, 2}, {1, 3}, {1, 2}, {1, 1}, {1, 1}, {1, 2}, {1, 2},  // nop..dp4
        {1, 2}, {1, 2}, {1, 2}, {1, 2}, {1, 1}, {1, 1}, {1, 1}, {1, 2}, {1, 3}, {1, 1},  // min..frc
        {1, 2}, {1, 2}, {1, 2}, {1, 2}, {1, 2}, {0, 1}, {0, 2}, {0, 2}, {0, 0}, {0, 0},  // m4x4..endloop
        {0, 1}, {0, 0}, {1, 2}, {1, 2}, {1, 3}, {1, 1}, {1, 1}, {1, 3}, {0, 1}, {0, 0},  // label..endrep
        {0, 1}, {0, 2}, {0, 0}, {0, 0}, {0, 0}, {0, 2}, {1, 1}};                          // if..mova
    const size_t count = sizeof arithmetic / sizeof arithmetic[0];
    if (opcode == 31) return false;  // dcl
    if (opcode < count) {
        *shape = arithmetic[opcode];
        if (opcode == 37 && major == 3) *shape = {1, 1};  // sincos lost its constants
        return true;
    }
    switch (opcode) {
        case 65: *shape = {1, 0}; return true;  // texkill
        case 66: *shape = {1, 2}; return true;  // texld
        case 78: case 79: case 91: case 92: *shape = {1, 1}; return true;  // expp logp dsx dsy
        case 88: case 90: *shape = {1, 3}; return true;  // cmp dp2add
        case 93: *shape = {1, 4}; return true;  // texldd
        case 94: case 95: *shape = {1, 2}; return true;  // setp texldl
        case 96: *shape = {0, 1}; return true;  // breakp
        default: return false;
    }
}

enum RegisterType : uint32_t {
    Temp = 0, Input = 1, Const = 2, AddressOrTexture = 3, RasterizerOut = 4, AttributeOut = 5,
    TexcoordOut = 6, ConstInt = 7, ColorOut = 8, DepthOut = 9, Sampler = 10, ConstBool = 14,
    Loop = 15, Misc = 17, Label = 18, Predicate = 19
};

uint32_t RegisterTypeOf(uint32_t word) { return ((word >> 28) & 7) | ((word >> 8) & 0x18); }

// How many registers of a kind a shader of this kind and model has (0 for none).
uint32_t RegisterCount(uint32_t type, bool pixel, uint32_t major) {
    switch (type) {
        case Temp: return 32;
        case Input: return pixel ? (major == 2 ? 2 : 10) : 16;
        case Const: return pixel ? (major == 2 ? 32 : 224) : 256;
        case AddressOrTexture: return pixel ? 8 : 1;
        case RasterizerOut: return pixel ? 0 : 3;
        case AttributeOut: return pixel ? 0 : 2;
        case TexcoordOut: return pixel ? 0 : (major == 2 ? 8 : 12);
        case ConstInt: case ConstBool: return 16;
        case ColorOut: return pixel ? 4 : 0;
        case DepthOut: return pixel ? 1 : 0;
        case Sampler: return pixel ? 16 : (major == 2 ? 0 : 4);
        case Loop: case Predicate: return 1;
        case Misc: return pixel && major == 3 ? 2 : 0;
        case Label: return 2048;
        default: return 0;
    }
}

bool RegisterValid(uint32_t word, bool pixel, uint32_t major) {
    return (word & 0x80000000u) != 0 &&
           (word & 0x7FF) < RegisterCount(RegisterTypeOf(word), pixel, major);
}

// The `length` operand words after the instruction token at word `at`.
bool InstructionValid(const Block& file, size_t at, size_t length, bool pixel, uint32_t major,
                      std::string* reason) {
    const uint32_t token = file.Word(at * 4);
    const uint32_t opcode = token & 0xFFFF;
    const auto operand = [&](size_t n) { return file.Word((at + n) * 4); };
    const auto wrongOperands = [reason] {
        *reason = "an instruction has the wrong operands";
        return false;
    };
    const auto badRegister = [reason] {
        *reason = "an instruction names a register the shader does not have";
        return false;
    };
    if ((token & 0x80000000u) != 0) {
        *reason = "an instruction the shader model does not have";
        return false;
    }
    // dcl: a usage word and a register; def, defi, defb: a register and its literal values.
    const struct {
        uint32_t opcode;
        size_t length;
        uint32_t registerType;  // 0xFFFFFFFF: any
    } special[] = {{31, 2, 0xFFFFFFFF}, {81, 5, Const}, {48, 5, ConstInt}, {47, 2, ConstBool}};
    for (const auto& form : special) {
        if (opcode != form.opcode) continue;
        if (length != form.length) return wrongOperands();
        const uint32_t target = operand(opcode == 31 ? 2 : 1);
        if ((opcode == 31 && (operand(1) & 0x80000000u) == 0) ||
            (form.registerType != 0xFFFFFFFF && RegisterTypeOf(target) != form.registerType)) {
            return wrongOperands();
        }
        return RegisterValid(target, pixel, major) || badRegister();
    }
    Shape shape;
    if (!ShapeOf(opcode, major, &shape)) {
        *reason = "an instruction the shader model does not have";
        return false;
    }
    // A predicated instruction names its predicate register after the destination.
    size_t registers = shape.destinations + shape.sources + ((token & 0x10000000u) ? 1 : 0);
    size_t n = 1;
    for (; registers > 0; --registers) {
        if (n > length) return wrongOperands();
        const uint32_t word = operand(n++);
        if (!RegisterValid(word, pixel, major)) return badRegister();
        // Relative addressing: the address register follows.
        if ((word & 0x2000u) != 0) {
            if (n > length) return wrongOperands();
            if (!RegisterValid(operand(n++), pixel, major)) return badRegister();
        }
    }
    return n == length + 1 || wrongOperands();
}

bool Check(const Block& file, uint32_t expectedVersionType, std::string* reason) {
    if (file.Size() == 0) {
        *reason = "the file is empty";
        return false;
    }
    if (file.Size() < 4) {
        *reason = "the file is too short to be a shader";
        return false;
    }
    // What the file is matters more to the reader than how long it is.
    uint32_t version = file.Word(0);
    uint32_t versionType = version >> 16;
    if (versionType != kVertexShaderVersionType && versionType != kPixelShaderVersionType) {
        *reason = "the file does not begin with a shader version token";
        return false;
    }
    if (versionType != expectedVersionType) {
        *reason = expectedVersionType == kVertexShaderVersionType ? "not a vertex shader"
                                                                  : "not a pixel shader";
        return false;
    }
    if (file.Size() % 4 != 0) {
        *reason = "the file's size is not a whole number of 32-bit tokens";
        return false;
    }
    // From shader model 2 on, every instruction token counts its operand words.
    uint32_t major = (version >> 8) & 0xFF;
    if (major != 2 && major != 3) {
        *reason = "the shader is not shader model 2 or 3";
        return false;
    }
    size_t words = file.Size() / 4;
    for (size_t i = 1; i < words;) {
        uint32_t token = file.Word(i * 4);
        if (token == kEndToken) return true;
        if ((token & 0xFFFF) == kCommentToken) {
            size_t length = (token >> 16) & 0x7FFF;
            if (length > words - i - 1) {
                *reason = "a comment block runs past the end of the file";
                return false;
            }
            if (length >= 1 && file.Word((i + 1) * 4) == kConstantTableFourcc) {
                // The table's offsets count from just after the FOURCC.
                if (!ConstantTableInside(file.Part((i + 2) * 4, (length - 1) * 4), reason))
                    return false;
            }
            i += 1 + length;
        } else {
            size_t operands = (token >> 24) & 0xF;
            if (operands > words - i - 1) {
                *reason = "an instruction runs past the end of the file";
                return false;
            }
            if (!InstructionValid(file, i, operands, versionType == kPixelShaderVersionType,
                                  major, reason))
                return false;
            i += 1 + operands;
        }
    }
    *reason = "the file ends before its end token";
    return false;
}

}  // namespace

bool CheckShaderTokens(const void* bytes, size_t size, uint32_t expectedVersionType,
                       std::string* whyNot) {
    std::string reason;
    Block file(static_cast<const unsigned char*>(bytes), bytes ? size : 0);
    bool ok = Check(file, expectedVersionType, &reason);
    if (!ok && whyNot) *whyNot = reason;
    return ok;
}
