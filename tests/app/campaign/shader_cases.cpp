// Damaged shader files: cut anywhere, words set to tokens that mean something (end, comment,
// version, constant table offsets), bits flipped, and other kinds of file in their place.
// And well-formed shaders with hostile content: literals of every bit pattern, operand words
// with every modifier, and constant tables of shared, deep and cyclic types, long names and
// huge counts.
#include <algorithm>

#include "cases.h"
#include "formats/constant_table_writer.h"
#include "support/shader_corpus.h"

namespace {
const struct {
    Loader loader;
    const char* file;
} Shaders[] = {{Loader::VertexShader, "data/standard_vertex.shader"},
               {Loader::FragmentShader, "data/standard_fragment.shader"},
               {Loader::FragmentShader, "data/cube_fragment.shader"}};
const size_t ShaderCount = sizeof Shaders / sizeof Shaders[0];

// Version, end and comment tokens, "CTAB", the table header's size, instructions claiming
// many operands, and values on both sides of the edges of the file and of the table.
std::vector<uint32_t> AwkwardWords(uint64_t fileSize) {
    const uint32_t size = static_cast<uint32_t>(fileSize);
    return {0,          1,          0xFFFFFFFF, 0x0000FFFF, 0x0000FFFE, 0x0001FFFE, 0x7FFFFFFE,
            0xFFFEFFFE, 0x42415443, 28,         0x7FFFFFFF, 0x80000000, 0x0F000001, 0x05000051,
            0xFFFE0200, 0xFFFF0200, 0xFFFE0300, 0xFFFF0300, 0xFFFF0104, size,       size - 4,
            size + 4,   size / 4};
}

// Words that read as tokens to a reader that walks every word: comment tokens of every
// size, the end token, "CTAB", versions; and floats at the edges.
const uint32_t HostileLiterals[] = {0x0000FFFE, 0x0001FFFE, 0x7FFFFFFE, 0x3F80FFFE, 0xBF80FFFE,
                                    0x0000FFFF, 0x42415443, 0xFFFE0200, 0xFFFF0300, 0x0000FFFD,
                                    0xFFFFFFFF, 0x80000000, 0x7F800000, 0x7FC00000, 0x00000001};

// def c31 (c255 in a vertex shader), defi i15 or defb b15 with the four (or one) literals.
std::vector<uint32_t> Definition(int form, bool vertex, const uint32_t literals[4]) {
    switch (form) {
        case 0:
            return {0x05000051, vertex ? 0xA00F00FFu : 0xA00F001Fu, literals[0], literals[1],
                    literals[2], literals[3]};
        case 1:
            return {0x05000030, 0xF00F000F, literals[0], literals[1], literals[2], literals[3]};
        default:
            return {0x0200002F, 0xE00F080F, literals[0]};
    }
}

// A definition put right after the version token (before the constant table) or right
// after the table: either way before the first instruction, where compilers put them.
Recipe WithDefinition(Loader loader, const char* file, int form, const uint32_t literals[4],
                      bool beforeTable) {
    const bool vertex = loader == Loader::VertexShader;
    Recipe recipe = Make(loader, file,
                         {{Operation::Insert, beforeTable ? 4 : 4 + FirstBlockBytes(DataFile(file)),
                           TokenBytes(Definition(form, vertex, literals))}});
    recipe.note = WellFormed;
    return recipe;
}

// Offsets of the operand words of the file's instructions (after its table).
std::vector<uint64_t> OperandOffsets(const std::string& file) {
    std::vector<uint64_t> offsets;
    for (size_t i = 1 + FirstBlockBytes(file) / 4; i < file.size() / 4;) {
        const uint32_t token = TokenAt(file, i);
        if (token == 0x0000FFFF) break;
        const size_t length = (token >> 24) & 0xF;
        for (size_t n = 1; n <= length; ++n) offsets.push_back(4 * (i + n));
        i += 1 + length;
    }
    return offsets;
}

// A constant table of one hostile shape, with the names the program looks up among its
// constants.
std::string HostileTable(Random& random, bool vertex) {
    const uint16_t huge[] = {0, 1, 2, 4, 16, 255, 256, 4096, 0x7FFF, 0xFFFF};
    const auto pick = [&random, &huge] { return huge[random.Below(sizeof huge / sizeof huge[0])]; };
    // Now and then many constants, to share one long name.
    const size_t constants = 1 + random.Below(random.OneIn(4) ? 200 : 6);
    ConstantTableWriter t(constants);
    const char* const names[] = {"g_colorModifier", "g_color_sampler", "g_transform_worldToView",
                                 "g_transform_viewToScreen", "g_transform_modelToWorld"};
    std::vector<uint32_t> nameOffsets;
    for (const char* name : names) nameOffsets.push_back(t.String(name));
    nameOffsets.push_back(t.String(std::string(random.Below(3000), 'n')));
    const uint32_t leaf =
        t.Type(static_cast<uint16_t>(random.Below(7)),
               static_cast<uint16_t>(random.OneIn(3) ? pick() : 1 + random.Below(4)),
               static_cast<uint16_t>(random.OneIn(3) ? pick() : 1 + random.Below(4)),
               random.OneIn(2) ? pick() : 1);
    uint32_t type = leaf;
    switch (random.Below(6)) {
        case 0: {  // contains itself, directly or through another record
            const uint32_t outer = t.Type(5, 1, 4, random.OneIn(2) ? pick() : 1, 1, 0);
            const uint32_t inner = random.OneIn(2)
                                       ? outer
                                       : t.Type(5, 1, 4, 1, 1, t.Members(1, nameOffsets[5], outer));
            t.SetWord(outer + 12, t.Members(1, nameOffsets[0], inner));
            type = outer;
            break;
        }
        case 1: {  // levels of members that share one record
            const int levels = 1 + static_cast<int>(random.Below(40));
            const uint16_t width = static_cast<uint16_t>(1 + random.Below(4));
            for (int level = 0; level < levels; ++level) {
                type = t.Type(5, 1, 4, random.OneIn(4) ? pick() : 1, width,
                              t.Members(width, nameOffsets[random.Below(6)], type));
            }
            break;
        }
        case 2: {  // an array of structures of many members
            const uint16_t members = static_cast<uint16_t>(1 + random.Below(400));
            type = t.Type(5, 1, 4, pick(), members,
                          t.Members(members, nameOffsets[random.Below(6)], leaf));
            break;
        }
        case 3:  // members that lie past the block
            type = t.Type(5, 1, 4, 1, pick(), t.Words(2 * random.Below(8), 0));
            break;
        default:
            break;
    }
    for (size_t i = 0; i < constants; ++i) {
        const size_t name =
            random.OneIn(4) ? random.Below(6) : (vertex ? 2 + random.Below(3) : random.Below(2));
        const uint16_t set = static_cast<uint16_t>(random.OneIn(5) ? random.Below(6)
                                                   : name == 1     ? 3
                                                                   : 2);
        const uint16_t count =
            random.OneIn(3) ? pick() : static_cast<uint16_t>(1 + random.Below(4));
        const uint32_t defaultValue =
            random.OneIn(3) ? t.Words(4 * random.Below(20), 0x3F800000) : 0;
        t.Constant(i, nameOffsets[name], set,
                   random.OneIn(3) ? pick() : static_cast<uint16_t>(random.Below(16)), count,
                   random.OneIn(2) ? type : leaf, defaultValue);
    }
    if (random.OneIn(8))
        t.SetWord(12, random.OneIn(2) ? 0xFFFFFFFFu : static_cast<uint32_t>(t.Size() / 20 + 1));
    return TokenBytes(t.Block());
}

// The file's own table swapped for a hostile one.
Recipe WithTable(Loader loader, const char* file, const std::string& block) {
    return Make(loader, file,
                {{Operation::Delete, 4, FirstBlockBytes(DataFile(file))}, {Operation::Insert, 4, block}});
}

std::vector<Recipe> FixedShaderCases() {
    std::vector<Recipe> fixed;
    // Every hostile literal in every definition, before and after the table.
    for (const auto& shader : Shaders) {
        for (uint32_t literal : HostileLiterals) {
            const uint32_t literals[4] = {literal, 0x42415443, literal, literal};
            for (int form = 0; form < 3; ++form) {
                for (bool beforeTable : {true, false}) {
                    fixed.push_back(
                        WithDefinition(shader.loader, shader.file, form, literals, beforeTable));
                }
            }
        }
    }
    // A few hostile tables of each kind, from a generator of their own.
    Random tables(0x7AB1E5);
    for (int i = 0; i < 64; ++i) {
        const auto& shader = Shaders[i % ShaderCount];
        fixed.push_back(WithTable(shader.loader, shader.file,
                                  HostileTable(tables, shader.loader == Loader::VertexShader)));
    }
    for (const auto& shader : Shaders) {
        fixed.push_back(Make(shader.loader, shader.file));
        // Direct3D stops at the end token: stray bytes after the last whole word are ignored.
        for (const std::string& tail :
             {std::string("\x01"), std::string("\xff\xff"), std::string("\xff\xff\0", 3)}) {
            Recipe recipe = Make(shader.loader, shader.file, {{Operation::Append, 0, tail}});
            recipe.note = WellFormed;
            fixed.push_back(recipe);
        }
    }
    for (const auto& shader : Shaders) AddCuts(fixed, shader.loader, shader.file, 0, 13);
    for (const auto& shader : Shaders) {
        AddSets(fixed, shader.loader, shader.file, 0,
                {0xFFFE0101u, 0xFFFE0200u, 0xFFFE0300u, 0xFFFF0101u, 0xFFFF0104u, 0xFFFF0200u,
                 0xFFFF0300u, 0xFFFE0400u, 0xFFFF0000u, 0u});
        AddOtherFiles(fixed, shader.loader, {shader.file});
    }
    for (const auto& shader : Shaders) {
        AddCuts(fixed, shader.loader, shader.file, 16, DataFile(shader.file).size(), 4);
    }
    // Every word of both files set to each awkward value.
    for (const auto& shader : Shaders) {
        const uint64_t size = DataFile(shader.file).size();
        for (uint64_t offset = 4; offset < size; offset += 4) {
            AddSets(fixed, shader.loader, shader.file, offset, AwkwardWords(size));
        }
    }
    // Every cut inside a word, past the first three words (cut above).
    for (const auto& shader : Shaders) {
        const uint64_t size = DataFile(shader.file).size();
        for (uint64_t word = 12; word < size; word += 4) {
            AddCuts(fixed, shader.loader, shader.file, word + 1, std::min(word + 4, size));
        }
    }
    return fixed;
}

// A well-formed shader with hostile literals or modifiers, or a hostile constant table.
Recipe RandomHostileCase(Random& random) {
    const auto& shader = Shaders[random.Below(ShaderCount)];
    const bool vertex = shader.loader == Loader::VertexShader;
    switch (random.Below(3)) {
        case 0: {
            uint32_t literals[4];
            for (uint32_t& literal : literals) {
                literal = random.OneIn(2)
                              ? HostileLiterals[random.Below(sizeof HostileLiterals / 4)]
                              : static_cast<uint32_t>(random.Next());
            }
            return WithDefinition(shader.loader, shader.file, static_cast<int>(random.Below(3)),
                                  literals, random.OneIn(2));
        }
        case 1: {
            // Modifier, swizzle, mask and shift bits of an operand of every pattern; its
            // register stays the same.
            const std::vector<uint64_t> operands = OperandOffsets(DataFile(shader.file));
            const uint64_t at = operands[random.Below(operands.size())];
            const uint32_t word = TokenAt(DataFile(shader.file), at / 4);
            const uint32_t bits = static_cast<uint32_t>(random.Next()) & 0x0FFF0000u;
            return Make(shader.loader, shader.file,
                        {{Operation::Set32, at, (word & 0xF000FFFFu) | bits}});
        }
        default:
            return WithTable(shader.loader, shader.file, HostileTable(random, vertex));
    }
}

Recipe RandomShaderCase(Random& random) {
    if (random.OneIn(3)) return RandomHostileCase(random);
    const auto& shader = Shaders[random.Below(ShaderCount)];
    const auto damage = [&random, &shader](Recipe& recipe) -> Operation {
        const uint64_t size = recipe.Bytes().size();
        const uint64_t word = 4 * random.Below(size / 4 + 1);
        switch (random.Below(9)) {
            case 0:
            case 1:
                return {Operation::Flip, random.Below(size + 1), random.Below(8)};
            case 2:
            case 3:
                return {Operation::Set32, word, AwkwardValue(random, AwkwardWords(size))};
            case 4:  // the constant table sits in the first comment block
                return {Operation::Set32, 8 + 4 * random.Below(16),
                        AwkwardValue(random, {0, 4, 28, 0xFFFF, 0xFFFFFFFF,
                                              static_cast<uint32_t>(size)})};
            case 5:
                return {Operation::Truncate, random.Below(size + 1)};
            case 6:
                return {Operation::Delete, word, 4 * (1 + random.Below(4))};
            case 7:
                return {random.OneIn(3) ? Operation::Append : Operation::Insert, word,
                        random.Bytes(4 * (1 + random.Below(4)))};
            default:
                if (random.OneIn(3)) {
                    // Random words behind a real version token, which is set after them.
                    recipe.operations.push_back(
                        {Operation::Random, 4 * random.Below(128), random.Next()});
                    return {Operation::Set32, 0,
                            shader.loader == Loader::VertexShader ? 0xFFFE0200u : 0xFFFF0200u};
                }
                return {Operation::Repeat, word, 4 * (1 + random.Below(6)), 1 + random.Below(3)};
        }
    };
    return Damaged(Make(shader.loader, random.OneIn(12) ? DataFiles[random.Below(DataFileCount)]
                                                        : shader.file),
                   random, damage);
}
}  // namespace

Recipe ShaderCase(uint64_t seed, uint64_t n) {
    static const std::vector<Recipe> fixed = FixedShaderCases();
    return PickCase(fixed, seed, 3, n, RandomShaderCase);
}
