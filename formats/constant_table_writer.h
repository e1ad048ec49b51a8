// Builds a constant table's comment block record by record, in the layout of
// shader_format.h. Each record or string is appended and its offset returned, counted from
// the first byte after "CTAB" as in the file; nothing checks that the table makes sense, so
// the tests build hostile tables with it too.
#pragma once

#include "formats/shader_format.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

class ConstantTableWriter {
public:
    // A header (for `constants` constants, of the shader with `versionToken`) followed by
    // that many empty constant records.
    explicit ConstantTableWriter(size_t constants, uint32_t versionToken = 0);

    // Zero-ended and padded to a whole word.
    uint32_t String(const std::string& text);
    uint32_t Type(uint16_t typeClass, uint16_t rows, uint16_t columns, uint16_t elements = 1,
                  uint16_t members = 0, uint32_t memberInfo = 0,
                  uint16_t type = kTypeFloat);
    // `count` members (name, type) in a row; returns the first one's offset.
    uint32_t Members(size_t count, uint32_t name, uint32_t type);
    uint32_t Words(size_t count, uint32_t value);
    uint32_t Float(float value);
    void SetWord(uint32_t offset, uint32_t value);
    void Constant(size_t index, uint32_t name, uint16_t registerSet, uint16_t registerIndex,
                  uint16_t registerCount, uint32_t type, uint32_t defaultValue = 0);

    // Bytes of the table so far.
    size_t Size() const { return words_.size() * 4; }
    // The comment token, "CTAB" and the table. Its length is past the comment token's reach
    // when the table is over kCommentLengthMask - 1 words.
    std::vector<uint32_t> Block() const;

private:
    uint32_t Append(uint32_t word);
    std::vector<uint32_t> words_;
};
