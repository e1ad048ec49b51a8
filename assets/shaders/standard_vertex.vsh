// The standard vertex shader: places a vertex in the scene and on the screen,
// and passes its colour and texture coordinate on to the fragment shader.
//
// The matrices are column-major in the registers: ID3DXConstantTable::SetMatrix writes the
// transpose of a D3DXMATRIX, so register c0+i holds column i and m4x4 computes the
// row vector times the matrix, as D3DX does on the CPU.
// @constant g_transform_modelToWorld float4x4 c0
// @constant g_transform_worldToView float4x4 c4
// @constant g_transform_viewToScreen float4x4 c8

vs_2_0
dcl_position v0
dcl_color v1
dcl_texcoord v2

m4x4 r0, v0, c0     // model to world
m4x4 r1, r0, c4     // world to view
m4x4 oPos, r1, c8   // view to screen
mov oD0, v1
mov oT0.xy, v2
