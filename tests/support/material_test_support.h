// Shared pieces of the material tests: material files, the two shader kinds, and what the
// device holds.
#pragma once

#include <d3d9.h>
#include <d3dx9.h>

#include <array>
#include <string>

#include "material/material.h"

// The shaders and the texture that the build puts in data/ (the tests run in the build tree).
extern const char StandardVertexShaderPath[];
extern const char StandardFragmentShaderPath[];
extern const char CheckerTexturePath[];

// `return { texture = ..., shaders = { the two paths }, constants = {...} }` with
// `colorModifierField` (for example "g_colorModifier = { 1, 2, 3 }") inside constants.
std::string StandardMaterialText(const std::string& colorModifierField,
                                 const std::string& vertexPath = StandardVertexShaderPath,
                                 const std::string& fragmentPath = StandardFragmentShaderPath,
                                 const std::string& texturePath = CheckerTexturePath);

// One of the two shaders a material loads: how the tests name it, the caption and the text of
// its box when the device will not create it, its built file, and the material's path and
// loader for it.
struct ShaderKind {
    const char* name;
    const char* caption;
    const char* creationFailure;
    const char* builtPath;
    std::string Material::*path;
    bool (Material::*load)();
};
extern const ShaderKind FragmentShaderKind;
extern const ShaderKind VertexShaderKind;

// The register a constant of the table starts at.
UINT RegisterOf(ID3DXConstantTable* table, D3DXHANDLE constant);
// A whole float4 register of the device's pixel or vertex shader constants.
std::array<float, 4> PixelConstant(IDirect3DDevice9* device, UINT index);
std::array<float, 4> VertexConstant(IDirect3DDevice9* device, UINT index);
// The vertex shader registers from `base` on hold `matrix` by columns (register base + c holds
// column c), the way the shaders' m4x4 reads it.
void ExpectMatrixInRegisters(IDirect3DDevice9* device, UINT base, const D3DXMATRIX& matrix);
// Fills the colour modifier's register with 9s, for the material to overwrite; returns it.
UINT StaleColorModifierRegister(IDirect3DDevice9* device, const Material& material);
// The texture bound to a stage of the device (no reference kept).
IDirect3DBaseTexture9* BoundTexture(IDirect3DDevice9* device, DWORD stage);
// Writes the colour modifier and identity transforms through whatever tables the material has.
void WriteEveryConstant(Material& material);
