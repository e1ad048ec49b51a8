// Damaged material files: every Lua type at every key, deep nesting, long strings, run-time
// errors, broken syntax, other kinds of file in their place, and damaged textures.
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
std::vector<Recipe> FixedTextureCases() {
    std::vector<Recipe> fixed;
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
    return fixed;
}

std::vector<Recipe> FixedMaterialCases() {
    std::vector<Recipe> fixed;
    for (const char* material : Materials) fixed.push_back(Make(Loader::Material, material));
    for (const Recipe& precompiled : PrecompiledMaterials()) fixed.push_back(precompiled);
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
    for (const Recipe& texture : FixedTextureCases()) fixed.push_back(texture);
    for (const char* material : Materials) {
        AddCuts(fixed, Loader::Material, material, 0, DataFile(material).size());
    }
    for (const Recipe& precompiled : DamagedPrecompiledCases()) fixed.push_back(precompiled);
    // Files that never end or grow without bound: each costs its budget, so they come last.
    fixed.push_back(WithSlot("", "", "while true do end"));
    fixed.push_back(WithSlot("", "", "local t = {} while true do t[#t + 1] = {} end"));
    return fixed;
}

Recipe RandomTextEdit(Random& random) {
    Recipe recipe = Make(Loader::Material, Materials[random.Below(2)]);
    const int steps = 1 + static_cast<int>(random.Below(3));
    for (int step = 0; step < steps; ++step) {
        const uint64_t size = recipe.Bytes().size();
        const uint64_t at = random.Below(size + 1);
        switch (random.Below(6)) {
            case 0:
                recipe.operations.push_back({Operation::Flip, at, random.Below(8)});
                break;
            case 1:
                recipe.operations.push_back(
                    {Operation::Set8, at,
                     static_cast<unsigned char>(
                         AwkwardCharacters[random.Below(sizeof AwkwardCharacters - 1)])});
                break;
            case 2:
                recipe.operations.push_back({Operation::Delete, at, 1 + random.Below(12)});
                break;
            case 3:
                recipe.operations.push_back(
                    {Operation::Insert, at,
                     AwkwardTokens()[static_cast<size_t>(random.Below(AwkwardTokens().size()))]});
                break;
            case 4:
                recipe.operations.push_back({Operation::Truncate, at});
                break;
            default:
                recipe.operations.push_back(
                    {Operation::Repeat, at, 1 + random.Below(40), 1 + random.Below(3)});
                break;
        }
    }
    return recipe;
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
    Recipe recipe = Make(Loader::Texture, texture);
    const uint64_t size = DataFile(texture).size();
    const uint64_t headerSize = texture == Textures[0] ? 128 : 54;
    const int steps = 1 + static_cast<int>(random.Below(3));
    for (int step = 0; step < steps; ++step) {
        const uint64_t at = random.OneIn(4) ? random.Below(size) : random.Below(headerSize);
        switch (random.Below(3)) {
            case 0:
                recipe.operations.push_back({Operation::Flip, at, random.Below(8)});
                break;
            case 1:
                recipe.operations.push_back(
                    {Operation::Set32, at, AwkwardValue(random, {0, 1, 0xFFFFFFFF, 0x7FFFFFFF})});
                break;
            default:
                recipe.operations.push_back({Operation::Truncate, random.Below(size)});
                break;
        }
    }
    return recipe;
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
