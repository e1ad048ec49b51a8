# What "shader_tool info" says about the build's shaders, a shader of its own and damaged
# copies, for check_info.cmake. The refusals come from the program's own token check.
set(vertex ${DATA}/standard_vertex.shader)
set(fragment ${DATA}/standard_fragment.shader)

expect_info(${vertex} 0 "" "a vertex shader, model vs_2_0"
  "g_transform_modelToWorld +float4 +c0 +4 +float4x4\n"
  "g_transform_viewToScreen +float4 +c8 +4 +float4x4\n"
  "g_transform_worldToView +present" "g_transform_viewToScreen +present"
  "g_transform_modelToWorld +present" "g_colorModifier +absent +\\(looked up in fragment"
  "the program's check of the token stream passes")
expect_info(${fragment} 0 "" "a fragment \\(pixel\\) shader, model ps_2_0"
  "g_colorModifier +float4 +c0 +1 +float3\n" "g_color_sampler +sampler +s0 +1 +sampler2D\n"
  "g_colorModifier +present" "g_color_sampler +present" "g_transform_worldToView +absent")

# Four instructions, two of them declarations; one of the fragment shader's two names.
file(WRITE ${WORK}/tint.psh [[
// @constant g_colorModifier float3 c2
// @constant g_extra float4x4 c4
ps_2_0
dcl v0
def c1, 1, 0, 0, 1
mul r0, v0, c2
mov oC0, r0
]])
execute_process(COMMAND ${TOOL} ${WORK}/tint.psh ${WORK}/tint.shader COMMAND_ERROR_IS_FATAL ANY)
expect_info(${WORK}/tint.shader 0 "" "4 instructions \\(2 of them dcl or def\\)\n"
  "2 constants" "g_extra +float4 +c4 +4 +float4x4\n" "g_colorModifier +present"
  "g_color_sampler +absent +the texture's sampler: the texture stays on stage 0")

# Shader model 1 counts no operands in its instruction tokens: def c0, 1, 0, 0, 1 and
# mov r0, c0, with no constant table.
write_hex(${WORK}/ps_1_1.shader "0101FFFF 51000000 00000FA0 0000803F 00000000 00000000 0000803F
                                 01000000 00000F80 0000E4A0 FFFF0000")
expect_info(${WORK}/ps_1_1.shader 0 "" "model ps_1_1\n"
  "2 instructions \\(1 of them dcl or def\\)\n" "no constant table" "g_colorModifier +absent")

# Cut in the middle of its constant table, and a file that is no shader at all.
damaged_copy(${fragment} ${WORK}/half.shader CUT 48)
expect_info(${WORK}/half.shader 1
  "^shader_tool: The shader file .*/half.shader is not a usable compiled shader: [a-z]"
  "a fragment \\(pixel\\) shader" "the file ends before its end token")
file(WRITE ${WORK}/text.shader "return {}\n")
expect_info(${WORK}/text.shader 1 "text.shader is not a usable compiled shader: " "not a shader")

# Stray bytes after the end token are ignored, as Direct3D ignores them; part of the end
# token is not the end token.
damaged_copy(${fragment} ${WORK}/tail.shader APPEND "FFFF00")
expect_info(${WORK}/tail.shader 0 "" "the program's check of the token stream passes")
file(SIZE ${fragment} whole)
math(EXPR cut "${whole} - 2")
damaged_copy(${fragment} ${WORK}/short_end.shader CUT ${cut})
expect_info(${WORK}/short_end.shader 1 "is not a usable compiled shader: the file ends before its end token")
