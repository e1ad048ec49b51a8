#include "material/texture_header.h"

#include <cstdio>
#include <cstring>
#include <vector>

namespace {
uint32_t Word(const unsigned char* bytes, size_t offset) {
    return uint32_t{bytes[offset]} | uint32_t{bytes[offset + 1]} << 8 |
           uint32_t{bytes[offset + 2]} << 16 | uint32_t{bytes[offset + 3]} << 24;
}

uint32_t Half(const unsigned char* bytes, size_t offset) {
    return uint32_t{bytes[offset]} | uint32_t{bytes[offset + 1]} << 8;
}

uint32_t BigWord(const unsigned char* bytes, size_t offset) {
    return uint32_t{bytes[offset]} << 24 | uint32_t{bytes[offset + 1]} << 16 |
           uint32_t{bytes[offset + 2]} << 8 | uint32_t{bytes[offset + 3]};
}

constexpr uint32_t FourCc(char a, char b, char c, char d) {
    return uint32_t(uint8_t(a)) | uint32_t(uint8_t(b)) << 8 | uint32_t(uint8_t(c)) << 16 |
           uint32_t(uint8_t(d)) << 24;
}

const char* SidesProblem(uint64_t width, uint64_t height) {
    if (width == 0 || height == 0) return "a side of the texture is 0";
    if (width > kLargestTextureSide || height > kLargestTextureSide) {
        return "a side is above 16384";
    }
    return nullptr;
}

// ---- DDS -----------------------------------------------------------------------------------
// "DDS ", then a 124-byte header; the levels' pixels follow, largest first.
const size_t kDdsHeaderSize = 128;
const size_t kDdsHeight = 12, kDdsWidth = 16, kDdsDepth = 24, kDdsMipCount = 28;
const size_t kDdsFormatFlags = 80, kDdsFourCc = 84, kDdsBitCount = 88, kDdsCaps2 = 112;
const uint32_t kDdsFourCcFlag = 0x4;
const uint32_t kDdsCubeMap = 0x200, kDdsCubeFaces = 0xFC00, kDdsVolume = 0x200000;

// How the readers lay out a level: blocks of width by height pixels, each `bytes` long.
struct Blocks {
    uint32_t width, height, bytes;
};

// The compressed and packed formats that D3DX reads from a FOURCC (others are numbered as
// D3DFORMAT values); a size of 0 for a code it does not read, which it refuses itself.
Blocks FourCcBlocks(uint32_t code) {
    switch (code) {
        case FourCc('D', 'X', 'T', '1'): return {4, 4, 8};
        case FourCc('D', 'X', 'T', '2'):
        case FourCc('D', 'X', 'T', '3'):
        case FourCc('D', 'X', 'T', '4'):
        case FourCc('D', 'X', 'T', '5'): return {4, 4, 16};
        case FourCc('U', 'Y', 'V', 'Y'):
        case FourCc('Y', 'U', 'Y', '2'):
        case FourCc('R', 'G', 'B', 'G'):
        case FourCc('G', 'R', 'G', 'B'): return {2, 1, 4};
        case 111: return {1, 1, 2};   // R16F
        case 112:                     // G16R16F
        case 114: return {1, 1, 4};   // R32F
        case 36:                      // A16B16G16R16
        case 110:                     // Q16W16V16U16
        case 113:                     // A16B16G16R16F
        case 115: return {1, 1, 8};   // G32R32F
        case 116: return {1, 1, 16};  // A32B32G32R32F
        default: return {1, 1, 0};
    }
}

uint64_t BlocksAcross(uint32_t pixels, uint32_t block) {
    const uint64_t count = (uint64_t{pixels} + block - 1) / block;
    return count > 0 ? count : 1;
}

const char* DdsProblem(const unsigned char* header, size_t headerSize, uint64_t fileSize) {
    if (headerSize < kDdsHeaderSize) return "the file ends inside its header";
    const uint32_t width = Word(header, kDdsWidth);
    const uint32_t height = Word(header, kDdsHeight);
    if (const char* problem = SidesProblem(width, height)) return problem;
    // The program draws flat textures: a volume's depth or a cube's faces are not one.
    const uint32_t caps2 = Word(header, kDdsCaps2);
    if ((caps2 & kDdsVolume) != 0 || Word(header, kDdsDepth) > 1) return "the texture has depth";
    if ((caps2 & (kDdsCubeMap | kDdsCubeFaces)) != 0) return "the texture has cube faces";
    // A level per halving of the longest side, down to 1 pixel.
    uint32_t allowed = 1;
    for (uint32_t side = width > height ? width : height; side > 1; side /= 2) ++allowed;
    const uint32_t levels = Word(header, kDdsMipCount) == 0 ? 1 : Word(header, kDdsMipCount);
    if (levels > allowed) return "the mip-map count is above what the sides allow";

    Blocks blocks{1, 1, 0};
    if ((Word(header, kDdsFormatFlags) & kDdsFourCcFlag) != 0) {
        blocks = FourCcBlocks(Word(header, kDdsFourCc));
    } else {
        blocks.bytes = Word(header, kDdsBitCount) / 8;  // the readers take whole bytes only
    }
    // At most 15 levels of 16384 by 16384 blocks of 16 bytes: far inside 64 bits.
    uint64_t promised = kDdsHeaderSize;
    uint32_t w = width, h = height;
    for (uint32_t level = 0; level < levels; ++level) {
        promised += BlocksAcross(w, blocks.width) * BlocksAcross(h, blocks.height) * blocks.bytes;
        w = w > 1 ? w / 2 : 1;
        h = h > 1 ? h / 2 : 1;
    }
    if (fileSize < promised) return "the file holds less than its levels need";
    return nullptr;
}

// ---- BMP and DIB ---------------------------------------------------------------------------
// D3DX has a 32-bit BMP decoded in full to learn whether it has alpha, inside the very call
// that tells its size, with a buffer of width * height * 4 bytes counted in 32 bits.
const size_t kBmpFileHeader = 14;
const uint32_t kCoreHeaderSize = 12;
const uint32_t kUncompressed = 0, kBitFields = 3;

// The header sizes that Wine's reader takes for a DIB (a BMP without its file header).
bool IsDibHeaderSize(uint32_t size) {
    return size == kCoreHeaderSize || size == 40 || size == 64 || size == 108 || size == 124;
}

// Where a DIB's pixels begin, as Wine works it out: after the header, the palette and, for
// a BITMAPINFOHEADER with bit fields, three masks.
uint64_t DibPixelOffset(const unsigned char* dib, size_t size) {
    const uint32_t headerSize = Word(dib, 0);
    if (headerSize == kCoreHeaderSize) {
        const uint32_t bitCount = size >= 12 ? Half(dib, 10) : 0;
        return headerSize + (bitCount <= 8 ? 3u << bitCount : 0);
    }
    if (size < 36) return headerSize;
    const uint32_t bitCount = Half(dib, 14);
    uint64_t colors = Word(dib, 32);
    if (colors == 0 && bitCount <= 8) colors = 1u << bitCount;
    const uint64_t masks = headerSize == 40 && Word(dib, 16) == kBitFields ? 12 : 0;
    return headerSize + 4 * colors + masks;
}

// `info` is the BITMAPINFOHEADER (or BITMAPCOREHEADER) at `at`; `pixels` where the pixels begin.
const char* BitmapProblem(const unsigned char* bytes, size_t size, size_t at, uint64_t pixels,
                          uint64_t fileSize) {
    if (size < at + 20) return "the file ends inside its header";
    const unsigned char* info = bytes + at;
    uint64_t width, height, bitCount, compression = kUncompressed;
    if (Word(info, 0) == kCoreHeaderSize) {
        width = Half(info, 4);
        height = Half(info, 6);
        bitCount = Half(info, 10);
    } else {
        width = Word(info, 4);
        const uint32_t rows = Word(info, 8);  // negative: top row first
        height = rows & 0x80000000u ? 0x100000000ull - rows : rows;
        bitCount = Half(info, 14);
        compression = Word(info, 16);
    }
    if (const char* problem = SidesProblem(width, height)) return problem;
    const uint64_t rowBytes = (width * bitCount + 31) / 32 * 4;
    if ((compression == kUncompressed || compression == kBitFields) &&
        fileSize < pixels + rowBytes * height) {
        return "the file holds less than its pixels need";
    }
    return nullptr;
}

// ---- PNG, JPEG and TGA ---------------------------------------------------------------------
// Wine's PNG and JPEG readers decode the whole picture as they open the file, and D3DX has a
// 32-bit TGA decoded to look for alpha, all while it only asks for the size, into buffers
// counted in 32 bits: their sides are checked. Their readers check their data's length.
const unsigned char kPngSignature[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

// The sides in the JPEG's frame header, found by walking its segments; false when the
// segments do not lead to one.
bool JpegSides(const unsigned char* bytes, size_t size, uint64_t* width, uint64_t* height) {
    size_t at = 2;  // after the start-of-image marker
    while (at + 4 <= size) {
        if (bytes[at] != 0xFF) return false;
        const unsigned marker = bytes[at + 1];
        if (marker == 0xFF) {  // fill byte
            ++at;
            continue;
        }
        if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7)) {  // markers without length
            at += 2;
            continue;
        }
        const size_t length = size_t{bytes[at + 2]} << 8 | bytes[at + 3];
        // Start of frame: every 0xC0 to 0xCF but the tables (C4, CC) and the reserved C8.
        if (marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 &&
            marker != 0xCC) {
            if (at + 9 > size) return false;
            *height = size_t{bytes[at + 5]} << 8 | bytes[at + 6];
            *width = size_t{bytes[at + 7]} << 8 | bytes[at + 8];
            return true;
        }
        if (marker == 0xDA || marker == 0xD9 || length < 2) return false;  // scan or end first
        at += 2 + length;
    }
    return false;
}

// The header's checks as Wine's TGA reader makes them: a file that fails them is no TGA.
bool LooksLikeTga(const unsigned char* bytes, size_t size) {
    if (size < 18) return false;
    const unsigned type = bytes[2] & ~8u, depth = bytes[16];
    return type >= 1 && type <= 3 && bytes[1] <= 1 &&
           (depth == 8 || depth == 16 || depth == 24 || depth == 32) && (bytes[17] & 0xC0) == 0;
}
}  // namespace

const char* TextureHeaderProblem(const unsigned char* header, size_t headerSize,
                                 uint64_t fileSize) {
    if (headerSize >= 4 && std::memcmp(header, "DDS ", 4) == 0) {
        return DdsProblem(header, headerSize, fileSize);
    }
    if (headerSize >= 2 && header[0] == 'B' && header[1] == 'M') {
        if (headerSize < kBmpFileHeader) return "the file ends inside its header";
        return BitmapProblem(header, headerSize, kBmpFileHeader, Word(header, 10), fileSize);
    }
    if (headerSize >= 4 && IsDibHeaderSize(Word(header, 0))) {
        // Wine gives it a file header and reads it as a BMP; its pixels follow the palette.
        return BitmapProblem(header, headerSize, 0, DibPixelOffset(header, headerSize), fileSize);
    }
    if (headerSize >= 24 && std::memcmp(header, kPngSignature, 8) == 0 &&
        std::memcmp(header + 12, "IHDR", 4) == 0) {
        return SidesProblem(BigWord(header, 16), BigWord(header, 20));
    }
    if (headerSize >= 3 && header[0] == 0xFF && header[1] == 0xD8 && header[2] == 0xFF) {
        uint64_t width = 0, height = 0;
        if (!JpegSides(header, headerSize, &width, &height)) return "the JPEG has no frame header";
        return SidesProblem(width, height);
    }
    if (LooksLikeTga(header, headerSize)) return SidesProblem(Half(header, 12), Half(header, 14));
    return nullptr;
}

const char* TextureFileProblem(const char* path) {
    const char* const unreadable = "the file cannot be read";
    std::FILE* file = std::fopen(path, "rb");
    if (file == nullptr) return unreadable;
    std::vector<unsigned char> bytes(kTextureHeaderBytes);
    bytes.resize(std::fread(bytes.data(), 1, bytes.size(), file));
    // A long counts 31 bits on Windows: a longer file is refused, as no texture needs one.
    long size = std::fseek(file, 0, SEEK_END) == 0 ? std::ftell(file) : -1;
    // A JPEG's frame header comes after its other segments (thumbnails, colour profiles).
    if (size > 0 && bytes.size() >= 3 && bytes[0] == 0xFF && bytes[1] == 0xD8) {
        const unsigned long whole = static_cast<unsigned long>(size);
        bytes.resize(whole < kJpegHeaderBytes ? whole : kJpegHeaderBytes);
        if (std::fseek(file, 0, SEEK_SET) != 0 ||
            std::fread(bytes.data(), 1, bytes.size(), file) != bytes.size()) {
            size = -1;
        }
    }
    std::fclose(file);
    if (size < 0) return unreadable;
    return TextureHeaderProblem(bytes.data(), bytes.size(), static_cast<uint64_t>(size));
}
