// Not used by the program: the shader tool's vertex features, for the comparison with
// D3DXAssembleShader and the constant-table checks.
// @constant g_vector float4 c20 default 1 2 3 4
// @constant g_matrix float3x4 c30 default 1 2 3 4 5 6 7 8 9 10 11 12
// @constant g_scalar float c40

vs_2_0
def c3, 1, -0.5, 2.25, 0
dcl_position0 v0
dcl_normal v3
dcl_texcoord1 v4
dcl_color1 v5
dcl_blendweight v6
add r0, v0, -c3.x
add r1.xz, r0.yzwx, c3.zw
mad r2.yw, -r1.xyz, c3.w, v3.wzyx
mul r3, r2.rgba, -v4.b
dp3 r4.x, r3, v5
dp4 r4.w, r3.xyzz, -c20 ; a comment of the other kind
mov_sat r5, v6.yx
m4x4 r6, r5, c30
mov oPos, r6
mov oD0, r0
mov oD1.w, r1
mov oT7.zw, r2.ww
def c4, 0.125, 1000.5, -0, 3
mov oT0, c255
