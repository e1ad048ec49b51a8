#include "shader_info.h"

#include "info_command.h"
#include "formats/byte_reader.h"
#include "formats/shader_tokens.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <iomanip>
#include <vector>

namespace {

// The zero-terminated string at `offset`, or "" when it runs past the end.
std::string StringAt(const ByteReader& bytes, std::size_t offset) {
    if (offset >= bytes.Size()) return "";
    const uint8_t* start = bytes.Bytes() + offset;
    const void* end = std::memchr(start, 0, bytes.Size() - offset);
    if (end == nullptr) return "";
    return std::string(reinterpret_cast<const char*>(start),
                       static_cast<std::size_t>(static_cast<const uint8_t*>(end) - start));
}

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
std::string TypeName(const ByteReader& table, std::size_t offset) {
    if (!table.Holds(offset, kTypeInfoSize)) return "(type outside the table)";
    static const char* const kTypes[] = {
        "void", "bool", "int", "float", "string", "texture", "texture1D", "texture2D",
        "texture3D", "textureCUBE", "sampler", "sampler1D", "sampler2D", "sampler3D",
        "samplerCUBE", "pixelshader", "vertexshader"};
    const uint32_t typeClass = table.U16(offset + kTypeClass);
    const uint32_t type = table.U16(offset + kTypeType);
    const uint32_t rows = table.U16(offset + kTypeRows);
    const uint32_t columns = table.U16(offset + kTypeColumns);
    const uint32_t elements = table.U16(offset + kTypeElements);
    std::string name = type < sizeof kTypes / sizeof kTypes[0] ? kTypes[type]
                                                              : "type " + std::to_string(type);
    switch (typeClass) {
        case kClassScalar: break;
        case kClassVector: name += std::to_string(columns); break;
        case kClassMatrixRows:
            name += std::to_string(rows) + "x" + std::to_string(columns) + " (rows)";
            break;
        case kClassMatrixColumns:
            name += std::to_string(rows) + "x" + std::to_string(columns);
            break;
        case kClassObject: break;
        case kClassStruct: name = "struct"; break;
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
std::vector<Constant> PrintConstantTable(const ByteReader& table, std::ostream& out) {
    std::vector<Constant> constants;
    if (!table.Holds(0, kTableHeaderSize)) {
        out << "  the constant table is cut short\n";
        return constants;
    }
    const uint32_t count = table.U32(kTableConstants);
    const uint32_t infos = table.U32(kTableConstantInfo);
    out << "  constant table: creator \"" << StringAt(table, table.U32(kTableCreator))
        << "\", target \"" << StringAt(table, table.U32(kTableTarget)) << "\", " << count
        << " constants\n";
    for (uint32_t i = 0; i < count; ++i) {
        const std::size_t info = infos + std::size_t{i} * kConstantInfoSize;
        if (!table.Holds(info, kConstantInfoSize)) {
            out << "    constants " << i << " to " << count - 1 << " lie outside the table\n";
            break;
        }
        Constant c;
        c.name = StringAt(table, table.U32(info + kInfoName));
        c.registerSet = table.U16(info + kInfoRegisterSet);
        c.registerIndex = table.U16(info + kInfoRegisterIndex);
        c.registerCount = table.U16(info + kInfoRegisterCount);
        c.type = TypeName(table, table.U32(info + kInfoTypeInfo));
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

Stream WalkTokens(const ByteReader& file, uint32_t major) {
    Stream stream;
    std::size_t at = 4;
    while (file.Holds(at, 4)) {
        const uint32_t token = file.U32(at);
        if (token == kEndToken) {
            stream.ended = true;
            break;
        }
        if ((token & kOpcodeMask) == kOpComment) {
            const std::size_t words = CommentLength(token);
            if (!stream.hasTable && words >= 1 && file.U32(at + 4) == kConstantTableFourcc) {
                stream.hasTable = true;
                stream.tableStart = at + 8;
                const std::size_t left = file.Size() > at + 8 ? file.Size() - (at + 8) : 0;
                stream.tableLength = std::min((words - 1) * 4, left);
            }
            at += 4 + words * 4;
            continue;
        }
        const uint32_t opcode = token & kOpcodeMask;
        ++stream.instructions;
        if (IsDeclarationOpcode(opcode)) ++stream.declarations;
        std::size_t operands = (token >> kInstructionLengthShift) & kInstructionLengthMask;
        if (major < 2) {
            operands = 0;
            if (opcode == kOpDef) {
                operands = 5;  // a register and four literals
            } else {
                while (file.Holds(at + 4 + operands * 4, 4) &&
                       (file.U32(at + 4 + operands * 4) & kOperandBit) != 0) {
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
                       found->registerSet != kSetSampler) {
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
    const ByteReader file(data.data(), data.size());
    out << path << ": " << file.Size() << " bytes\n";

    const uint32_t version = file.U32(0);
    const uint32_t kind = version >> kVersionTypeShift;
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
