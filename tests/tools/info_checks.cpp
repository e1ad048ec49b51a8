// "mesh_tool info" and "shader_tool info" on the build's own data files, on files of their
// own and on damaged copies: the exit status, standard error and the report.
#include "host_check.h"

#include <gtest/gtest.h>

namespace {
// A copy of `source` cut to `cut` bytes (when given), with `put` written over at offsets and
// `append` added; gives the copy's path.
using Patches = std::vector<std::pair<size_t, std::string>>;
std::string DamagedCopy(const std::string& source, const std::string& copy, size_t cut,
                        const Patches& put = {}, const std::string& append = "") {
    std::vector<uint8_t> bytes = ReadBytes(source);
    if (cut) bytes.resize(cut);
    for (const auto& [offset, hex] : put) {
        std::vector<uint8_t> patch = FromHex(hex);
        std::copy(patch.begin(), patch.end(), bytes.begin() + static_cast<std::ptrdiff_t>(offset));
    }
    std::vector<uint8_t> tail = FromHex(append);
    bytes.insert(bytes.end(), tail.begin(), tail.end());
    WriteBytes(copy, bytes);
    return copy;
}

// The exit status, standard error ("" for none, else a pattern) and a report that matches
// every pattern.
void ExpectInfo(const char* tool, const std::string& file, int status, const std::string& errors,
                const std::vector<std::string>& report) {
    SCOPED_TRACE(file);
    ToolRun run = RunTool({Tool(tool), "info", file});
    EXPECT_EQ(run.status, status);
    EXPECT_TRUE(errors.empty() ? run.errors.empty() : Matches(run.errors, errors))
        << "standard error does not match \"" << errors << "\": " << run.errors;
    for (const std::string& pattern : report)
        EXPECT_TRUE(Matches(run.out, pattern)) << "no \"" << pattern << "\" in the report:\n" << run.out;
}
}  // namespace

// The refusals are the loader's own words, from the code that the two share.
TEST(mesh_tool, info) {
    const std::string data = Setting("MIRELTH_BUILD_DIR") + "/data/";
    const std::string cube = data + "cube.mesh.bin", plane = data + "plane.mesh.bin";
    const std::string work = Scratch("mesh_info") + "/";
    // The camera at (0, 0, -10) sees the cube's front face only, and the whole floor. The cube
    // is closed although its faces have corners of their own; the floor is open.
    ExpectInfo("mesh_tool", cube, 0, "", {"24 vertices, 36 indices, 12 triangles",
        "the counts need 728 bytes\n", "bounds: x -1 to 1, y -1 to 1, z -1 to 1",
        "camera at \\(0, 0, -10\\): 2 triangles face it \\(clockwise, drawn\\), 10 face away",
        "joined by shared corners: 1, closed: 1, closed and inside out [^:]*: 0\n",
        "every index is below the vertex count", "no indices left over", "the program loads this file"});
    ExpectInfo("mesh_tool", plane, 0, "", {"4 vertices, 6 indices",
        ": 2 triangles face it.*, 0 face away", "joined by shared corners: 1, closed: 0,"});

    ExpectInfo("mesh_tool", DamagedCopy(cube, work + "short.mesh.bin", 100), 1,
        "^mesh_tool: The mesh file .*/short.mesh.bin is damaged: it holds 100 bytes but its counts need 728$",
        {"24 vertices, 36 indices"});
    ExpectInfo("mesh_tool", DamagedCopy(cube, work + "header.mesh.bin", 5), 1,
               "it holds 5 bytes, fewer than its 8-byte header$", {});

    // Index 4 names vertex 99 (its bytes at 8 + 24 * 24 + 4 * 4 = 600), and so does index 35;
    // the loader stops at the first. Index 35's triangle, the last, is then missing too.
    const Patches kBadIndices{{600, "63000000"}, {724, "63000000"}};
    ExpectInfo("mesh_tool", DamagedCopy(cube, work + "index.mesh.bin", 0, kBadIndices), 1,
        "^mesh_tool: The mesh file .*/index.mesh.bin is damaged: "
        "index 4 names vertex 99 but the file has 24 vertices$",
        {"index 4 names vertex 99, not below the vertex count 24\n",
         "index 35 names vertex 99, not below the vertex count 24\n", "2 name a missing vertex"});

    // Two indices more than whole triangles take, one of them bad, and three bytes after
    // them: the loader reads neither, so the file loads.
    const std::string leftover = DamagedCopy(cube, work + "leftover.mesh.bin", 0, {{4, "26000000"}},
                                             "05000000 F4010000 AABBCC");
    ExpectInfo("mesh_tool", leftover, 0, "", {"24 vertices, 38 indices, 12 triangles",
        "the counts need 736 bytes; the 3 after them are never read",
        "index 37 names vertex 500, not below the vertex count 24 \\(left over, never read\\)",
        "2 indices left over after the last whole triangle", "the program loads this file"});
    ExpectInfo("mesh_tool", work + "missing.mesh.bin", 1,
               "^mesh_tool: cannot open the mesh file .*/missing.mesh.bin$", {});

    // Of two closed tetrahedra, the one wound the wrong way round is inside out.
    std::string tetrahedra;
    for (const char* corner : {"0 0 0", "1 0 0", "0 1 0", "0 0 1", "5 0 0", "6 0 0", "5 1 0", "5 0 1"})
        tetrahedra += std::string("vertex ") + corner + " #FFFFFFFF 0 0\n";
    for (const char* triangle : {"0 1 2", "0 3 1", "0 2 3", "1 3 2", "4 6 5", "4 5 7", "4 7 6", "5 6 7"})
        tetrahedra += std::string("triangle ") + triangle + "\n";
    WriteText(work + "inside_out.mesh.txt", tetrahedra);
    const std::string insideOut = work + "inside_out.mesh.bin";
    ExpectInfo("mesh_tool", Convert("mesh_tool", {work + "inside_out.mesh.txt"}, insideOut), 0, "",
               {"joined by shared corners: 2, closed: 2, closed and inside out [^:]*: 1\n"});
}

// The refusals come from the program's own token check.
TEST(shader_tool, info) {
    const std::string data = Setting("MIRELTH_BUILD_DIR") + "/data/";
    const std::string vertex = data + "standard_vertex.shader", fragment = data + "standard_fragment.shader";
    const std::string work = Scratch("shader_info") + "/";
    ExpectInfo("shader_tool", vertex, 0, "", {"a vertex shader, model vs_2_0",
        "g_transform_modelToWorld +float4 +c0 +4 +float4x4\n",
        "g_transform_viewToScreen +float4 +c8 +4 +float4x4\n", "g_transform_worldToView +present",
        "g_transform_viewToScreen +present", "g_transform_modelToWorld +present",
        "g_colorModifier +absent +\\(looked up in fragment",
        "the program's check of the token stream passes"});
    ExpectInfo("shader_tool", fragment, 0, "", {"a fragment \\(pixel\\) shader, model ps_2_0",
        "g_colorModifier +float4 +c0 +1 +float3\n", "g_color_sampler +sampler +s0 +1 +sampler2D\n",
        "g_colorModifier +present", "g_color_sampler +present", "g_transform_worldToView +absent"});

    // Four instructions, two of them declarations; one of the fragment shader's two names.
    WriteText(work + "tint.psh", "// @constant g_colorModifier float3 c2\n// @constant g_extra float4x4 c4\n"
              "ps_2_0\ndcl v0\ndef c1, 1, 0, 0, 1\nmul r0, v0, c2\nmov oC0, r0\n");
    const std::string tint = Convert("shader_tool", {work + "tint.psh"}, work + "tint.shader");
    ExpectInfo("shader_tool", tint, 0, "", {"4 instructions \\(2 of them dcl or def\\)\n",
        "2 constants", "g_extra +float4 +c4 +4 +float4x4\n", "g_colorModifier +present",
        "g_color_sampler +absent +the texture's sampler: the texture stays on stage 0"});

    // Shader model 1 counts no operands in its instruction tokens: def c0, 1, 0, 0, 1 and
    // mov r0, c0, with no constant table.
    WriteBytes(work + "ps_1_1.shader",
               FromHex("0101FFFF 51000000 00000FA0 0000803F 00000000 00000000 0000803F"
                       "01000000 00000F80 0000E4A0 FFFF0000"));
    ExpectInfo("shader_tool", work + "ps_1_1.shader", 0, "", {"model ps_1_1\n",
        "2 instructions \\(1 of them dcl or def\\)\n", "no constant table", "g_colorModifier +absent"});

    // Cut in the middle of its constant table, and a file that is no shader at all.
    ExpectInfo("shader_tool", DamagedCopy(fragment, work + "half.shader", 48), 1,
        "^shader_tool: The shader file .*/half.shader is not a usable compiled shader: [a-z]",
        {"a fragment \\(pixel\\) shader", "the file ends before its end token"});
    WriteText(work + "text.shader", "return {}\n");
    ExpectInfo("shader_tool", work + "text.shader", 1, "text.shader is not a usable compiled shader: ",
               {"not a shader"});

    // Stray bytes after the end token are ignored, as Direct3D ignores them; part of the end
    // token is not the end token.
    ExpectInfo("shader_tool", DamagedCopy(fragment, work + "tail.shader", 0, {}, "FFFF00"), 0, "",
               {"the program's check of the token stream passes"});
    const size_t endCut = ReadBytes(fragment).size() - 2;
    ExpectInfo("shader_tool", DamagedCopy(fragment, work + "short_end.shader", endCut), 1,
               "is not a usable compiled shader: the file ends before its end token", {});
}

// Each broken source makes the tool fail with "<file>:<line>: <what>" and write nothing.
TEST(shader_tool, refuses_broken_sources) {
    ExpectRefusals("shader_tool", Scratch("broken_sources"), ".vsh", {
        {"empty", "", 1, "no vs_2_0 or ps_2_0"},
        {"no_version", "\nmov r0, v0\n", 2, "expected vs_2_0 or ps_2_0"},
        {"later_model", "vs_3_0\n", 1, "vs_3_0"},
        {"unknown_instruction", "vs_2_0\ndcl_position v0\nmov r0, v0\nfrobnicate r0, r1\n", 4, "unknown instruction"},
        {"operand_count", "vs_2_0\nmad r0, v0, v1\n", 2, "mad takes 4 operands"},
        {"trailing_comma", "vs_2_0\nmov r0, v0,\n", 2, "empty operand"},
        {"register_range", "vs_2_0\nmov r0, v16\n", 2, "v16 is out of range"},
        {"pixel_constant_range", "ps_2_0\nmov r0, c32\n", 2, "c32 is out of range"},
        {"write_mask_order", "vs_2_0\nmov r0.yx, v0\n", 2, "write mask"},
        {"bad_swizzle", "vs_2_0\nmov r0, v0.xq\n", 2, "swizzle"},
        {"negated_destination", "vs_2_0\nmov -r0, v0\n", 2, "negated"},
        {"written_input", "ps_2_0\nmov v0, r0\n", 2, "cannot be written"},
        {"read_output", "ps_2_0\nmov r0, oC0\n", 2, "cannot be read"},
        {"texld_in_vertex", "vs_2_0\ntexld r0, v0, s0\n", 2, "only in pixel shaders"},
        {"sampler_slot", "ps_2_0\ntexld r0, t0, c0\n", 2, "cannot be read"},
        {"usage_missing", "vs_2_0\ndcl v0\n", 2, "needs a usage"},
        {"def_not_number", "vs_2_0\ndef c0, 1, 2, three, 4\n", 2, "is not a number"},
        {"m4x4_overlap", "vs_2_0\nm4x4 r0, r0, c0\n", 2, "m4x4 cannot write"},
        {"unknown_directive", "// @constnat g_a float4 c0\nvs_2_0\n", 1, "unknown directive"},
        {"unknown_type", "// @constant g_a float5 c0\nvs_2_0\n", 1, "unknown type float5"},
        {"default_count", "// @constant g_a float3 c0 default 1 1\nps_2_0\n", 1, "needs 3 default values"},
        {"duplicate_name", "// @constant g_a float4 c0\n// @constant g_a float4 c1\nvs_2_0\n", 2, "declared twice"},
        {"shared_registers", "// @constant g_a float4 c5\n// @constant g_b float4x4 c2\nvs_2_0\n", 1, "shares registers"},
        {"sampler_in_c", "// @constant g_s sampler2D c0\nps_2_0\n", 1, "must be in register s#"},
        {"sampler_in_vertex", "// @constant g_s sampler2D s0\nvs_2_0\n", 1, "no s registers"},
        {"matrix_past_end", "// @constant g_m float4x4 c253\nvs_2_0\n", 1, "does not fit"},
        {"def_over_constant", "// @constant g_a float4x4 c0\nvs_2_0\ndef c2, 1, 1, 1, 1\n", 3, "holds the constant g_a"},
    }, false, true);
}
