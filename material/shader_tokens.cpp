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
