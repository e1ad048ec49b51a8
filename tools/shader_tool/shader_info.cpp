#include "shader_info.h"

#include "info_command.h"
#include "material/shader_tokens.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <iomanip>
#include <vector>

namespace {

const uint32_t kEndToken = 0x0000FFFF;
const uint32_t kCommentOpcode = 0xFFFE;
const uint32_t kConstantTableFourcc = 0x42415443;  // "CTAB"

// Every read is checked against the end, since a damaged file is described too.
class Bytes {
public:
    Bytes(const unsigned char* data, std::size_t size) : data_(data), size_(size) {}
    std::size_t Size() const { return size_; }
    bool Holds(std::size_t offset, std::size_t length) const {
        return offset <= size_ && length <= size_ - offset;
    }
    uint32_t Word(std::size_t offset) const { return Read(offset, 4); }
    uint32_t Half(std::size_t offset) const { return Read(offset, 2); }
    // The zero-terminated string at `offset`, or "" when it runs past the end.
    std::string String(std::size_t offset) const {
        if (offset >= size_) return "";
        const void* end = std::memchr(data_ + offset, 0, size_ - offset);
        if (end == nullptr) return "";
        return std::string(reinterpret_cast<const char*>(data_ + offset),
                           static_cast<const unsigned char*>(end) - (data_ + offset));
    }
    Bytes Part(std::size_t offset, std::size_t length) const {
        return Bytes(data_ + offset, length);
    }

private:
    uint32_t Read(std::size_t offset, std::size_t length) const {
        uint32_t value = 0;  // the build machine is little-endian, as the file is
        if (Holds(offset, length)) std::memcpy(&value, data_ + offset, length);
        return value;
    }
    const unsigned char* data_;
    std::size_t size_;
};

struct Constant {
    std::string name;
    uint32_t registerSet = 0, registerIndex = 0, registerCount = 0;
    std::string type;
};

struct Looked {
    const char* name;
    bool fragment;  // looked up in the fragment shader; otherwise in the vertex shader
    const char* role;
};
const Looked kLookedUp[] = {
    {"g_colorModifier", true, "the colour modifier"},
    {"g_color_sampler", true, "the texture's sampler"},
    {"g_transform_worldToView", false, "the world-to-view matrix"},
    {"g_transform_viewToScreen", false, "the view-to-screen matrix"},
    {"g_transform_modelToWorld", false, "the model-to-world matrix"},
};

// D3DXSHADER_TYPEINFO as a shader writer would name it: float3, float4x4, sampler2D.
std::string TypeName(const Bytes& table, std::size_t offset) {
    if (!table.Holds(offset, 16)) return "(type outside the table)";
    static const char* const kTypes[] = {
        "void", "bool", "int", "float", "string", "texture", "texture1D", "texture2D",
        "texture3D", "textureCUBE", "sampler", "sampler1D", "sampler2D", "sampler3D",
        "samplerCUBE", "pixelshader", "vertexshader"};
    const uint32_t typeClass = table.Half(offset), type = table.Half(offset + 2);
    const uint32_t rows = table.Half(offset + 4), columns = table.Half(offset + 6);
    const uint32_t elements = table.Half(offset + 8);
    std::string name = type < sizeof kTypes / sizeof kTypes[0] ? kTypes[type]
                                                              : "type " + std::to_string(type);
    switch (typeClass) {
        case 0: break;                                             // scalar
        case 1: name += std::to_string(columns); break;            // vector
        case 2: name += std::to_string(rows) + "x" + std::to_string(columns) + " (rows)"; break;
        case 3: name += std::to_string(rows) + "x" + std::to_string(columns); break;
        case 4: break;                                             // object
        case 5: name = "struct"; break;
        default: name += " (class " + std::to_string(typeClass) + ")";
    }
    if (elements > 1) name += "[" + std::to_string(elements) + "]";
    return name;
}

const char* RegisterSetName(uint32_t set) {
    static const char* const kNames[] = {"bool", "int4", "float4", "sampler"};
    return set < 4 ? kNames[set] : "unknown";
}

std::string RegisterName(uint32_t set, uint32_t index) {
    static const char kPrefixes[] = {'b', 'i', 'c', 's'};
    return (set < 4 ? std::string(1, kPrefixes[set]) : std::string("?")) + std::to_string(index);
}

// The table's offsets count from the first byte after the FOURCC.
std::vector<Constant> PrintConstantTable(const Bytes& table, std::ostream& out) {
    std::vector<Constant> constants;
    if (!table.Holds(0, 28)) {
        out << "  the constant table is cut short\n";
        return constants;
    }
    const uint32_t count = table.Word(12), infos = table.Word(16);
    out << "  constant table: creator \"" << table.String(table.Word(4)) << "\", target \""
        << table.String(table.Word(24)) << "\", " << count << " constants\n";
    for (uint32_t i = 0; i < count; ++i) {
        const std::size_t info = infos + std::size_t{i} * 20;
        if (!table.Holds(info, 20)) {
            out << "    constants " << i << " to " << count - 1 << " lie outside the table\n";
            break;
        }
        Constant c;
        c.name = table.String(table.Word(info));
        c.registerSet = table.Half(info + 4);
        c.registerIndex = table.Half(info + 6);
        c.registerCount = table.Half(info + 8);
        c.type = TypeName(table, table.Word(info + 12));
        constants.push_back(c);
    }
    if (!constants.empty()) {
        out << "    " << std::left << std::setw(28) << "name" << std::setw(9) << "set"
            << std::setw(7) << "first" << std::setw(7) << "count" << "type\n";
    }
    for (const Constant& c : constants) {
        out << "    " << std::setw(28) << (c.name.empty() ? "(no name)" : c.name) << std::setw(9)
            << RegisterSetName(c.registerSet) << std::setw(7)
            << RegisterName(c.registerSet, c.registerIndex) << std::setw(7) << c.registerCount
            << c.type << '\n';
    }
    return constants;
}

// Walks the token stream: comment blocks are skipped whole. From shader model 2 on every
// instruction token counts its operand words; before it, operand words are the ones with
// bit 31 set, but for def's four literal values. D3DX takes the first "CTAB" block.
struct Stream {
    std::size_t instructions = 0, declarations = 0;
    bool ended = false;
    bool hasTable = false;
    std::size_t tableStart = 0, tableLength = 0;  // after the FOURCC, cut at the file's end
};

Stream WalkTokens(const Bytes& file, uint32_t major) {
    Stream stream;
    std::size_t at = 4;
    while (file.Holds(at, 4)) {
        const uint32_t token = file.Word(at);
        if (token == kEndToken) {
            stream.ended = true;
            break;
        }
        if ((token & 0xFFFF) == kCommentOpcode) {
            const std::size_t words = (token >> 16) & 0x7FFF;
            if (!stream.hasTable && words >= 1 && file.Word(at + 4) == kConstantTableFourcc) {
                stream.hasTable = true;
                stream.tableStart = at + 8;
                const std::size_t left = file.Size() > at + 8 ? file.Size() - (at + 8) : 0;
                stream.tableLength = std::min((words - 1) * 4, left);
            }
            at += 4 + words * 4;
            continue;
        }
        const uint32_t opcode = token & 0xFFFF;
        ++stream.instructions;
        if (opcode == 31 || opcode == 81 || opcode == 48 || opcode == 47) ++stream.declarations;
        std::size_t operands = (token >> 24) & 0xF;
        if (major < 2) {
            operands = 0;
            if (opcode == 81) {
                operands = 5;
            } else {
                while (file.Holds(at + 4 + operands * 4, 4) &&
                       (file.Word(at + 4 + operands * 4) & 0x80000000u) != 0) {
                    ++operands;
                }
            }
        }
        at += 4 + operands * 4;
    }
    return stream;
}

void PrintLookups(const std::vector<Constant>& constants, bool fragment, std::ostream& out) {
    out << "  the names the program looks up:\n";
    for (const Looked& looked : kLookedUp) {
        const Constant* found = nullptr;
        for (const Constant& c : constants) {
            if (c.name == looked.name) found = &c;
        }
        out << "    " << std::left << std::setw(28) << looked.name
            << (found ? "present" : "absent ");
        if (looked.fragment != fragment) {
            out << "  (looked up in " << (looked.fragment ? "fragment" : "vertex")
                << " shaders only)";
        } else {
            out << "  " << looked.role;
            if (found == nullptr) {
                out << (looked.fragment && std::strcmp(looked.name, "g_color_sampler") == 0
                            ? ": the texture stays on stage 0"
                            : ": the program leaves it unset");
            } else if (std::strcmp(looked.name, "g_color_sampler") == 0 &&
                       found->registerSet != 3) {
                out << ", but not in the sampler registers";
            }
        }
        out << '\n';
    }
}

}  // namespace

bool DescribeShaderFile(const std::string& path, std::ostream& out, std::string& refusal) {
    refusal.clear();
    std::vector<unsigned char> data;
    if (!ReadWholeFile(path, "shader", data, refusal)) return false;
    const Bytes file(data.data(), data.size());
    out << path << ": " << file.Size() << " bytes\n";

    const uint32_t version = file.Word(0);
    const uint32_t kind = version >> 16;
    const bool fragment = kind == kPixelShaderVersionType;
    const uint32_t major = (version >> 8) & 0xFF, minor = version & 0xFF;  // 2_x is 2.1
    if (file.Size() >= 4 && (kind == kVertexShaderVersionType || fragment)) {
        out << "  a " << (fragment ? "fragment (pixel)" : "vertex") << " shader, model "
            << (fragment ? "ps_" : "vs_") << major << '_'
            << (major == 2 && minor == 1 ? std::string("x") : std::to_string(minor)) << '\n';
        const Stream stream = WalkTokens(file, major);
        out << "  " << stream.instructions << " instructions (" << stream.declarations
            << " of them dcl or def)"
            << (stream.ended ? "" : "; the file ends before its end token") << '\n';
        std::vector<Constant> constants;
        if (stream.hasTable) {
            constants =
                PrintConstantTable(file.Part(stream.tableStart, stream.tableLength), out);
        } else {
            out << "  no constant table\n";
        }
        PrintLookups(constants, fragment, out);
    } else {
        out << "  not a shader: the file does not begin with a vertex or pixel shader version\n";
    }

    // What the program does with the file's bytes before Direct3D sees them.
    std::string whyNot;
    const uint32_t expected = fragment ? kPixelShaderVersionType : kVertexShaderVersionType;
    if (CheckShaderTokens(data.data(), data.size(), expected, &whyNot)) return true;
    refusal = "The shader file " + path + " is not a usable compiled shader: " + whyNot;
    return false;
}
