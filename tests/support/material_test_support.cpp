#include "support/material_test_support.h"

#include <gtest/gtest.h>

const char StandardVertexShaderPath[] = "data/standard_vertex.shader";
const char StandardFragmentShaderPath[] = "data/standard_fragment.shader";
const char CheckerTexturePath[] = "data/checker.bmp";

const ShaderKind FragmentShaderKind = {"fragment", "No Fragment Shader",
                                       "DirectX failed to create the fragment shader",
                                       StandardFragmentShaderPath, &Material::fragmentShaderPath,
                                       &Material::LoadFragmentShader};
const ShaderKind VertexShaderKind = {"vertex", "No Vertex Shader",
                                     "DirectX failed to create the vertex shader",
                                     StandardVertexShaderPath, &Material::vertexShaderPath,
                                     &Material::LoadVertexShader};

std::string StandardMaterialText(const std::string& colorModifierField,
                                 const std::string& vertexPath, const std::string& fragmentPath,
                                 const std::string& texturePath) {
    return "return {\n  texture = '" + texturePath + "',\n  shaders = { vertexShader = '" +
           vertexPath + "', fragmentShader = '" + fragmentPath + "' },\n  constants = { " +
           colorModifierField + " },\n}\n";
}

UINT RegisterOf(ID3DXConstantTable* table, D3DXHANDLE constant) {
    D3DXCONSTANT_DESC description = {};
    UINT count = 1;
    table->GetConstantDesc(constant, &description, &count);
    return description.RegisterIndex;
}

std::array<float, 4> PixelConstant(IDirect3DDevice9* device, UINT index) {
    std::array<float, 4> value = {};
    EXPECT_EQ(device->GetPixelShaderConstantF(index, value.data(), 1), D3D_OK);
    return value;
}

std::array<float, 4> VertexConstant(IDirect3DDevice9* device, UINT index) {
    std::array<float, 4> value = {};
    EXPECT_EQ(device->GetVertexShaderConstantF(index, value.data(), 1), D3D_OK);
    return value;
}

void ExpectMatrixInRegisters(IDirect3DDevice9* device, UINT base, const D3DXMATRIX& matrix) {
    for (UINT c = 0; c < 4; ++c) {
        const std::array<float, 4> column = VertexConstant(device, base + c);
        for (UINT r = 0; r < 4; ++r) {
            EXPECT_EQ(column[r], matrix(r, c)) << "register " << base + c << " row " << r;
        }
    }
}

UINT StaleColorModifierRegister(IDirect3DDevice9* device, const Material& material) {
    const UINT index = RegisterOf(material.fragmentConstantTable, material.colorModifierHandle);
    const float stale[4] = {9.0f, 9.0f, 9.0f, 9.0f};
    device->SetPixelShaderConstantF(index, stale, 1);
    return index;
}

IDirect3DBaseTexture9* BoundTexture(IDirect3DDevice9* device, DWORD stage) {
    IDirect3DBaseTexture9* bound = nullptr;
    device->GetTexture(stage, &bound);
    if (bound != nullptr) bound->Release();
    return bound;
}

void WriteEveryConstant(Material& material) {
    material.ApplyColorModifier();
    D3DXMATRIX identity;
    D3DXMatrixIdentity(&identity);
    material.SetTransforms(identity, identity, identity);
}
