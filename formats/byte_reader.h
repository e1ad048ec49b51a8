// A read-only view of a file's bytes, read as little-endian fields at any alignment.
// Every read is bounds-checked: a field that does not lie wholly inside the view reads as 0,
// so a caller that must tell a short file from a zero asks Holds() first.
// Free of Windows headers: the program, the build machine's tools and the tests share it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

class ByteReader {
public:
    ByteReader() = default;
    ByteReader(const void* bytes, size_t size)
        : bytes_(static_cast<const uint8_t*>(bytes)), size_(bytes ? size : 0) {}

    size_t Size() const { return size_; }
    const uint8_t* Bytes() const { return bytes_; }

    // True when [offset, offset + length) lies inside the view; never overflows.
    bool Holds(size_t offset, size_t length) const {
        return offset <= size_ && length <= size_ - offset;
    }
    // The bytes [offset, offset + length), or an empty view when they are not all here.
    ByteReader Part(size_t offset, size_t length) const {
        return Holds(offset, length) ? ByteReader(bytes_ + offset, length) : ByteReader();
    }

    uint8_t U8(size_t offset) const { return static_cast<uint8_t>(Field(offset, 1)); }
    uint16_t U16(size_t offset) const { return static_cast<uint16_t>(Field(offset, 2)); }
    uint32_t U32(size_t offset) const { return static_cast<uint32_t>(Field(offset, 4)); }
    uint64_t U64(size_t offset) const { return Field(offset, 8); }
    float F32(size_t offset) const {
        const uint32_t bits = U32(offset);
        float value;
        std::memcpy(&value, &bits, sizeof value);
        return value;
    }

private:
    uint64_t Field(size_t offset, size_t length) const {
        if (!Holds(offset, length)) return 0;
        uint64_t value = 0;
        for (size_t i = length; i-- > 0;) value = value << 8 | bytes_[offset + i];
        return value;
    }

    const uint8_t* bytes_ = nullptr;
    size_t size_ = 0;
};
