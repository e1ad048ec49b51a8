// The built shaders on a real device: both are created, and what the constant tables write
// lands in the registers that the code reads, laid out the way the code reads them.
#include "material/material.h"
#include "formats/shader_tokens.h"
#include "support/material_test_support.h"
#include "support/shader_corpus.h"
#include "support/temp_folder.h"
#include "support/test_device.h"

#include <d3dx9.h>
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

struct ShaderObjects {
    ~ShaderObjects() {
        if (vertexShader) vertexShader->Release();
        if (pixelShader) pixelShader->Release();
        if (vertexTable) vertexTable->Release();
        if (pixelTable) pixelTable->Release();
    }
    IDirect3DVertexShader9* vertexShader = nullptr;
    IDirect3DPixelShader9* pixelShader = nullptr;
    ID3DXConstantTable* vertexTable = nullptr;
    ID3DXConstantTable* pixelTable = nullptr;
};

class ShaderDevice : public DeviceTest {};

TEST_F(ShaderDevice, BothShadersAreCreatedAndTheirConstantsLandWhereTheCodeReadsThem) {
    const std::string vertexBytes = ReadWholeFile(StandardVertexShaderPath);
    const std::string pixelBytes = ReadWholeFile(StandardFragmentShaderPath);
    std::string why;
    ASSERT_TRUE(CheckShaderTokens(vertexBytes.data(), vertexBytes.size(),
                                  kVertexShaderVersionType, &why)) << why;
    ASSERT_TRUE(CheckShaderTokens(pixelBytes.data(), pixelBytes.size(),
                                  kPixelShaderVersionType, &why)) << why;
    const DWORD* vertexTokens = reinterpret_cast<const DWORD*>(vertexBytes.data());
    const DWORD* pixelTokens = reinterpret_cast<const DWORD*>(pixelBytes.data());

    ShaderObjects objects;
    EXPECT_EQ(Device()->CreateVertexShader(vertexTokens, &objects.vertexShader), D3D_OK);
    EXPECT_EQ(Device()->CreatePixelShader(pixelTokens, &objects.pixelShader), D3D_OK);
    ASSERT_EQ(D3DXGetShaderConstantTable(vertexTokens, &objects.vertexTable), D3D_OK);
    ASSERT_EQ(D3DXGetShaderConstantTable(pixelTokens, &objects.pixelTable), D3D_OK);

    // SetMatrix stores the transpose: register base+i holds column i, which is what
    // m4x4 (four dp4 with the row vector) needs to compute v * M.
    for (const char* name : {"g_transform_modelToWorld", "g_transform_worldToView",
                             "g_transform_viewToScreen"}) {
        SCOPED_TRACE(name);
        D3DXHANDLE handle = objects.vertexTable->GetConstantByName(nullptr, name);
        ASSERT_NE(handle, nullptr);
        D3DXCONSTANT_DESC desc;
        UINT count = 1;
        ASSERT_EQ(objects.vertexTable->GetConstantDesc(handle, &desc, &count), D3D_OK);
        D3DXMATRIX m;
        for (int i = 0; i < 16; ++i) m[i] = static_cast<float>(i + 1) + 0.5f * desc.RegisterIndex;
        ASSERT_EQ(objects.vertexTable->SetMatrix(Device(), handle, &m), D3D_OK);
        ExpectMatrixInRegisters(Device(), desc.RegisterIndex, m);
    }

    D3DXHANDLE modifier = objects.pixelTable->GetConstantByName(nullptr, "g_colorModifier");
    ASSERT_NE(modifier, nullptr);
    float garbage[4] = {7, 7, 7, 7};
    ASSERT_EQ(Device()->SetPixelShaderConstantF(0, garbage, 1), D3D_OK);
    ASSERT_EQ(objects.pixelTable->SetDefaults(Device()), D3D_OK);
    EXPECT_EQ(PixelConstant(Device(), 0), (std::array<float, 4>{1, 1, 1, 0}));
    const float color[3] = {1.0f, 0.5f, 0.25f};
    ASSERT_EQ(objects.pixelTable->SetFloatArray(Device(), modifier, color, 3), D3D_OK);
    const std::array<float, 4> c0 = PixelConstant(Device(), 0);
    EXPECT_EQ(std::vector<float>(c0.begin(), c0.begin() + 3), (std::vector<float>{1, 0.5f, 0.25f}));

    // A shader of the other kind is refused by the device, as the checker refuses it.
    IDirect3DPixelShader9* wrongKind = nullptr;
    EXPECT_TRUE(FAILED(Device()->CreatePixelShader(vertexTokens, &wrongKind)));
    if (wrongKind) wrongKind->Release();
}

// Every model's every instruction and register, as the checker lets them through, is
// created by the device (up to the models the device takes), with or without a table.
TEST_F(ShaderDevice, EveryModelOfTheCorpusIsCreated) {
    D3DCAPS9 caps = {};
    ASSERT_EQ(Device()->GetDeviceCaps(&caps), D3D_OK);
    const std::string vertexDonor = ReadWholeFile(StandardVertexShaderPath);
    const std::string pixelDonor = ReadWholeFile(StandardFragmentShaderPath);
    int created = 0;
    for (const CorpusShader& shader : ShaderCorpus()) {
        SCOPED_TRACE(shader.name);
        if (shader.tokens.empty()) continue;  // the corpus has said why
        const std::string& bare = shader.tokens;
        uint32_t version = 0;
        std::memcpy(&version, bare.data(), 4);
        const bool vertex = (version >> 16) == kVertexShaderVersionType;
        if ((version & 0xFFFF) >
            ((vertex ? caps.VertexShaderVersion : caps.PixelShaderVersion) & 0xFFFF)) {
            continue;
        }
        for (const std::string& tokens :
             {bare, WithConstantTableOf(bare, vertex ? vertexDonor : pixelDonor)}) {
            std::string why;
            ASSERT_TRUE(CheckShaderTokens(tokens.data(), tokens.size(), version >> 16, &why))
                << why;
            const DWORD* code = reinterpret_cast<const DWORD*>(tokens.data());
            IUnknown* shader = nullptr;
            const HRESULT result =
                vertex ? Device()->CreateVertexShader(
                             code, reinterpret_cast<IDirect3DVertexShader9**>(&shader))
                       : Device()->CreatePixelShader(
                             code, reinterpret_cast<IDirect3DPixelShader9**>(&shader));
            EXPECT_EQ(result, D3D_OK);
            if (shader) shader->Release();
            ++created;
        }
    }
    EXPECT_EQ(created, static_cast<int>(2 * ShaderCorpus().size()))
        << "models above the device's were left out";
}

// A literal before the table that reads like a comment token to D3DX's own walk over the
// tokens (it takes every word that is not a comment for an instruction token) sends that
// walk far past the file; the program's loader finds the table all the same.
TEST_F(ShaderDevice, LiteralsThatLookLikeCommentsLoadWithTheirConstantTable) {
    TempFolder folder;
    const std::string standard = ReadWholeFile(StandardFragmentShaderPath);
    for (uint32_t literal : {0x7FFFFFFEu, 0x3F80FFFEu, 0x0000FFFFu}) {
        SCOPED_TRACE(literal);
        const uint32_t def[6] = {0x05000051, 0xA00F001F, literal, 0x42415443, literal, literal};
        std::string file = standard;
        file.insert(4, reinterpret_cast<const char*>(def), sizeof def);
        Material material;
        material.fragmentShaderPath = folder.Write("literal.shader", file);
        EXPECT_TRUE(material.LoadFragmentShader());
        EXPECT_NE(material.fragmentShader, nullptr);
        EXPECT_NE(material.colorModifierHandle, nullptr);
    }
    EXPECT_TRUE(boxes_.Boxes().empty());
}

}  // namespace
