// The campaign's cases. For one seed, case n of a family is always the same recipe: even
// numbers walk the family's fixed list (every truncation of a header, every key with every
// Lua type, every word of a shader set to an awkward value, ...) until it runs out, and every
// other case is random damage drawn from the seed and n alone.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "support/campaign/recipe.h"

Recipe MeshCase(uint64_t seed, uint64_t n);
Recipe MaterialCase(uint64_t seed, uint64_t n);
Recipe ShaderCase(uint64_t seed, uint64_t n);

// A shipped material as luac writes it (as the material family's first cases do), made once.
const std::string& CompiledDataFile(const std::string& path, bool strip);

// Shared by the three families.

// A note that makes the case's judge demand a clean load: the bytes are a shader that
// Direct3D 9 takes.
constexpr char WellFormed[] = "well-formed: must load cleanly";

// The valid files that the build puts in data/, as paths relative to the build tree.
extern const char* const DataFiles[];
extern const size_t DataFileCount;
// A data file's bytes, read once.
const std::string& DataFile(const std::string& path);
// Case n of a family: fixed[n / 2] for even n while the list lasts, else `random` with a
// generator seeded from (seed, family, n).
template <class MakeRandom>
Recipe PickCase(const std::vector<Recipe>& fixed, uint64_t seed, uint64_t family, uint64_t n,
                MakeRandom random) {
    if (n % 2 == 0 && n / 2 < fixed.size()) return fixed[static_cast<size_t>(n / 2)];
    Random generator(seed * 0x9E3779B97F4A7C15ull ^ (family << 56) ^ n);
    return random(generator);
}
Recipe Make(Loader loader, const std::string& from, std::vector<Operation> operations = {});
Recipe MakeText(Loader loader, const std::string& text);
// Adds `from` cut to each length in [first, end), `step` apart.
void AddCuts(std::vector<Recipe>& fixed, Loader loader, const std::string& from, uint64_t first,
             uint64_t end, uint64_t step = 1);
// Adds `from` with the word at `offset` set to each of `values`.
void AddSets(std::vector<Recipe>& fixed, Loader loader, const std::string& from, uint64_t offset,
             const std::vector<uint32_t>& values);
// Adds every data file but those in `own`, given to `loader` in place of its own kind.
void AddOtherFiles(std::vector<Recipe>& fixed, Loader loader, const std::vector<std::string>& own);
// A random 32-bit value from `awkward` most of the time, else any value.
uint32_t AwkwardValue(Random& random, const std::vector<uint32_t>& awkward);
// `recipe` with one to three more operations, each the one that `damage(recipe)` returns for
// the recipe as it stands then.
template <class Damage>
Recipe Damaged(Recipe recipe, Random& random, Damage damage) {
    const int steps = 1 + static_cast<int>(random.Below(3));
    for (int step = 0; step < steps; ++step) recipe.operations.push_back(damage(recipe));
    return recipe;
}
