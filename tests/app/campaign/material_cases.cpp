// Damaged material files: every Lua type at every key, deep nesting, long strings, run-time
// errors, broken syntax, other kinds of file in their place, and damaged textures. And the
// shipped materials as luac writes them, with and without debug information, then truncated,
// with bits flipped and with bytes and words (counts, string sizes, instructions) set to
// awkward values.
#include "cases.h"
#include "material_text.h"

namespace {
const char* const Materials[] = {"data/material1.material", "data/material2.material"};
// The texture the materials name, and the other format the build makes of it.
const char* const Textures[] = {"data/checker.dds", "data/checker.bmp"};

// Characters and tokens that mean most to Lua's lexer and parser.
const char AwkwardCharacters[] = "{}[]()'\"=,.-\n\\#;:~^%<>0e";
const std::vector<std::string>& AwkwardTokens() {
    static const std::vector<std::string> tokens = {
        "nil", "{", "}", "--", "--[[", "[[", "]]", "\"", "'", "\\", "function() end", "return",
        "..", "\xff", std::string("\0", 1), "1e999", "0x", "=", ",", "...", "end", "local",
        "\x1bLua"};
    return tokens;
}

// A shipped material precompiled (STRIP: without debug information), then damaged.
Recipe Compiled(const char* material, bool strip, std::vector<Operation> damage = {}) {
    damage.insert(damage.begin(), Operation{Operation::Compile, strip});
    return Make(Loader::Material, material, std::move(damage));
}

void AddDamagedPrecompiled(std::vector<Recipe>& fixed) {
    // Every header byte, and every word of the stripped cube material (its counts and
    // instructions) at 0, all ones and the largest int.
    const uint64_t size = Compiled(Materials[0], true).Bytes().size();
    for (uint64_t at = 0; at < 18; ++at) {
        fixed.push_back(Compiled(Materials[0], true, {{Operation::Flip, at, at % 8}}));
    }
    for (uint64_t at = 18; at + 4 <= size; at += 4) {
        for (uint32_t value : {0u, 0xFFFFFFFFu, 0x7FFFFFFFu}) {
            fixed.push_back(Compiled(Materials[0], true, {{Operation::Set32, at, value}}));
        }
    }
    for (uint64_t length = 0; length < size; length += 3) {
        fixed.push_back(Compiled(Materials[0], true, {{Operation::Truncate, length}}));
    }
}

Recipe RandomPrecompiled(Random& random) {
    const Recipe compiled = Compiled(Materials[random.Below(2)], random.OneIn(2));
    const uint64_t size = compiled.Bytes().size();
    const auto damage = [&random, size](const Recipe&) -> Operation {
        const uint64_t at = random.Below(size);
        switch (random.Below(4)) {
            case 0:
                return {Operation::Flip, at, random.Below(8)};
            case 1:
                return {Operation::Set8, at, AwkwardValue(random, {0, 1, 0x7F, 0x80, 0xFF}) & 0xFF};
            case 2:
                return {Operation::Set32, at & ~uint64_t{3},
                        AwkwardValue(random, {0, 1, 0xFF, 0x100, 0xFFFFFFFF, 0x7FFFFFFF})};
            default:
                return {Operation::Truncate, at};
        }
    };
    return Damaged(compiled, random, damage);
}

// The standard material with `value` at `slot` (no slot: unchanged), after `prelude`.
Recipe WithSlot(const std::string& slot, const std::string& value,
                const std::string& prelude = "") {
    MaterialParts parts;
    if (!slot.empty()) SetSlot(parts, slot, value);
    parts.prelude = prelude;
    return MakeText(Loader::Material, parts.Text());
}

// Damage to the texture the material names; the program checks its header and D3DX reads
// it while the material loads.
void AddTextureCases(std::vector<Recipe>& fixed) {
    const struct {
        const char* file;
        std::vector<uint64_t> lengths;  // cuts, besides one byte short of the whole file
        std::vector<uint64_t> fields;   // offsets of the header's 32-bit fields
    } headers[] = {
        // Flags, height, width, pitch, depth, mip count; the pixel format's size, flags,
        // FOURCC, bit count and red mask; caps and caps2 (cube and volume flags).
        {Textures[0], {0, 1, 4, 127, 128, 129, 1000}, {8, 12, 16, 20, 24, 28, 76, 80, 84, 88, 92, 108, 112}},
        // Width, height, planes, bit count, compression and the pixel data's offset.
        {Textures[1], {0, 1, 2, 14, 18, 54, 55, 1000}, {10, 18, 22, 26, 28, 30, 34}}};
    for (const auto& header : headers) {
        std::vector<uint64_t> lengths = header.lengths;
        lengths.push_back(DataFile(header.file).size() - 1);
        for (uint64_t length : lengths) {
            fixed.push_back(Make(Loader::Texture, header.file, {{Operation::Truncate, length}}));
        }
        for (uint64_t offset : header.fields) {
            AddSets(fixed, Loader::Texture, header.file, offset,
                    {0u, 0xFFFFFFFFu, 0x7FFFFFFFu, 0x10000u, 0x4001u, 0xFE00u, 0x200000u});
        }
    }
}

std::vector<Recipe> FixedMaterialCases() {
    std::vector<Recipe> fixed;
    for (const char* material : Materials) fixed.push_back(Make(Loader::Material, material));
    // As luac writes them, with and without debug information: they must load cleanly.
    for (const char* material : Materials) {
        for (bool strip : {false, true}) fixed.push_back(Compiled(material, strip));
    }
    for (const std::string& slot : MaterialSlots()) {
        fixed.push_back(WithSlot(slot, ""));
        for (const std::string& value : LuaValues()) {
            fixed.push_back(WithSlot(slot, value, ValuePrelude(value)));
        }
    }
    MaterialParts noReturn;
    noReturn.returns = false;
    fixed.push_back(MakeText(Loader::Material, noReturn.Text()));
    fixed.push_back(WithSlot("return", "{}, {}"));
    for (const std::string& error : RunTimeErrors()) {
        fixed.push_back(WithSlot("", "", error));
        fixed.push_back(
            WithSlot("texture", "(function() " + error + " return 'data/checker.dds' end)()"));
    }
    // Nesting within what the parser takes, and past it.
    for (int depth : {1, 100, 190, 250, 1000}) {
        for (const std::string& slot : MaterialSlots()) {
            fixed.push_back(WithSlot(slot, Nested(depth, "'data/checker.dds'")));
        }
    }
    AddOtherFiles(fixed, Loader::Material, {Materials[0], Materials[1]});
    AddTextureCases(fixed);
    for (const char* material : Materials) {
        AddCuts(fixed, Loader::Material, material, 0, DataFile(material).size());
    }
    AddDamagedPrecompiled(fixed);
    // Files that never end or grow without bound: each costs its budget, so they come last.
    fixed.push_back(WithSlot("", "", "while true do end"));
    fixed.push_back(WithSlot("", "", "local t = {} while true do t[#t + 1] = {} end"));
    return fixed;
}

Recipe RandomTextEdit(Random& random) {
    const auto damage = [&random](const Recipe& recipe) -> Operation {
        const uint64_t at = random.Below(recipe.Bytes().size() + 1);
        switch (random.Below(6)) {
            case 0:
                return {Operation::Flip, at, random.Below(8)};
            case 1:
                return {Operation::Set8, at,
                        static_cast<unsigned char>(
                            AwkwardCharacters[random.Below(sizeof AwkwardCharacters - 1)])};
            case 2:
                return {Operation::Delete, at, 1 + random.Below(12)};
            case 3:
                return {Operation::Insert, at,
                        AwkwardTokens()[static_cast<size_t>(random.Below(AwkwardTokens().size()))]};
            case 4:
                return {Operation::Truncate, at};
            default:
                return {Operation::Repeat, at, 1 + random.Below(40), 1 + random.Below(3)};
        }
    };
    return Damaged(Make(Loader::Material, Materials[random.Below(2)]), random, damage);
}

Recipe RandomParts(Random& random) {
    MaterialParts parts;
    std::string values;
    const int changes = 1 + static_cast<int>(random.Below(4));
    for (int change = 0; change < changes; ++change) {
        const auto& slots = MaterialSlots();
        // "return" replaces everything, so it is rare.
        const size_t slot = static_cast<size_t>(random.Below(random.OneIn(8) ? slots.size()
                                                                             : slots.size() - 1));
        std::string value;
        if (random.OneIn(8)) {
            value = Nested(1 + static_cast<int>(random.Below(260)), "1");
        } else if (!random.OneIn(10)) {
            value = LuaValues()[static_cast<size_t>(random.Below(LuaValues().size()))];
        }
        SetSlot(parts, slots[slot], value);
        values += value + " ";
    }
    if (random.OneIn(5)) {
        parts.prelude = RunTimeErrors()[static_cast<size_t>(random.Below(RunTimeErrors().size()))];
    }
    parts.prelude = ValuePrelude(values) + parts.prelude;
    return MakeText(Loader::Material, parts.Text());
}

Recipe RandomTexture(Random& random) {
    const char* texture = Textures[random.Below(2)];
    const uint64_t size = DataFile(texture).size();
    const uint64_t headerSize = texture == Textures[0] ? 128 : 54;
    const auto damage = [&random, size, headerSize](const Recipe&) -> Operation {
        const uint64_t at = random.OneIn(4) ? random.Below(size) : random.Below(headerSize);
        switch (random.Below(3)) {
            case 0:
                return {Operation::Flip, at, random.Below(8)};
            case 1:
                return {Operation::Set32, at, AwkwardValue(random, {0, 1, 0xFFFFFFFF, 0x7FFFFFFF})};
            default:
                return {Operation::Truncate, random.Below(size)};
        }
    };
    return Damaged(Make(Loader::Texture, texture), random, damage);
}

Recipe RandomMaterialCase(Random& random) {
    const uint64_t kind = random.Below(20);
    if (kind < 7) return RandomTextEdit(random);
    if (kind < 14) return RandomParts(random);
    if (kind < 17) return RandomPrecompiled(random);
    if (kind < 19) return RandomTexture(random);
    Recipe swapped = Make(Loader::Material, DataFiles[random.Below(DataFileCount)]);
    swapped.operations.push_back({Operation::Flip, random.Below(64), random.Below(8)});
    return swapped;
}
}  // namespace

Recipe MaterialCase(uint64_t seed, uint64_t n) {
    static const std::vector<Recipe> fixed = FixedMaterialCases();
    return PickCase(fixed, seed, 2, n, RandomMaterialCase);
}
