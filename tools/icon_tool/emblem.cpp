#include "emblem.h"

#include "source_lines.h"

#include <map>

namespace {

struct Parser {
    const std::string& path;
    Emblem& emblem;
    std::string& error;
    std::map<std::string, int> colorNames;

    bool Fail(const SourceLine& line, const std::string& message) {
        error = SourceError(path, line.number, message);
        return false;
    }

    bool Number(const SourceLine& line, std::size_t index, float& value) {
        if (ParseFloat(line.words[index], value)) return true;
        return Fail(line, "'" + line.words[index] + "' is not a number");
    }

    bool Canvas(const SourceLine& line) {
        if (!CheckWordCount(path, line, 2, "canvas N", error)) return false;
        if (emblem.canvas > 0) return Fail(line, "the canvas is already set");
        float size = 0;
        if (!Number(line, 1, size)) return false;
        if (size <= 0) return Fail(line, "the canvas size must be above 0");
        emblem.canvas = size;
        return true;
    }

    bool Color(const SourceLine& line) {
        if (!CheckWordCount(path, line, 3, "color NAME #RRGGBB", error)) return false;
        const std::string& name = line.words[1];
        if (colorNames.count(name) != 0) {
            return Fail(line, "colour '" + name + "' is named twice");
        }
        if (emblem.colors.size() == kMaxEmblemColors) {
            return Fail(line, "more than " + std::to_string(kMaxEmblemColors) + " colours");
        }
        std::uint32_t rgb = 0;
        if (!ParseHexColor(line.words[2], 6, rgb)) {
            return Fail(line, "'" + line.words[2] + "' is not a colour of the form #RRGGBB");
        }
        colorNames[name] = static_cast<int>(emblem.colors.size());
        emblem.colors.push_back(rgb);
        return true;
    }

    bool Shape(const SourceLine& line, EmblemShape::Kind kind) {
        const bool circle = kind == EmblemShape::Kind::Circle;
        const char* usage = circle ? "circle NAME CX CY R" : "rect NAME X Y W H";
        if (!CheckWordCount(path, line, circle ? 5 : 6, usage, error)) return false;
        if (emblem.canvas <= 0) return Fail(line, "a shape before the canvas line");
        const auto color = colorNames.find(line.words[1]);
        if (color == colorNames.end()) return Fail(line, "unknown colour '" + line.words[1] + "'");
        EmblemShape shape;
        shape.kind = kind;
        shape.colorIndex = color->second;
        float* values[] = {&shape.a, &shape.b, &shape.c, &shape.d};
        for (std::size_t i = 2; i < line.words.size(); ++i) {
            if (!Number(line, i, *values[i - 2])) return false;
        }
        if (circle ? shape.c <= 0 : (shape.c <= 0 || shape.d <= 0)) {
            return Fail(line, circle ? "the radius must be above 0" : "the size must be above 0");
        }
        emblem.shapes.push_back(shape);
        return true;
    }

    bool Line(const SourceLine& line) {
        const std::string& word = line.words[0];
        if (word == "canvas") return Canvas(line);
        if (word == "color") return Color(line);
        if (word == "circle") return Shape(line, EmblemShape::Kind::Circle);
        if (word == "rect") return Shape(line, EmblemShape::Kind::Rect);
        return Fail(line, "unknown word '" + word + "'");
    }
};

}  // namespace

bool LoadEmblem(const std::string& path, Emblem& emblem, std::string& error) {
    std::vector<SourceLine> lines;
    if (!ReadSourceLines(path, lines, error)) return false;
    Parser parser{path, emblem, error, {}};
    for (const SourceLine& line : lines) {
        if (!parser.Line(line)) return false;
    }
    if (emblem.shapes.empty()) {
        const int last = lines.empty() ? 1 : lines.back().number;
        error = SourceError(path, last, "the description ends without any shape");
        return false;
    }
    return true;
}
