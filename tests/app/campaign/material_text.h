// Material files written from parts, so that any key can be given any Lua value.
#pragma once

#include <optional>
#include <string>
#include <vector>

// Every part is Lua source. An empty key value leaves the key out of the file; a container
// given whole (`shaders`, `constants`, `colorModifier`, `returned`) replaces the table that
// its inner parts would have built.
struct MaterialParts {
    std::string prelude;  // statements before the return
    std::string texture = "'data/checker.dds'";
    std::optional<std::string> shaders;
    std::string vertexShader = "'data/standard_vertex.shader'";
    std::string fragmentShader = "'data/standard_fragment.shader'";
    std::optional<std::string> constants;
    std::optional<std::string> colorModifier;
    std::string elements[3] = {"1.0", "0.75", "0.5"};
    std::optional<std::string> returned;  // the whole expression after `return`
    bool returns = true;                  // false: the file has no return statement

    std::string Text() const;
};

// The places of a material file that a value can be put in, by name:
// "texture", "shaders", "shaders.vertexShader", ..., "g_colorModifier[3]", "return".
const std::vector<std::string>& MaterialSlots();
void SetSlot(MaterialParts& parts, const std::string& slot, const std::string& value);

// Lua expressions of every type a material file can make without libraries (nil, boolean,
// number, string, table, function), with the awkward ones of each: NaN, huge numbers,
// numeric strings, paths of every data file, long strings, nested and self-referring tables.
// Some name locals that `ValuePrelude(value)` makes before the return.
const std::vector<std::string>& LuaValues();
std::string ValuePrelude(const std::string& value);

// Statements that fail at run time, each in a different way.
const std::vector<std::string>& RunTimeErrors();
// `depth` nested table constructors around `inner`.
std::string Nested(int depth, const std::string& inner);
