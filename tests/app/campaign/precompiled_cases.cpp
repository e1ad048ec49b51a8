// Damaged precompiled materials: the shipped materials as luac writes them, with and without
// debug information, then truncated, with bits flipped and with bytes and words (counts,
// string sizes, instructions) set to awkward values.
#include "cases.h"

namespace {
const char* const Materials[] = {"data/material1.material", "data/material2.material"};

Recipe Compiled(const char* material, bool strip, std::vector<Operation> damage = {}) {
    Recipe recipe = Make(Loader::Material, material, {{Operation::Compile, strip ? 1u : 0u}});
    for (const Operation& op : damage) recipe.operations.push_back(op);
    return recipe;
}
}  // namespace

std::vector<Recipe> PrecompiledMaterials() {
    std::vector<Recipe> fixed;
    for (const char* material : Materials) {
        for (bool strip : {false, true}) fixed.push_back(Compiled(material, strip));
    }
    return fixed;
}

std::vector<Recipe> DamagedPrecompiledCases() {
    std::vector<Recipe> fixed;
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
    return fixed;
}

Recipe RandomPrecompiled(Random& random) {
    Recipe recipe = Compiled(Materials[random.Below(2)], random.OneIn(2));
    const uint64_t size = recipe.Bytes().size();
    const int steps = 1 + static_cast<int>(random.Below(3));
    for (int step = 0; step < steps; ++step) {
        const uint64_t at = random.Below(size);
        switch (random.Below(4)) {
            case 0:
                recipe.operations.push_back({Operation::Flip, at, random.Below(8)});
                break;
            case 1:
                recipe.operations.push_back(
                    {Operation::Set8, at, AwkwardValue(random, {0, 1, 0x7F, 0x80, 0xFF}) & 0xFF});
                break;
            case 2:
                recipe.operations.push_back(
                    {Operation::Set32, at & ~uint64_t{3},
                     AwkwardValue(random, {0, 1, 0xFF, 0x100, 0xFFFFFFFF, 0x7FFFFFFF})});
                break;
            default:
                recipe.operations.push_back({Operation::Truncate, at});
                break;
        }
    }
    return recipe;
}
