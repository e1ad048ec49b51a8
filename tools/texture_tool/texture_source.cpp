#include "texture_source.h"

#include "source_lines.h"

namespace {

bool IsPowerOfTwo(int value) { return value > 0 && (value & (value - 1)) == 0; }

struct Parser {
    const std::string& path;
    TextureSource& texture;
    std::string& error;

    bool Fail(const SourceLine& line, const std::string& message) {
        error = SourceError(path, line.number, message);
        return false;
    }

    bool Integer(const SourceLine& line, std::size_t index, int& value) {
        if (ParseInteger(line.words[index], value)) return true;
        return Fail(line, "'" + line.words[index] + "' is not a whole number");
    }

    bool Color(const SourceLine& line, std::size_t index, std::uint32_t& rgb) {
        if (ParseHexColor(line.words[index], 6, rgb)) return true;
        return Fail(line, "'" + line.words[index] + "' is not a colour of the form #RRGGBB");
    }

    bool Size(const SourceLine& line) {
        if (!CheckWordCount(path, line, 3, "size W H", error)) return false;
        if (texture.width != 0) return Fail(line, "the size is already set");
        if (!texture.rects.empty()) return Fail(line, "the size must come before any rect");
        int width = 0, height = 0;
        if (!Integer(line, 1, width) || !Integer(line, 2, height)) return false;
        if (!IsPowerOfTwo(width) || !IsPowerOfTwo(height) || width > kMaxTextureSide ||
            height > kMaxTextureSide) {
            return Fail(line, "width and height must be powers of two up to " +
                                  std::to_string(kMaxTextureSide));
        }
        texture.width = width;
        texture.height = height;
        return true;
    }

    bool Checker(const SourceLine& line) {
        if (!CheckWordCount(path, line, 4, "checker S #RRGGBB #RRGGBB", error)) return false;
        if (texture.square != 0) return Fail(line, "the checker is already set");
        if (!texture.rects.empty()) return Fail(line, "the checker must come before any rect");
        int square = 0;
        if (!Integer(line, 1, square)) return false;
        if (square < 1) return Fail(line, "the square size must be at least 1");
        if (!Color(line, 2, texture.firstColor) || !Color(line, 3, texture.secondColor)) {
            return false;
        }
        texture.square = square;
        return true;
    }

    bool Rect(const SourceLine& line) {
        if (!CheckWordCount(path, line, 6, "rect #RRGGBB X Y W H", error)) return false;
        if (texture.width == 0 || texture.square == 0) {
            return Fail(line, "a rect before the size and checker lines");
        }
        TextureRect rect;
        if (!Color(line, 1, rect.rgb) || !Integer(line, 2, rect.x) || !Integer(line, 3, rect.y) ||
            !Integer(line, 4, rect.width) || !Integer(line, 5, rect.height)) {
            return false;
        }
        if (rect.width < 1 || rect.height < 1) return Fail(line, "the size must be at least 1");
        if (rect.x < 0 || rect.y < 0 || rect.width > texture.width - rect.x ||
            rect.height > texture.height - rect.y) {
            return Fail(line, "the rect reaches outside the image");
        }
        texture.rects.push_back(rect);
        return true;
    }

    bool Line(const SourceLine& line) {
        const std::string& word = line.words[0];
        if (word == "size") return Size(line);
        if (word == "checker") return Checker(line);
        if (word == "rect") return Rect(line);
        return Fail(line, "unknown word '" + word + "'");
    }
};

}  // namespace

bool LoadTextureSource(const std::string& path, TextureSource& texture, std::string& error) {
    std::vector<SourceLine> lines;
    if (!ReadSourceLines(path, lines, error)) return false;
    Parser parser{path, texture, error};
    for (const SourceLine& line : lines) {
        if (!parser.Line(line)) return false;
    }
    if (texture.width == 0 || texture.square == 0) {
        const int last = lines.empty() ? 1 : lines.back().number;
        error = SourceError(path, last, texture.width == 0 ? "the source has no size line"
                                                           : "the source has no checker line");
        return false;
    }
    return true;
}

std::vector<std::uint32_t> PaintTexture(const TextureSource& texture) {
    std::vector<std::uint32_t> pixels(static_cast<std::size_t>(texture.width) *
                                      static_cast<std::size_t>(texture.height));
    for (int y = 0; y < texture.height; ++y) {
        for (int x = 0; x < texture.width; ++x) {
            const bool first = (x / texture.square + y / texture.square) % 2 == 0;
            pixels[static_cast<std::size_t>(y * texture.width + x)] =
                first ? texture.firstColor : texture.secondColor;
        }
    }
    for (const TextureRect& rect : texture.rects) {
        for (int y = rect.y; y < rect.y + rect.height; ++y) {
            for (int x = rect.x; x < rect.x + rect.width; ++x) {
                pixels[static_cast<std::size_t>(y * texture.width + x)] = rect.rgb;
            }
        }
    }
    return pixels;
}
