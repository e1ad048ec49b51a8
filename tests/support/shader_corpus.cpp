#include "support/shader_corpus.h"

#include "formats/byte_reader.h"
#include "formats/shader_format.h"

#include <d3dx9.h>

#include <cstdint>
#include <cstring>

const CorpusShader ShaderCorpus[] = {
    {"vs_1_1", R"(vs_1_1
dcl_position v0
dcl_normal v1
dcl_color v2
dcl_texcoord0 v3
dcl_texcoord7 v15
def c95, 0.5, 1, 2, 4
mov a0.x, v1.x
add r0, v0, c3[a0.x]
sub r1, r0, -v1
mad r2, r1, c0, v2
mul r3, r2, c1.x
rcp r4.x, r3.w
rsq r4.y, r3.z
dp3 r5.x, r4, r3
dp4 r5.y, r4, r3
min r6, r5, r4
max r7, r6, r5
slt r8, r7, r6
sge r9, r8, r7
exp r10, r9.x
log r11, r10.y
expp r10, r9.x
logp r11, r10.y
lit r0, r11
dst r1, r0, r11
frc r2.xy, r1
m4x3 r3.xyz, v0, c4
m3x4 r4, v1, c8
m3x3 r5.xyz, v1, c12
m3x2 r6.xy, v1, c16
m4x4 oPos, v0, c0
mov oFog, r6.x
mov oPts, r5.x
mov oD0, v2
mov oD1, r3
mov oT0, v3
mov oT7, r2
nop
)"},
    {"vs_2_0", R"(vs_2_0
dcl_position v0
dcl_blendweight v1
dcl_texcoord0 v2
dcl_color v15
defb b15, true
defi i15, 4, 0, 1, 0
def c255, 0.5, 1, 2, 4
mova a0.x, v1.x
mov r0, c4[a0.x]
abs r1, r0
crs r2.xyz, r1, r0
nrm r3, r2
pow r4, r3.x, r3.y
sgn r5, r4, r6, r7
sincos r8.xy, r5.x, c250, c251
lrp r9, r8, r7, r6
rep i15
add r10, r10, c0
endrep
loop aL, i15
add r11, r11, c1[aL]
endloop
if b15
mul r11, r11, c2
else
mov r11, c3
endif
callnz l1, b15
call l0
m4x4 oPos, v0, c0
mov oD0, v15
mov oD1, r9
mov oT0, v2
mov oT7, r11
ret
label l0
mov r1, c4
ret
label l1
ret
)"},
    {"vs_2_x", R"(vs_2_x
dcl_position v0
defi i0, 3, 0, 1, 0
def c0, 0.5, 1, 2, 4
setp_gt p0, v0, c0
rep i0
break_lt r0.x, c1.x
breakp p0.x
add r0, r0, c2
break
endrep
if_ge v0.x, c2.x
(p0) add r1, r0, c3
endif
if p0.y
mov r1, c4
endif
callnz l2, p0.x
m4x4 oPos, v0, c0
mov oT0, r1
ret
label l2
ret
)"},
    {"vs_3_0", R"(vs_3_0
dcl_position v0
dcl_texcoord0 v1
dcl_2d s0
dcl_cube s3
dcl_position o0
dcl_color o1
dcl_texcoord0 o11
def c255, 0.5, 1, 2, 4
defi i0, 2, 0, 1, 0
texldl r0, v1, s0
texldl r1, v1, s3
sincos r3.xy, r1.x
mova a0.x, r0.x
mov r4, c7[a0.x]
setp_lt p0, r0, r1
loop aL, i0
add r5, r5, c0[aL]
endloop
(p0) mov r4, r5
m4x4 o0, v0, c0
mov o1, r4
mov o11, r3
)"},
    {"ps_1_1 arithmetic", R"(ps_1_1
def c7, 0.5, 0.5, 0.5, 1
tex t0
texbem t1, t0
texbeml t2, t0
texcoord t3
add r0, t1, t2
sub r1, r0, c7
mad r0, r1, v0, v1
mul r1, r0, t3
dp3 r0, r1, c0
lrp r1, c1, r0, v0
cnd r0, r0.a, r1, c2
mov r0, r0
nop
)"},
    {"ps_1_1 texture matrices", R"(ps_1_1
tex t0
texm3x3pad t1, t0
texm3x3pad t2, t0
texm3x3spec t3, t0, c0
mov r0, t3
)"},
    {"ps_1_1 reflections", R"(ps_1_1
tex t0
texm3x3pad t1, t0
texm3x3pad t2, t0
texm3x3vspec t3, t0
mov r0, t3
)"},
    {"ps_1_1 lookups", R"(ps_1_1
tex t0
texreg2ar t1, t0
texreg2gb t2, t0
texkill t3
add r0, t1, t2
)"},
    {"ps_1_1 two by two", R"(ps_1_1
tex t0
texm3x2pad t1, t0
texm3x2tex t2, t0
texm3x3pad t3, t0
mov r0, t2
)"},
    {"ps_1_2", R"(ps_1_2
tex t0
texreg2rgb t1, t0
texdp3tex t2, t0
texdp3 t3, t0
dp4 r0, t1, t2
cmp r1, r0, t3, c0
mov r0, r1
)"},
    {"ps_1_2 three by three", R"(ps_1_2
tex t0
texm3x3pad t1, t0
texm3x3pad t2, t0
texm3x3 t3, t0
mov r0, t3
)"},
    {"ps_1_3", R"(ps_1_3
tex t0
texm3x2pad t1, t0
texm3x2depth t2, t0
mov r0, t0
)"},
    {"ps_1_3 three by three texture", R"(ps_1_3
tex t0
texm3x3pad t1, t0
texm3x3pad t2, t0
texm3x3tex t3, t0
mov r0, t3
)"},
    {"ps_1_4", R"(ps_1_4
def c7, 0.5, 0.5, 0.5, 1
texld r0, t0
texcrd r1.rgb, t1
texld r4, t5
bem r2.rg, r0, r1
texdepth r5
phase
texld r2, r0
texkill t4
add r3, r0, r2
sub r4, r3, c7
mad r0, r4, v0, v1
mul r1, r0, c0
dp3 r2, r1, r0
dp4 r3, r1, r0
lrp r4, c1, r3, r2
cnd r0, r4, r1, r2
cmp r0, r0, r1, r2
mov r0, r0
nop
)"},
    {"ps_2_0", R"(ps_2_0
dcl v0
dcl v1
dcl t0
dcl t7.xy
dcl_2d s0
dcl_cube s1
dcl_volume s15
def c31, 0.5, 1, 2, 4
texld r0, t0, s0
texldp r1, t0, s1
texldb r2, t7, s15
texkill t0
abs r3, r0
add r4, r3, v0
cmp r5, r4, r3, c0
crs r6.xyz, r5, r4
dp2add r7, r6, r5, c1.x
dp3 r8, r7, v1
dp4 r9, r8, r7
exp r10, r9.x
frc r11, r10
log r0, r11.x
lrp r1, r0, r1, r2
m3x2 r2.xy, r1, c2
m3x3 r3.xyz, r1, c4
m3x4 r4, r1, c8
m4x3 r5.xyz, r1, c12
m4x4 r6, r1, c16
mad r7, r6, r5, r4
max r8, r7, r6
min r9, r8, r7
mul r10, r9, r8
nrm r11, r10
pow r0, r11.x, r10.y
rcp r1, r0.x
rsq r2, r1.x
sub r4, r3, r2
nop
mov oC0, r4
mov oC3, r5
mov oDepth, r6.x
)"},
    {"ps_2_x", R"(ps_2_x
dcl t0
dcl_2d s0
defb b15, true
defi i15, 4, 0, 1, 0
def c31, 0.5, 1, 2, 4
texld r0, t0, s0
dsx r1, t0
dsy r2, t0
texldd r3, t0, s0, r1, r2
setp_gt p0, r0, c0
rep i15
add r4, r4, c1
break_lt r4.x, c2.x
breakp p0.y
break
endrep
if b15
mov r5, c3
else
mov r5, c4
endif
if_eq r0.x, c5.x
(p0) mov r6, r5
endif
callnz l1, b15
call l2
mov oC0, r6
ret
label l1
ret
label l2
ret
)"},
    {"ps_3_0", R"(ps_3_0
dcl_texcoord0 v0
dcl_color v9
dcl_2d s0
dcl_2d s15
defi i0, 2, 0, 1, 0
def c223, 0.5, 1, 2, 4
texld r0, v0, s0
texldl r1, v0, s15
sincos r2.xy, r0.x
loop aL, i0
add r3, r3, v0[aL]
endloop
add r4, r3, vPos.xyxy
if_gt vFace, c0.x
mov r4, c1
endif
mov oC0, r4
mov oDepth, r2.x
)"},
};
const size_t ShaderCorpusSize = sizeof ShaderCorpus / sizeof ShaderCorpus[0];

std::string AssembleShader(const std::string& source, std::string* errors) {
    ID3DXBuffer* code = nullptr;
    ID3DXBuffer* messages = nullptr;
    const HRESULT result = D3DXAssembleShader(source.data(), static_cast<UINT>(source.size()),
                                              nullptr, nullptr, 0, &code, &messages);
    if (messages) {
        *errors = static_cast<const char*>(messages->GetBufferPointer());
        messages->Release();
    }
    std::string tokens;
    if (code) {
        if (SUCCEEDED(result)) {
            tokens.assign(static_cast<const char*>(code->GetBufferPointer()),
                          code->GetBufferSize());
        }
        code->Release();
    }
    return tokens;
}

std::string WithConstantTableOf(const std::string& tokens, const std::string& donor) {
    return tokens.substr(0, 4) + donor.substr(4, FirstBlockBytes(donor)) + tokens.substr(4);
}

std::string ShaderWithBlock(const std::string& standard, const std::string& block) {
    return standard.substr(0, 4) + block + standard.substr(4 + FirstBlockBytes(standard));
}

std::string TokenBytes(const std::vector<uint32_t>& words) {
    return std::string(reinterpret_cast<const char*>(words.data()), words.size() * 4);
}

uint32_t TokenAt(const std::string& bytes, size_t index) {
    return ByteReader(bytes.data(), bytes.size()).U32(index * 4);
}

void SetTokenAt(std::string* bytes, size_t index, uint32_t word) {
    std::memcpy(&(*bytes)[index * 4], &word, 4);
}

size_t FirstBlockBytes(const std::string& shader) {
    return 4 * (1 + CommentLength(TokenAt(shader, 1)));
}
