#include "formats/constant_table_writer.h"

#include <cstring>

namespace {

uint32_t Halves(uint16_t low, uint16_t high) { return low | static_cast<uint32_t>(high) << 16; }

}  // namespace

ConstantTableWriter::ConstantTableWriter(size_t constants, uint32_t versionToken) {
    words_.resize((kTableHeaderSize + constants * kConstantInfoSize) / 4, 0);
    SetWord(kTableSize, kTableHeaderSize);
    SetWord(kTableVersion, versionToken);
    SetWord(kTableConstants, static_cast<uint32_t>(constants));
    SetWord(kTableConstantInfo, kTableHeaderSize);
}

uint32_t ConstantTableWriter::Append(uint32_t word) {
    words_.push_back(word);
    return static_cast<uint32_t>(Size() - 4);
}

uint32_t ConstantTableWriter::String(const std::string& text) {
    const uint32_t at = static_cast<uint32_t>(Size());
    std::string padded = text;
    padded.resize((text.size() / 4 + 1) * 4, '\0');
    for (size_t i = 0; i < padded.size(); i += 4) {
        uint32_t word;  // the words are the host's: the file's order on little-endian hosts
        std::memcpy(&word, padded.data() + i, 4);
        Append(word);
    }
    return at;
}

uint32_t ConstantTableWriter::Type(uint16_t typeClass, uint16_t rows, uint16_t columns,
                                   uint16_t elements, uint16_t members, uint32_t memberInfo,
                                   uint16_t type) {
    const uint32_t at = Append(Halves(typeClass, type));
    Append(Halves(rows, columns));
    Append(Halves(elements, members));
    Append(memberInfo);
    return at;
}

uint32_t ConstantTableWriter::Members(size_t count, uint32_t name, uint32_t type) {
    const uint32_t at = static_cast<uint32_t>(Size());
    for (size_t i = 0; i < count; ++i) {
        Append(name);
        Append(type);
    }
    return at;
}

uint32_t ConstantTableWriter::Words(size_t count, uint32_t value) {
    const uint32_t at = static_cast<uint32_t>(Size());
    words_.resize(words_.size() + count, value);
    return at;
}

uint32_t ConstantTableWriter::Float(float value) {
    uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return Append(bits);
}

void ConstantTableWriter::SetWord(uint32_t offset, uint32_t value) {
    words_[offset / 4] = value;
}

void ConstantTableWriter::Constant(size_t index, uint32_t name, uint16_t registerSet,
                                   uint16_t registerIndex, uint16_t registerCount, uint32_t type,
                                   uint32_t defaultValue) {
    const uint32_t info = static_cast<uint32_t>(kTableHeaderSize + index * kConstantInfoSize);
    SetWord(info + kInfoName, name);
    SetWord(info + kInfoRegisterSet, Halves(registerSet, registerIndex));
    SetWord(info + kInfoRegisterCount, registerCount);  // and a reserved half of 0
    SetWord(info + kInfoTypeInfo, type);
    SetWord(info + kInfoDefaultValue, defaultValue);
}

std::vector<uint32_t> ConstantTableWriter::Block() const {
    std::vector<uint32_t> block = {CommentToken(static_cast<uint32_t>(words_.size() + 1)),
                                   kConstantTableFourcc};
    block.insert(block.end(), words_.begin(), words_.end());
    return block;
}
