// The built shaders drawing on a real device: a textured, coloured quad placed by the three
// transforms, read back and compared with texel x vertex colour x colour modifier.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "material/material.h"
#include "mesh/mesh.h"
#include "support/material_test_support.h"
#include "support/shader_corpus.h"
#include "support/capture.h"
#include "support/temp_folder.h"
#include "support/test_device.h"

namespace {
const uint32_t ClearColor = 0xFF203040;
const D3DCOLOR VertexColor = D3DCOLOR_XRGB(0xFF, 0xC0, 0x80);
const float Modifier[3] = {1.0f, 0.5f, 0.75f};

// Level 0 of the texture as 0xAARRGGBB, row after row.
std::vector<uint32_t> Texels(IDirect3DTexture9* texture, UINT* width, UINT* height) {
    std::vector<uint32_t> texels;
    D3DSURFACE_DESC level = {};
    texture->GetLevelDesc(0, &level);
    *width = level.Width;
    *height = level.Height;
    if (level.Format != D3DFMT_X8R8G8B8 && level.Format != D3DFMT_A8R8G8B8) {
        ADD_FAILURE() << "texture format " << level.Format << " is not read by this test";
        return texels;
    }
    D3DLOCKED_RECT locked;
    if (FAILED(texture->LockRect(0, &locked, nullptr, D3DLOCK_READONLY))) {
        ADD_FAILURE() << "texture cannot be locked";
        return texels;
    }
    texels.resize(static_cast<size_t>(level.Width) * level.Height);
    for (UINT y = 0; y < level.Height; ++y) {
        std::memcpy(&texels[static_cast<size_t>(y) * level.Width],
                    static_cast<const char*>(locked.pBits) + static_cast<size_t>(y) * locked.Pitch,
                    level.Width * 4);
    }
    texture->UnlockRect(0);
    return texels;
}

uint32_t Expected(uint32_t texel) {
    uint32_t result = 0;
    for (int channel = 0; channel < 3; ++channel) {  // red, green, blue
        const int shift = 16 - 8 * channel;
        const float t = static_cast<float>((texel >> shift) & 0xFF) / 255.0f;
        const float c = static_cast<float>((VertexColor >> shift) & 0xFF) / 255.0f;
        float value = t * c * Modifier[channel];
        value = value < 0.0f ? 0.0f : value > 1.0f ? 1.0f : value;
        result |= static_cast<uint32_t>(std::lround(value * 255.0f)) << shift;
    }
    return result;
}

// The standard shaders' work in other models, for the standard constant tables.
const char VertexSM3[] = R"(vs_3_0
dcl_position v0
dcl_color v1
dcl_texcoord v2
dcl_position o0
dcl_color o1
dcl_texcoord o2.xy
m4x4 r0, v0, c0
m4x4 r1, r0, c4
m4x4 o0, r1, c8
mov o1, v1
mov o2.xy, v2
)";
const char PixelSM11[] = "ps_1_1\ntex t0\nmul r0, t0, v0\nmul r0.rgb, r0, c0\n";
const char PixelSM12[] = "ps_1_2\ntex t0\nmul r0, t0, v0\nmul r0.rgb, r0, c0\n";
const char PixelSM13[] = "ps_1_3\ntex t0\nmul r0, t0, v0\nmul r0.rgb, r0, c0\n";
const char PixelSM14[] = "ps_1_4\ntexld r0, t0\nmul r0, r0, v0\nmul r0.rgb, r0, c0\n";
const char PixelSM3[] = R"(ps_3_0
dcl_color v0
dcl_texcoord v1.xy
dcl_2d s0
texld r0, v1, s0
mul r0, r0, v0
mul r0.xyz, r0, c0
mov oC0, r0
)";

// The standard shaders' own source, under another version.
const char VertexSM1[] = "vs_1_1";
const char VertexSM2x[] = "vs_2_x";
const char PixelSM2x[] = "ps_2_x";

// Assembles `source` (null: the standard shader itself; a bare version: the standard
// shader's source under that version) with the standard table of its kind.
std::string ShaderFile(TempFolder& folder, const char* source, const char* standardPath,
                       const char* name) {
    if (source == nullptr) return standardPath;
    const std::string standard = ReadWholeFile(standardPath);
    std::string text = source;
    if (text.size() == 6) {
        const bool vertex = text[0] == 'v';
        text = ReadWholeFile(std::string(MIRELTH_SOURCE_DIR "/assets/shaders/standard_") +
                             (vertex ? "vertex.vsh" : "fragment.psh"));
        const size_t version = text.find(vertex ? "\nvs_2_0" : "\nps_2_0");
        EXPECT_NE(version, std::string::npos);
        if (version != std::string::npos) text.replace(version + 1, 6, source);
    }
    std::string errors;
    const std::string tokens = AssembleShader(text, &errors);
    EXPECT_FALSE(tokens.empty()) << errors;
    return folder.Write(name, WithConstantTableOf(tokens, standard));
}

struct ShaderPair {
    const char* name;
    const char* vertex;  // null: the standard shader
    const char* pixel;
};

void PrintTo(const ShaderPair& pair, std::ostream* out) {
    *out << pair.name;
}

class ShaderDrawTest : public DeviceTest, public ::testing::WithParamInterface<ShaderPair> {};

TEST_P(ShaderDrawTest, QuadShowsTexelTimesVertexColorTimesModifier) {
    TempFolder folder;
    StandardErrorCapture errors;
    Material material;
    const std::string path = folder.Write(
        "draw.material",
        StandardMaterialText(
            "g_colorModifier = { 1, 0.5, 0.75 }",
            ShaderFile(folder, GetParam().vertex, StandardVertexShaderPath, "v.shader"),
            ShaderFile(folder, GetParam().pixel, StandardFragmentShaderPath, "p.shader")));
    ASSERT_TRUE(material.Load(path.c_str()));
    ASSERT_TRUE(material.LoadFragmentShader());
    ASSERT_TRUE(material.LoadVertexShader());
    ASSERT_NE(material.texture, nullptr);
    UINT width = 0, height = 0;
    const std::vector<uint32_t> texels = Texels(material.texture, &width, &height);
    ASSERT_FALSE(texels.empty());

    // A unit square in model space, texture coordinates (0, 0) at its top left, drawn as the
    // program draws its meshes (loading one makes its declaration current).
    const MeshVertex square[4] = {{0.0f, 1.0f, 0.0f, VertexColor, 0.0f, 0.0f},
                                  {1.0f, 1.0f, 0.0f, VertexColor, 1.0f, 0.0f},
                                  {0.0f, 0.0f, 0.0f, VertexColor, 0.0f, 1.0f},
                                  {1.0f, 0.0f, 0.0f, VertexColor, 1.0f, 1.0f}};
    std::string quad = TokenBytes({4, 6});
    quad.append(reinterpret_cast<const char*>(square), sizeof square);
    Mesh mesh;
    mesh.Load(folder.Write("quad.mesh.bin", quad + TokenBytes({0, 1, 2, 2, 1, 3})).c_str());
    ASSERT_TRUE(boxes_.Boxes().empty()) << Describe(boxes_.Boxes());

    // Each transform does its own part, and in another order or transposed they would put
    // the square elsewhere: centre it, double it, then move it right by an eighth of the screen.
    D3DXMATRIX modelToWorld, worldToView, viewToScreen;
    D3DXMatrixTranslation(&modelToWorld, -0.5f, -0.5f, 0.5f);
    D3DXMatrixScaling(&worldToView, 2.0f, 2.0f, 1.0f);
    D3DXMatrixTranslation(&viewToScreen, 0.25f, 0.0f, 0.0f);

    Device()->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, ClearColor, 1.0f, 0);
    Device()->BeginScene();
    Device()->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    Device()->SetSamplerState(material.samplerIndex, D3DSAMP_MAGFILTER, D3DTEXF_POINT);
    Device()->SetSamplerState(material.samplerIndex, D3DSAMP_MINFILTER, D3DTEXF_POINT);
    Device()->SetSamplerState(material.samplerIndex, D3DSAMP_MIPFILTER, D3DTEXF_NONE);
    material.ApplyColorModifier();
    material.Bind();
    material.SetTransforms(worldToView, viewToScreen, modelToWorld);
    mesh.Draw();
    Device()->EndScene();
    const std::vector<uint32_t> pixels = ReadBackBuffer();

    Device()->SetVertexShader(nullptr);
    Device()->SetPixelShader(nullptr);
    Device()->SetTexture(material.samplerIndex, nullptr);
    ASSERT_EQ(pixels.size(), static_cast<size_t>(BackBufferWidth) * BackBufferHeight);

    // The square spans x from 100 to 800 and the whole height.
    const auto pixel = [&pixels](int x, int y) { return PixelAt(pixels, x, y); };
    EXPECT_TRUE(ColorsNear(pixel(50, 300), ClearColor, 0)) << std::hex << pixel(50, 300);
    EXPECT_TRUE(ColorsNear(pixel(90, 10), ClearColor, 0)) << std::hex << pixel(90, 10);
    EXPECT_FALSE(ColorsNear(pixel(110, 300), ClearColor, 0));

    // Screen pixel (x, y) samples u = (x + 0.5) / 800 - 0.125, v = (y + 0.5) / 600: look at
    // pixels that fall in the middle of a texel, so the sampling point is never in doubt.
    int compared = 0;
    int mismatches = 0;
    for (UINT ty = 0; ty < height; ty += (height + 7) / 8) {
        for (UINT tx = 0; tx < width; tx += (width + 7) / 8) {
            const double u = (tx + 0.5) / width;
            const double v = (ty + 0.5) / height;
            const int x = static_cast<int>(std::floor((u + 0.125) * 800.0));
            const int y = static_cast<int>(std::floor(v * 600.0));
            if (x < 100 || x >= 800 || y < 0 || y >= 600) continue;
            const uint32_t want = Expected(texels[static_cast<size_t>(ty) * width + tx]);
            ++compared;
            if (!ColorsNear(pixel(x, y), want, 3)) {
                ++mismatches;
                ADD_FAILURE() << "pixel (" << x << ", " << y << ") for texel (" << tx << ", " << ty
                              << "): " << std::hex << pixel(x, y) << " instead of " << want;
                if (mismatches > 5) return;
            }
        }
    }
    EXPECT_GE(compared, 32);
    EXPECT_EQ(errors.Text(), "");
}

INSTANTIATE_TEST_SUITE_P(EveryModel, ShaderDrawTest,
                         ::testing::Values(ShaderPair{"standard", nullptr, nullptr},
                                           ShaderPair{"vs_1_1_ps_1_1", VertexSM1, PixelSM11},
                                           ShaderPair{"vs_1_1_ps_1_2", VertexSM1, PixelSM12},
                                           ShaderPair{"vs_1_1_ps_1_3", VertexSM1, PixelSM13},
                                           ShaderPair{"vs_1_1_ps_1_4", VertexSM1, PixelSM14},
                                           ShaderPair{"vs_2_x_ps_2_x", VertexSM2x, PixelSM2x},
                                           ShaderPair{"vs_3_0_ps_3_0", VertexSM3, PixelSM3}),
                         [](const ::testing::TestParamInfo<ShaderPair>& info) {
                             return std::string(info.param.name);
                         });
}  // namespace
