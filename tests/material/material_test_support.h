// Shared pieces of the material tests: material files and what the device holds.
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

// `return { texture = "data/checker.bmp", shaders = { the standard two }, constants = {...} }`
// with `colorModifierField` (for example "g_colorModifier = { 1, 2, 3 }") inside constants.
std::string StandardMaterialText(const std::string& colorModifierField);

// The register a constant of the table starts at.
UINT RegisterOf(ID3DXConstantTable* table, D3DXHANDLE constant);
// A whole float4 register of the device's pixel or vertex shader constants.
std::array<float, 4> PixelConstant(IDirect3DDevice9* device, UINT index);
std::array<float, 4> VertexConstant(IDirect3DDevice9* device, UINT index);
