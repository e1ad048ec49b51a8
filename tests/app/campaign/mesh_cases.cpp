// Damaged mesh files: short, long, with counts that lie or overflow, indices out of range,
// random bytes and other kinds of file in their place.
#include "cases.h"
#include "support/shader_corpus.h"

namespace {
const char* const Meshes[] = {"data/cube.mesh.bin", "data/plane.mesh.bin"};

// Counts near the file's own, and those whose byte lengths overflow 32 bits.
std::vector<uint32_t> AwkwardCounts(const std::string& mesh) {
    const uint32_t v = TokenAt(mesh, 0), i = TokenAt(mesh, 1);
    return {0,          1,          2,          3,          4,          v - 1,      v + 1,
            i - 1,      i + 1,      i / 3 * 3 + 1, 0x7FFFFFFF, 0x80000000, 0xFFFFFFFF, 0xFFFFFFFE,
            0x0AAAAAAB, 0x0AAAAAAA, 0x40000002, 0x3FFFFFFF, 0x15555556, 0x55555556};
}

std::vector<Recipe> FixedMeshCases() {
    std::vector<Recipe> fixed;
    for (const char* mesh : Meshes) fixed.push_back(Make(Loader::Mesh, mesh));
    for (const char* mesh : Meshes) AddCuts(fixed, Loader::Mesh, mesh, 0, 8);
    for (const char* mesh : Meshes) {
        const std::string& bytes = DataFile(mesh);
        for (uint64_t field : {0, 4}) AddSets(fixed, Loader::Mesh, mesh, field, AwkwardCounts(bytes));
        // The first and the last index, pointing at the edge of the vertices and past it.
        const uint32_t v = TokenAt(bytes, 0);
        for (uint64_t index : {uint64_t{8} + 24 * v, uint64_t{bytes.size() - 4}}) {
            AddSets(fixed, Loader::Mesh, mesh, index, {v - 1, v, v + 1, 0x7FFFFFFFu, 0xFFFFFFFFu});
        }
        // Both counts at once: nothing at all, and a header that claims the file is empty.
        fixed.push_back(Make(Loader::Mesh, mesh,
                             {{Operation::Set32, 0, 0}, {Operation::Set32, 4, 0}}));
        fixed.push_back(Make(Loader::Mesh, mesh,
                             {{Operation::Set32, 0, 0}, {Operation::Set32, 4, 0},
                              {Operation::Truncate, 8}}));
    }
    AddOtherFiles(fixed, Loader::Mesh, {Meshes[0], Meshes[1]});
    for (const char* mesh : Meshes) {
        const uint64_t size = DataFile(mesh).size();
        for (uint64_t extra : {1, 3, 4, 24, 4096}) {
            fixed.push_back(Make(Loader::Mesh, mesh, {{Operation::Pad, size + extra, 0xFF}}));
        }
    }
    for (const char* mesh : Meshes) AddCuts(fixed, Loader::Mesh, mesh, 8, DataFile(mesh).size());
    for (const char* mesh : Meshes) {
        for (uint64_t bit = 0; bit < 64; ++bit) {
            fixed.push_back(Make(Loader::Mesh, mesh, {{Operation::Flip, bit / 8, bit % 8}}));
        }
    }
    return fixed;
}

Recipe RandomMeshCase(Random& random) {
    const std::string from = random.OneIn(10) ? DataFiles[random.Below(DataFileCount)]
                                              : Meshes[random.Below(2)];
    const auto damage = [&random](const Recipe& recipe) -> Operation {
        const std::string bytes = recipe.Bytes();
        const uint64_t size = bytes.size();
        switch (random.Below(8)) {
            case 0:
            case 1:  // most damage that matters is in the header
                return {Operation::Flip, random.OneIn(2) ? random.Below(8) : random.Below(size),
                        random.Below(8)};
            case 2:
            case 3:
                return {Operation::Set32, 4 * random.Below(size / 4 + 1),
                        AwkwardValue(random, AwkwardCounts(bytes))};
            case 4:
                return {Operation::Truncate, random.Below(size + 1)};
            case 5:
                return {random.OneIn(2) ? Operation::Append : Operation::Insert,
                        random.Below(size + 1), random.Bytes(1 + random.Below(40))};
            case 6:
                return random.OneIn(2) ? Operation{Operation::Delete, random.Below(size + 1),
                                                   1 + random.Below(48)}
                                       : Operation{Operation::Repeat, random.Below(size + 1),
                                                   1 + random.Below(48), 1 + random.Below(4)};
            default:
                return {Operation::Random, random.Below(1024), random.Next()};
        }
    };
    return Damaged(Make(Loader::Mesh, from), random, damage);
}
}  // namespace

Recipe MeshCase(uint64_t seed, uint64_t n) {
    static const std::vector<Recipe> fixed = FixedMeshCases();
    return PickCase(fixed, seed, 1, n, RandomMeshCase);
}
