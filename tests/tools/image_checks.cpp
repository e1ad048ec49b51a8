// icon_tool and texture_tool: the images they write, byte by byte or field by field, and
// their refusals of bad sources.
#include "host_check.h"

#include "formats/byte_reader.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <set>

namespace {
const char* const kTinyChecker = "tests/fixtures/tiny_checker.txt";

uint32_t RowBytes(uint32_t width, uint32_t bits) { return (width * bits + 31) / 32 * 4; }

struct Pixel { bool transparent; uint32_t alpha, colour; };
struct Probe { uint32_t xPercent, yPercent, colour; };

// The eight images that the program's icon groups hold, in order, each a well-formed DIB with
// its mask, packed one after another; every image transparent black at its top-left corner
// and opaque at its centre, and the centre pixel of the same colour at every size and depth.
// Each probe's pixel, at X% and Y% of the side from the top left, is opaque and its colour.
void CheckIco(const std::string& path, const std::vector<Probe>& probes) {
    struct Image { uint32_t side, bits; };
    const Image kImages[] = {{32, 4}, {16, 4}, {48, 8}, {32, 8}, {16, 8}, {48, 32}, {32, 32}, {16, 32}};
    const uint32_t kDirectoryBytes = 6 + 8 * 16, kDibHeaderBytes = 40;
    std::vector<uint8_t> file = ReadBytes(path);
    ByteReader ico(file.data(), file.size());
    ASSERT_EQ(ico.U16(0), 0) << "reserved";
    ASSERT_EQ(ico.U16(2), 1) << "type";
    ASSERT_EQ(ico.U16(4), 8) << "image count";
    uint32_t next = kDirectoryBytes;
    std::set<uint32_t> centreColours;
    for (uint32_t i = 0; i < 8; ++i) {
        const auto [side, bits] = kImages[i];
        SCOPED_TRACE("image " + std::to_string(i) + ": " + std::to_string(bits) + " bpp");
        const size_t entry = 6 + 16 * i;
        const uint32_t palette = bits == 4 ? 16 : bits == 8 ? 256 : 0;
        ASSERT_EQ(ico.U8(entry), side);
        ASSERT_EQ(ico.U8(entry + 1), side);
        ASSERT_EQ(ico.U8(entry + 2), bits == 4 ? 16 : 0) << "colour count";
        ASSERT_EQ(ico.U8(entry + 3), 0) << "entry reserved";
        ASSERT_EQ(ico.U16(entry + 4), 1) << "planes";
        ASSERT_EQ(ico.U16(entry + 6), bits);
        const uint32_t offset = ico.U32(entry + 12), colourRow = RowBytes(side, bits);
        const uint32_t maskRow = RowBytes(side, 1);
        ASSERT_EQ(offset, next);
        ASSERT_EQ(ico.U32(entry + 8), kDibHeaderBytes + 4 * palette + side * (colourRow + maskRow));
        next = offset + ico.U32(entry + 8);
        ASSERT_EQ(ico.U32(offset), kDibHeaderBytes);
        ASSERT_EQ(ico.U32(offset + 4), side);
        ASSERT_EQ(ico.U32(offset + 8), 2 * side) << "height with the mask";
        ASSERT_EQ(ico.U16(offset + 12), 1) << "planes";
        ASSERT_EQ(ico.U16(offset + 14), bits);
        ASSERT_EQ(ico.U32(offset + 16), 0u) << "compression";

        const uint32_t coloursAt = offset + kDibHeaderBytes + 4 * palette;
        const uint32_t maskAt = coloursAt + side * colourRow;
        auto pixel = [&](uint32_t x, uint32_t y) {  // rows are stored bottom-up
            const uint32_t row = side - 1 - y, rowAt = coloursAt + row * colourRow;
            Pixel p{};
            p.transparent = (ico.U8(maskAt + row * maskRow + x / 8) >> (7 - x % 8)) & 1;
            if (bits == 32) {
                p.alpha = ico.U32(rowAt + 4 * x) >> 24;
                p.colour = ico.U32(rowAt + 4 * x) & 0xFFFFFF;
            } else {
                uint32_t index = ico.U8(rowAt + x * bits / 8);
                if (bits == 4) index = (index >> (4 - 4 * (x % 2))) & 15;
                p.colour = ico.U32(offset + kDibHeaderBytes + 4 * index) & 0xFFFFFF;
                p.alpha = p.transparent ? 0 : 255;
            }
            return p;
        };
        Pixel corner = pixel(0, 0), centre = pixel(side / 2, side / 2);
        EXPECT_TRUE(corner.transparent && corner.alpha == 0 && corner.colour == 0) << "top-left";
        EXPECT_TRUE(!centre.transparent && centre.alpha == 255) << "centre not opaque";
        centreColours.insert(centre.colour);
        for (const Probe& probe : probes) {
            Pixel p = pixel(side * probe.xPercent / 100, side * probe.yPercent / 100);
            EXPECT_TRUE(!p.transparent && p.alpha == 255 && p.colour == probe.colour)
                << "probe " << probe.xPercent << "%:" << probe.yPercent << "% is " << std::hex << p.colour
                << " with mask " << p.transparent << " and alpha " << std::dec << p.alpha;
        }
    }
    EXPECT_EQ(next, file.size()) << "where the images end";
    EXPECT_EQ(centreColours.size(), 1u) << "the centre pixel differs between images";
}
}  // namespace

TEST(icon_tool, emblem) {
    CheckIco(Made("icon_tool", "assets/icons/emblem.txt", "mirelth.ico"), {});
}

// Probes into the stripe fixture catch flipped rows, a flipped mask, swapped 4-bit pixels
// and swapped colour channels.
TEST(icon_tool, pixel_layout) {
    CheckIco(Made("icon_tool", "tests/fixtures/stripe_emblem.txt", "stripe.ico"),
             {{33, 15, 0xF0C010}, {27, 15, 0x204080}, {40, 15, 0x204080}, {33, 75, 0x204080},
              {5, 95, 0x204080}});
}

TEST(icon_tool, refuses_bad_input) {
    const std::string kHead = "canvas 16\ncolor a #102030\n";
    std::string colours = "canvas 16\n";
    for (int i = 1; i <= 16; ++i) {
        char line[32];
        std::snprintf(line, sizeof line, "color c%d #%06X\n", i, i);
        colours += line;
    }
    ExpectRefusals("icon_tool", Scratch("icon_refusals"), ".txt", {
        {"unknown_word", kHead + "square a 0 0 4 4\n", 3, "unknown word 'square'"},
        {"unknown_colour", kHead + "circle b 8 8 4\n", 3, "unknown colour 'b'"},
        {"bad_number", kHead + "circle a 8 8 four\n", 3, "'four' is not a number"},
        {"missing_field", kHead + "rect a 0 0 4\n", 3, "missing values"},
        {"shape_before_canvas", "color a #102030\ncircle a 8 8 4\ncanvas 16\n", 2, "before the canvas"},
        {"too_many_colours", colours, 17, "more than 15 colours"},
        {"no_shape", kHead, 2, "without any shape"},
    }, true, false);
}

// A well-formed 24-bit uncompressed BMP whose sides are powers of two.
TEST(texture_tool, checker) {
    std::vector<uint8_t> file =
        ReadBytes(Made("texture_tool", "assets/textures/checker.txt", "checker.bmp"));
    ByteReader bmp(file.data(), file.size());
    const uint32_t kMaximumSide = 4096;
    ASSERT_EQ(bmp.U16(0), 0x4D42) << "magic";
    ASSERT_EQ(bmp.U32(2), file.size());
    ASSERT_EQ(bmp.U32(10), 54u) << "pixels at";
    ASSERT_EQ(bmp.U32(14), 40u) << "header size";
    ASSERT_EQ(bmp.U16(26), 1) << "planes";
    ASSERT_EQ(bmp.U16(28), 24) << "bits per pixel";
    ASSERT_EQ(bmp.U32(30), 0u) << "compression";
    ASSERT_EQ(bmp.U32(46), 0u) << "palette";
    // Below 2^31 too: a negative height would mean top-down rows.
    for (uint32_t side : {bmp.U32(18), bmp.U32(22)})
        ASSERT_TRUE(side != 0 && side <= kMaximumSide && (side & (side - 1)) == 0) << side;
    const uint32_t image = (bmp.U32(18) * 3 + 3) / 4 * 4 * bmp.U32(22);
    EXPECT_EQ(bmp.U32(34), image) << "pixel data";
    EXPECT_EQ(file.size(), 54 + image);
}

// Headers, then rows bottom-up, blue green red, padded from 6 to 8 bytes; the marked top-left
// pixel (C0 B0 A0) comes last.
TEST(texture_tool, tiny_checker_bytes) {
    EXPECT_EQ(ReadBytes(Made("texture_tool", kTinyChecker, "tiny_checker.bmp")),
              FromHex("424D 56000000 00000000 36000000"
                      "28000000 02000000 04000000 0100 1800 00000000 20000000"
                      "130B0000 130B0000 00000000 00000000"
                      "605040 302010 0000  302010 605040 0000  605040 302010 0000  C0B0A0 605040 0000"));
}

// The header (X8R8G8B8, three levels), then each level top-down as blue green red and a
// zero: 2 by 4, then 1 by 2 and 1 by 1, each pixel the rounded mean of those it covers.
TEST(texture_tool, tiny_checker_dds_bytes) {
    EXPECT_EQ(ReadBytes(Made("texture_tool", kTinyChecker, "tiny_checker.dds")),
              FromHex("44445320 7C000000 0F100200 04000000 02000000 08000000 00000000 03000000"
                      "00000000 00000000 00000000 00000000 00000000 00000000 00000000 00000000"
                      "00000000 00000000 00000000"
                      "20000000 40000000 00000000 20000000 0000FF00 00FF0000 FF000000 00000000"
                      "08104000 00000000 00000000 00000000 00000000"
                      "C0B0A000 60504000 60504000 30201000 30201000 60504000 60504000 30201000"
                      "6C5C4C00 48382800 5A4A3A00"));
}

TEST(texture_tool, refuses_bad_input) {
    const std::string kHead = "size 8 8\nchecker 2 #000000 #FFFFFF\n";
    ExpectRefusals("texture_tool", Scratch("texture_refusals"), ".txt", {
        {"unknown_word", "size 8 8\nchequer 2 #000000 #FFFFFF\n", 2, "unknown word 'chequer'"},
        {"not_power_of_two", "size 8 12\n", 1, "powers of two"},
        {"bad_number", "size 8 8\nchecker two #000000 #FFFFFF\n", 2, "'two' is not a whole number"},
        {"bad_colour", "size 8 8\nchecker 2 #000000 #FFFFF\n", 2, "not a colour"},
        {"missing_field", "size 8\n", 1, "missing values"},
        {"rect_outside", kHead + "rect #FF0000 6 0 3 1\n", 3, "outside the image"},
        {"rect_first", "rect #FF0000 0 0 1 1\nsize 8 8\n", 1, "before the size and checker"},
        {"no_checker", "size 8 8\n", 1, "no checker line"},
    }, true, false);
}
