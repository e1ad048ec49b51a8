#include "support/campaign/recipe.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <sstream>

#include "support/lua_chunk.h"
#include "support/temp_folder.h"

namespace {
// In the order of Loader.
const char* const LoaderNames[] = {"mesh", "material", "vertex-shader", "fragment-shader",
                                   "texture"};

// In the order of Operation::Kind.
const struct {
    Operation::Kind kind;
    const char* name;
    int numbers;  // how many numbers follow the name
    bool hex;     // a hex byte string follows them
} OperationNames[] = {{Operation::Truncate, "truncate", 1, false},
                      {Operation::Flip, "flip", 2, false},
                      {Operation::Set8, "set8", 2, false},
                      {Operation::Set32, "set32", 2, false},
                      {Operation::Insert, "insert", 1, true},
                      {Operation::Delete, "delete", 2, false},
                      {Operation::Append, "append", 0, true},
                      {Operation::Pad, "pad", 2, false},
                      {Operation::Random, "random", 2, false},
                      {Operation::Repeat, "repeat", 3, false},
                      {Operation::Compile, "compile", 1, false}};

std::string Hex(const std::string& bytes) {
    static const char digits[] = "0123456789abcdef";
    std::string hex;
    for (unsigned char byte : bytes) {
        hex += digits[byte >> 4];
        hex += digits[byte & 15];
    }
    return hex;
}

bool FromHex(const std::string& hex, std::string* bytes) {
    if (hex.size() % 2 != 0) return false;
    bytes->clear();
    for (size_t i = 0; i < hex.size(); i += 2) {
        unsigned value = 0;
        if (std::sscanf(hex.substr(i, 2).c_str(), "%2x", &value) != 1) return false;
        bytes->push_back(static_cast<char>(value));
    }
    return true;
}

// Big sizes and offsets are clamped, so that a recipe never asks the test for gigabytes.
constexpr uint64_t LargestFile = uint64_t{64} << 20;

void GrowTo(std::string& bytes, uint64_t size) {
    if (bytes.size() < size) bytes.resize(static_cast<size_t>(std::min(size, LargestFile)), '\0');
}

void Apply(const Operation& op, std::string& bytes) {
    const uint64_t size = bytes.size();
    switch (op.kind) {
        case Operation::Truncate:
            if (op.a < size) bytes.resize(static_cast<size_t>(op.a));
            break;
        case Operation::Flip:
            GrowTo(bytes, op.a + 1);
            if (op.a < bytes.size()) bytes[op.a] = static_cast<char>(bytes[op.a] ^ (1 << (op.b & 7)));
            break;
        case Operation::Set8:
            GrowTo(bytes, op.a + 1);
            if (op.a < bytes.size()) bytes[op.a] = static_cast<char>(op.b);
            break;
        case Operation::Set32:
            GrowTo(bytes, op.a + 4);
            for (uint64_t i = 0; i < 4 && op.a + i < bytes.size(); ++i) {
                bytes[op.a + i] = static_cast<char>((op.b >> (8 * i)) & 0xFF);
            }
            break;
        case Operation::Insert:
            bytes.insert(static_cast<size_t>(std::min(op.a, size)), op.bytes);
            break;
        case Operation::Delete:
            if (op.a < size) bytes.erase(static_cast<size_t>(op.a), static_cast<size_t>(op.b));
            break;
        case Operation::Append:
            bytes += op.bytes;
            break;
        case Operation::Pad:
            if (size < op.a) {
                bytes.append(static_cast<size_t>(std::min(op.a, LargestFile) - size),
                             static_cast<char>(op.b));
            }
            break;
        case Operation::Random:
            bytes = Random(op.b).Bytes(static_cast<size_t>(std::min(op.a, LargestFile)));
            break;
        case Operation::Repeat:
            if (op.a < size) {
                const std::string range =
                    bytes.substr(static_cast<size_t>(op.a), static_cast<size_t>(op.b));
                std::string copies;
                for (uint64_t i = 0; i < op.c && copies.size() < LargestFile; ++i) copies += range;
                bytes.insert(static_cast<size_t>(op.a) + range.size(), copies);
            }
            break;
        case Operation::Compile: {
            const std::string compiled = CompileChunk(bytes, op.a != 0, "=material");
            if (!compiled.empty()) bytes = compiled;
            break;
        }
    }
}
}  // namespace

std::string Recipe::ToText() const {
    std::ostringstream out;
    std::istringstream noteLines(note);
    for (std::string line; std::getline(noteLines, line);) out << "# " << line << "\n";
    out << "load " << LoaderNames[static_cast<int>(loader)] << "\n";
    if (from.empty()) {
        out << "from text\n";
        std::istringstream lines(text);
        for (std::string line; std::getline(lines, line);) out << "| " << line << "\n";
    } else {
        out << "from " << from << "\n";
    }
    for (const Operation& op : operations) {
        const auto& entry = OperationNames[op.kind];
        out << entry.name;
        const uint64_t numbers[] = {op.a, op.b, op.c};
        for (int i = 0; i < entry.numbers; ++i) {
            const bool value =
                (op.kind == Operation::Set32 || op.kind == Operation::Set8) && i == 1;
            out << (value ? " 0x" : " ") << (value ? std::hex : std::dec) << numbers[i] << std::dec;
        }
        if (entry.hex) out << " " << Hex(op.bytes);
        out << "\n";
    }
    return out.str();
}

std::string Recipe::Bytes() const {
    std::string bytes = from.empty() ? text : ReadWholeFile(from);
    for (const Operation& op : operations) Apply(op, bytes);
    return bytes;
}

bool ParseNumber(const std::string& text, uint64_t* value) {
    char* end = nullptr;
    *value = std::strtoull(text.c_str(), &end, 0);
    return !text.empty() && *end == '\0';
}

bool ParseRecipe(const std::string& text, Recipe* recipe, std::string* whyNot) {
    *recipe = Recipe();
    bool haveLoader = false, haveFrom = false, textLines = false;
    std::istringstream lines(text);
    int number = 0;
    for (std::string line; std::getline(lines, line);) {
        ++number;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        const auto fail = [&](const std::string& why) {
            *whyNot = "line " + std::to_string(number) + ": " + why;
            return false;
        };
        if (line.empty()) continue;
        if (line[0] == '#') {
            recipe->note += line.substr(line.size() > 1 && line[1] == ' ' ? 2 : 1) + "\n";
            continue;
        }
        if (line[0] == '|') {
            if (!textLines) return fail("text lines need \"from text\" before them");
            recipe->text += (line.size() > 2 ? line.substr(2) : std::string()) + "\n";
            continue;
        }
        std::istringstream words(line);
        std::string word;
        words >> word;
        if (word == "load") {
            std::string name;
            words >> name;
            haveLoader = false;
            for (size_t i = 0; i < std::size(LoaderNames); ++i) {
                if (name == LoaderNames[i]) {
                    recipe->loader = static_cast<Loader>(i);
                    haveLoader = true;
                }
            }
            if (!haveLoader) return fail("unknown loader \"" + name + "\"");
            continue;
        }
        if (word == "from") {
            std::string from;
            words >> from;
            textLines = from == "text";
            recipe->from = textLines ? std::string() : from;
            haveFrom = !from.empty();
            continue;
        }
        const auto entry = std::find_if(std::begin(OperationNames), std::end(OperationNames),
                                        [&word](const auto& known) { return word == known.name; });
        if (entry == std::end(OperationNames)) return fail("unknown word \"" + word + "\"");
        Operation op{entry->kind};
        uint64_t* numbers[] = {&op.a, &op.b, &op.c};
        for (int i = 0; i < entry->numbers; ++i) {
            std::string value;
            words >> value;
            if (!ParseNumber(value, numbers[i])) {
                return fail("\"" + word + "\" needs " + std::to_string(entry->numbers) +
                            " numbers");
            }
        }
        if (entry->hex) {
            std::string hex;
            words >> hex;
            if (!FromHex(hex, &op.bytes)) return fail("bad hex bytes \"" + hex + "\"");
        }
        recipe->operations.push_back(op);
    }
    if (!haveLoader || !haveFrom) {
        *whyNot = "a recipe needs a \"load\" and a \"from\" line";
        return false;
    }
    return true;
}

uint64_t Random::Next() {
    uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

std::string Random::Bytes(size_t length) {
    std::string bytes(length, '\0');
    for (char& byte : bytes) byte = static_cast<char>(Next() >> 56);
    return bytes;
}
