// Damaged shader files: cut anywhere, words set to tokens that mean something (end, comment,
// version, constant table offsets), bits flipped, and other kinds of file in their place.
#include "cases.h"

namespace {
const struct {
    Loader loader;
    const char* file;
} Shaders[] = {{Loader::VertexShader, "data/standard_vertex.shader"},
               {Loader::FragmentShader, "data/standard_fragment.shader"}};

// Version, end and comment tokens, "CTAB", the table header's size, instructions claiming
// many operands, and values on both sides of the edges of the file and of the table.
std::vector<uint32_t> AwkwardWords(uint64_t fileSize) {
    const uint32_t size = static_cast<uint32_t>(fileSize);
    return {0,          1,          0xFFFFFFFF, 0x0000FFFF, 0x0000FFFE, 0x0001FFFE, 0x7FFFFFFE,
            0xFFFEFFFE, 0x42415443, 28,         0x7FFFFFFF, 0x80000000, 0x0F000001, 0x05000051,
            0xFFFE0200, 0xFFFF0200, 0xFFFE0300, 0xFFFF0300, 0xFFFF0104, size,       size - 4,
            size + 4,   size / 4};
}

std::vector<Recipe> FixedShaderCases() {
    std::vector<Recipe> fixed;
    for (const auto& shader : Shaders) fixed.push_back(Make(shader.loader, shader.file));
    for (const auto& shader : Shaders) {
        for (uint64_t length = 0; length <= 12; ++length) {
            fixed.push_back(Make(shader.loader, shader.file, {{Operation::Truncate, length}}));
        }
    }
    for (const auto& shader : Shaders) {
        for (uint32_t version : {0xFFFE0101u, 0xFFFE0200u, 0xFFFE0300u, 0xFFFF0101u, 0xFFFF0104u,
                                 0xFFFF0200u, 0xFFFF0300u, 0xFFFE0400u, 0xFFFF0000u, 0u}) {
            fixed.push_back(Make(shader.loader, shader.file, {{Operation::Set32, 0, version}}));
        }
        for (size_t i = 0; i < DataFileCount; ++i) {
            if (DataFiles[i] != std::string(shader.file)) {
                fixed.push_back(Make(shader.loader, DataFiles[i]));
            }
        }
    }
    for (const auto& shader : Shaders) {
        const uint64_t size = DataFile(shader.file).size();
        for (uint64_t length = 16; length < size; length += 4) {
            fixed.push_back(Make(shader.loader, shader.file, {{Operation::Truncate, length}}));
        }
    }
    // Every word of both files set to each awkward value.
    for (const auto& shader : Shaders) {
        const uint64_t size = DataFile(shader.file).size();
        for (uint64_t offset = 4; offset < size; offset += 4) {
            for (uint32_t value : AwkwardWords(size)) {
                fixed.push_back(Make(shader.loader, shader.file, {{Operation::Set32, offset, value}}));
            }
        }
    }
    for (const auto& shader : Shaders) {
        const uint64_t size = DataFile(shader.file).size();
        for (uint64_t length = 13; length < size; ++length) {
            if (length % 4 != 0) {
                fixed.push_back(Make(shader.loader, shader.file, {{Operation::Truncate, length}}));
            }
        }
    }
    return fixed;
}

Recipe RandomShaderCase(Random& random) {
    const auto& shader = Shaders[random.Below(2)];
    Recipe recipe = Make(shader.loader, random.OneIn(12) ? DataFiles[random.Below(DataFileCount)]
                                                         : shader.file);
    const int steps = 1 + static_cast<int>(random.Below(3));
    for (int step = 0; step < steps; ++step) {
        const uint64_t size = recipe.Bytes().size();
        const uint64_t word = 4 * random.Below(size / 4 + 1);
        switch (random.Below(9)) {
            case 0:
            case 1:
                recipe.operations.push_back({Operation::Flip, random.Below(size + 1), random.Below(8)});
                break;
            case 2:
            case 3:
                recipe.operations.push_back(
                    {Operation::Set32, word, AwkwardValue(random, AwkwardWords(size))});
                break;
            case 4:  // the constant table sits in the first comment block
                recipe.operations.push_back(
                    {Operation::Set32, 8 + 4 * random.Below(16),
                     AwkwardValue(random, {0, 4, 28, 0xFFFF, 0xFFFFFFFF, static_cast<uint32_t>(size)})});
                break;
            case 5:
                recipe.operations.push_back({Operation::Truncate, random.Below(size + 1)});
                break;
            case 6:
                recipe.operations.push_back({Operation::Delete, word, 4 * (1 + random.Below(4))});
                break;
            case 7: {
                Operation insert{random.OneIn(3) ? Operation::Append : Operation::Insert, word};
                insert.bytes = RandomString(random, 4 * (1 + random.Below(4)));
                recipe.operations.push_back(insert);
                break;
            }
            default:
                if (random.OneIn(3)) {
                    // Random words behind a real version token.
                    recipe.operations.push_back({Operation::Random, 4 * random.Below(128), random.Next()});
                    recipe.operations.push_back(
                        {Operation::Set32, 0, shader.loader == Loader::VertexShader ? 0xFFFE0200u : 0xFFFF0200u});
                } else {
                    recipe.operations.push_back(
                        {Operation::Repeat, word, 4 * (1 + random.Below(6)), 1 + random.Below(3)});
                }
                break;
        }
    }
    return recipe;
}
}  // namespace

Recipe ShaderCase(uint64_t seed, uint64_t n) {
    static const std::vector<Recipe> fixed = FixedShaderCases();
    return PickCase(fixed, seed, 3, n, RandomShaderCase);
}
