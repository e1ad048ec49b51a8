// A mutation recipe: which loader gets the file, where its bytes start from, and the
// operations that damage them. Recipes are plain text, so that a case that ever failed can
// be kept in regressions/ and replayed without the generator that made it.
//
//   load mesh                 mesh | material | vertex-shader | fragment-shader | texture
//   from data/cube.mesh.bin   a file of the build tree, or "text" for the lines below
//   | return {                with "from text": one line of the file each (after "| ")
//   truncate 5                operations, applied in order (see Operation)
//   set32 4 0xffffffff
#pragma once

#include <cstdint>
#include <string>
#include <vector>

enum class Loader { Mesh, Material, VertexShader, FragmentShader, Texture };

// One damaging step. Offsets past the end are clamped (set8/set32/flip grow the file with
// zeros up to the offset), so every operation applies to every file.
struct Operation {
    enum Kind {
        Truncate,  // truncate SIZE: keep the first SIZE bytes
        Flip,      // flip OFFSET BIT
        Set8,      // set8 OFFSET VALUE
        Set32,     // set32 OFFSET VALUE (little-endian)
        Insert,    // insert OFFSET HEXBYTES
        Delete,    // delete OFFSET COUNT
        Append,    // append HEXBYTES
        Pad,       // pad SIZE BYTE: append BYTE until the file holds SIZE bytes
        Random,    // random SIZE SEED: replace everything by SIZE bytes from SEED
        Repeat,    // repeat OFFSET LENGTH TIMES: the range is written TIMES more times after itself
        Compile,   // compile STRIP: the bytes as Lua text, precompiled as luac writes them
                   // (STRIP 1: without debug information); unchanged if they do not compile
    };
    Operation(Kind k, uint64_t first = 0, uint64_t second = 0, uint64_t third = 0)
        : kind(k), a(first), b(second), c(third) {}
    Operation(Kind k, uint64_t first, std::string added)
        : kind(k), a(first), b(0), c(0), bytes(std::move(added)) {}

    Kind kind;
    uint64_t a, b, c;
    std::string bytes;  // Insert, Append
};

struct Recipe {
    Loader loader = Loader::Mesh;
    std::string from;  // a path relative to the build tree, or empty for `text`
    std::string text;  // the file's starting content when `from` is empty
    std::vector<Operation> operations;
    std::string note;  // "# ..." lines: where the recipe came from; not applied

    std::string ToText() const;
    // The damaged bytes: the source read whole, then every operation in order.
    std::string Bytes() const;
};

// False, with a reason, for text that is not a recipe.
bool ParseRecipe(const std::string& text, Recipe* recipe, std::string* whyNot);

// A whole decimal, hex (0x) or octal number; false for anything else.
bool ParseNumber(const std::string& text, uint64_t* value);

// SplitMix64: small, fast, and the same everywhere, so that `random SIZE SEED` and the
// generators give the same bytes on every machine.
class Random {
public:
    explicit Random(uint64_t seed) : state_(seed) {}
    uint64_t Next();
    // A number in [0, bound); 0 when bound is 0.
    uint64_t Below(uint64_t bound) { return bound == 0 ? 0 : Next() % bound; }
    bool OneIn(uint64_t n) { return Below(n) == 0; }
    // `length` bytes, each the top byte of one Next().
    std::string Bytes(size_t length);

private:
    uint64_t state_;
};
