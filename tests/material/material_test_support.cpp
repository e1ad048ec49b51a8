#include "material_test_support.h"

const char StandardVertexShaderPath[] = "data/standard_vertex.shader";
const char StandardFragmentShaderPath[] = "data/standard_fragment.shader";
const char CheckerTexturePath[] = "data/checker.bmp";

std::string StandardMaterialText(const std::string& colorModifierField) {
    return std::string("return {\n  texture = '") + CheckerTexturePath +
           "',\n  shaders = { vertexShader = '" + StandardVertexShaderPath +
           "', fragmentShader = '" + StandardFragmentShaderPath + "' },\n  constants = { " +
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
    device->GetPixelShaderConstantF(index, value.data(), 1);
    return value;
}

std::array<float, 4> VertexConstant(IDirect3DDevice9* device, UINT index) {
    std::array<float, 4> value = {};
    device->GetVertexShaderConstantF(index, value.data(), 1);
    return value;
}
