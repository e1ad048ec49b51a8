#include "constant_table.h"

#include <cstring>

namespace {

const uint32_t kHeaderSize = 28;        // D3DXSHADER_CONSTANTTABLE; D3DX refuses any other
const uint32_t kConstantInfoSize = 20;  // D3DXSHADER_CONSTANTINFO
const uint32_t kTypeInfoSize = 16;      // D3DXSHADER_TYPEINFO

class Bytes {
public:
    uint32_t Size() const { return static_cast<uint32_t>(bytes_.size()); }
    void Put16(uint32_t value) { Put(&value, 2); }  // little-endian hosts only
    void Put32(uint32_t value) { Put(&value, 4); }
    void PutFloat(float value) { Put(&value, 4); }
    void PutString(const std::string& text) {
        Put(text.c_str(), text.size() + 1);
        while (bytes_.size() % 4) bytes_.push_back(0);
    }
    std::vector<uint32_t> Words() const {
        std::vector<uint32_t> words(bytes_.size() / 4);
        std::memcpy(words.data(), bytes_.data(), bytes_.size());
        return words;
    }

private:
    void Put(const void* data, size_t size) {
        const unsigned char* p = static_cast<const unsigned char*>(data);
        bytes_.insert(bytes_.end(), p, p + size);
    }
    std::vector<unsigned char> bytes_;
};

// Samplers are register set 3, float constants 2.
uint32_t RegisterSet(const ConstantDeclaration& c) { return c.typeClass == 4 ? 3 : 2; }

}  // namespace

std::vector<uint32_t> ConstantTableComment(const ShaderSource& source, uint32_t versionToken,
                                           const std::string& creator) {
    const std::string target = source.kind == ShaderKind::Vertex ? "vs_2_0" : "ps_2_0";
    const std::vector<ConstantDeclaration>& constants = source.constants;
    const uint32_t count = static_cast<uint32_t>(constants.size());

    // Where everything goes: header, constant infos, type infos, default values, strings.
    uint32_t typeInfos = kHeaderSize + count * kConstantInfoSize;
    uint32_t next = typeInfos + count * kTypeInfoSize;
    std::vector<uint32_t> defaults, names;
    for (const ConstantDeclaration& c : constants) {
        defaults.push_back(c.defaults.empty() ? 0 : next);
        if (!c.defaults.empty()) next += c.registerCount * 16u;
    }
    for (const ConstantDeclaration& c : constants) {
        names.push_back(next);
        next += static_cast<uint32_t>(c.name.size() + 4) / 4 * 4;
    }
    uint32_t creatorOffset = next;
    uint32_t targetOffset = creatorOffset + static_cast<uint32_t>(creator.size() + 4) / 4 * 4;

    Bytes table;
    table.Put32(kHeaderSize);
    table.Put32(creatorOffset);
    table.Put32(versionToken);
    table.Put32(count);
    table.Put32(kHeaderSize);
    table.Put32(0);  // flags
    table.Put32(targetOffset);
    for (uint32_t i = 0; i < count; ++i) {
        table.Put32(names[i]);
        table.Put16(RegisterSet(constants[i]));
        table.Put16(constants[i].reg.number);
        table.Put16(constants[i].registerCount);
        table.Put16(0);
        table.Put32(typeInfos + i * kTypeInfoSize);
        table.Put32(defaults[i]);
    }
    for (const ConstantDeclaration& c : constants) {
        table.Put16(c.typeClass);
        table.Put16(c.type);
        table.Put16(c.rows);
        table.Put16(c.columns);
        table.Put16(1);  // elements
        table.Put16(0);  // struct members
        table.Put32(0);
    }
    // Whole registers, zero-filled, since SetDefaults uploads whole registers. A vector fills
    // one register; a column-major matrix puts its column j in register j.
    for (const ConstantDeclaration& c : constants) {
        if (c.defaults.empty()) continue;
        bool matrix = c.typeClass == 3;
        for (uint32_t reg = 0; reg < c.registerCount; ++reg)
            for (uint32_t k = 0; k < 4; ++k) {
                bool present = matrix ? k < c.rows : k < c.defaults.size();
                table.PutFloat(present ? c.defaults[matrix ? k * c.columns + reg : k] : 0.0f);
            }
    }
    for (const ConstantDeclaration& c : constants) table.PutString(c.name);
    table.PutString(creator);
    table.PutString(target);

    std::vector<uint32_t> words = table.Words();
    uint32_t length = static_cast<uint32_t>(words.size()) + 1;  // with the FOURCC
    std::vector<uint32_t> block = {0x0000FFFEu | (length << 16), 0x42415443u /* 'CTAB' */};
    block.insert(block.end(), words.begin(), words.end());
    return block;
}
