#include "material/material.h"

// Placeholder until the material loader lands.
Material::~Material() { Release(); }
bool Material::Load(const char*) { return false; }
bool Material::LoadFragmentShader() { return false; }
bool Material::LoadVertexShader() { return false; }
void Material::ApplyColorModifier() {}
void Material::Bind() {}
void Material::SetTransforms(const D3DXMATRIX&, const D3DXMATRIX&, const D3DXMATRIX&) {}
void Material::Release() {}
