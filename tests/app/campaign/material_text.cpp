#include "material_text.h"

std::string MaterialParts::Text() const {
    std::string text = prelude.empty() ? std::string() : prelude + "\n";
    if (!returns) return text + "local unused = {}\n";
    if (returned) return text + "return " + *returned + "\n";
    const auto field = [](const std::string& key, const std::string& value) {
        return value.empty() ? std::string() : key + " = " + value + ", ";
    };
    const std::string shaderTable =
        shaders ? *shaders
                : "{ " + field("vertexShader", vertexShader) +
                      field("fragmentShader", fragmentShader) + "}";
    const std::string modifier =
        colorModifier ? *colorModifier
                      : "{ " + elements[0] + ", " + elements[1] + ", " + elements[2] + " }";
    const std::string constantTable =
        constants ? *constants : "{ " + field("g_colorModifier", modifier) + "}";
    text += "return {\n";
    if (!texture.empty()) text += "  texture = " + texture + ",\n";
    if (!shaderTable.empty()) text += "  shaders = " + shaderTable + ",\n";
    if (!constantTable.empty()) text += "  constants = " + constantTable + ",\n";
    return text + "}\n";
}

const std::vector<std::string>& MaterialSlots() {
    static const std::vector<std::string> slots = {
        "texture",   "shaders",         "shaders.vertexShader", "shaders.fragmentShader",
        "constants", "g_colorModifier", "g_colorModifier[1]",   "g_colorModifier[2]",
        "g_colorModifier[3]", "return"};
    return slots;
}

void SetSlot(MaterialParts& parts, const std::string& slot, const std::string& value) {
    // `nil` as a whole container still writes the key (`shaders = nil`), unlike leaving it out.
    if (slot == "texture") parts.texture = value;
    if (slot == "shaders") parts.shaders = value;
    if (slot == "shaders.vertexShader") parts.vertexShader = value;
    if (slot == "shaders.fragmentShader") parts.fragmentShader = value;
    if (slot == "constants") parts.constants = value;
    if (slot == "g_colorModifier") parts.colorModifier = value;
    for (int i = 0; i < 3; ++i) {
        if (slot == "g_colorModifier[" + std::to_string(i + 1) + "]") parts.elements[i] = value;
    }
    if (slot == "return") parts.returned = value;
}

const std::vector<std::string>& LuaValues() {
    static const std::vector<std::string> values = {
        "nil", "true", "false",
        "0", "1", "-1", "0.5", "5", "-0.0", "1e308", "-1e308", "1/0", "-1/0", "0/0", "2^53",
        "2^31", "-2^31", "1e-320", "0x7fffffff",
        "''", "'data/checker.dds'", "'data/standard_vertex.shader'",
        "'data/standard_fragment.shader'", "'data/cube.mesh.bin'", "'data/plane.mesh.bin'",
        "'data/material1.material'", "'data'", "'data/'", "'no such file'", "'NUL'", "'1'",
        "' 0.5 '", "'0x10'", "'1e400'", "'nan'", "'-inf'", "'1,2,3'", "'a<b>|c?*\"'",
        "'\\0'", "'data/checker.dds\\0junk'", "'\\255\\254\\128'", "'data/' .. path300",
        "long64k", "'data/' .. long64k", "long8m",
        "{}", "{ 1, 2, 3 }", "{ '1', '0.5', '0.25' }", "{ {} }", "{ 'data/checker.dds' }",
        "{ vertexShader = 'data/standard_vertex.shader' }", "{ g_colorModifier = { 1, 1, 1 } }",
        "{ [1] = 1, [3] = 3 }", "{ n = 0/0, [0/0 ~= 0/0] = true }", "selfTable",
        "{{{{{{{{{{{{{{{{{{{{{{{{{{{{{{{{}}}}}}}}}}}}}}}}}}}}}}}}}}}}}}}}",
        "function() end", "function() return 'data/checker.dds' end",
    };
    return values;
}

std::string ValuePrelude(const std::string& value) {
    const struct {
        const char* name;
        const char* statement;
    } locals[] = {
        {"long", "local long64k = 'a' for i = 1, 16 do long64k = long64k .. long64k end\n"},
        {"long8m", "local long8m = long64k for i = 1, 7 do long8m = long8m .. long8m end\n"},
        {"path300", "local path300 = '' for i = 1, 30 do path300 = path300 .. 'abcdefghi/' end\n"},
        {"selfTable", "local selfTable = {} selfTable[1] = selfTable "
                      "selfTable.vertexShader = selfTable selfTable.g_colorModifier = selfTable\n"},
    };
    std::string prelude;
    for (const auto& local : locals) {
        if (value.find(local.name) != std::string::npos) prelude += local.statement;
    }
    return prelude;
}

const std::vector<std::string>& RunTimeErrors() {
    static const std::vector<std::string> errors = {
        "local x = nil + 1",
        "undefined()",
        "local t = nil local y = t.x",
        "local y = {} < {}",
        "local y = 1 < 'a'",
        "local y = 'a' .. {}",
        "local y = #5",
        "local y = -{}",
        "print('hello')",
        "local t = {} t[nil] = 1",
        "local t = {} t[0/0] = 1",
        "local function f(n) if n == 0 then return nil + 1 end return f(n - 1) end f(150)",
        "local f = function() local t = setmetatable({}, {}) end f()",
        "local x = ('x'):rep(10)",
        "local s = 'x' local y = s.y.z",
    };
    return errors;
}

std::string Nested(int depth, const std::string& inner) {
    return std::string(static_cast<size_t>(depth), '{') + inner +
           std::string(static_cast<size_t>(depth), '}');
}
