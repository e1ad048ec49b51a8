#include "material/material.h"

#include <iostream>

#include <lua.hpp>

#include "graphics/graphics_state.h"
#include "material/asset_file.h"
#include "material/texture_header.h"

namespace {
// Pushes the value at `key` of the table on top of the stack.
void ReadField(lua_State* L, const char* key) {
    lua_pushstring(L, key);
    lua_gettable(L, -2);
}

// The reader message for a key whose value has the wrong type; pops that value.
void ReportWrongType(lua_State* L, const char* key, const char* expected) {
    std::cerr << "The value at \"" << key << "\" must be " << expected << " (instead of a "
              << lua_typename(L, lua_type(L, -1)) << ")\n";
    lua_pop(L, 1);
}

template <typename T>
void ReleaseObject(T*& object) {
    if (object != nullptr) {
        object->Release();
        object = nullptr;
    }
}
}  // namespace

Material::~Material() { Release(); }

bool Material::Load(const char* path) { return LoadAssetFile(path, &Material::ReadTables, this); }

bool Material::ReadTables(lua_State* L, void* material) {
    Material& self = *static_cast<Material*>(material);
    return self.ReadTexture(L) && self.ReadShaders(L) && self.ReadConstants(L);
}

bool Material::ReadTexture(lua_State* L) {
    ReadField(L, "texture");
    if (!lua_isstring(L, -1)) {
        ReportWrongType(L, "texture", "a string");
        return false;
    }
    // A texture that fails to load leaves `texture` null; the material still loads. Wine's
    // image readers trust what a file's header gives: a header that promises more than its
    // file holds stalls or overruns them, and a picture larger than any texture makes its
    // decoder write past its buffers. Such a file is refused, silently, before D3DX reads it.
    const char* path = lua_tostring(L, -1);
    D3DXIMAGE_INFO image;
    if (TextureFileProblem(path) == nullptr && SUCCEEDED(D3DXGetImageInfoFromFileA(path, &image)) &&
        image.Width <= kLargestTextureSide && image.Height <= kLargestTextureSide) {
        D3DXCreateTextureFromFileA(GraphicsState.device, path, &texture);
    }
    lua_pop(L, 1);
    return true;
}

bool Material::ReadShaders(lua_State* L) {
    ReadField(L, "shaders");
    if (!lua_istable(L, -1)) {
        ReportWrongType(L, "shaders", "a table");
        return false;
    }
    const bool read = ReadShaderPaths(L);
    lua_pop(L, 1);
    return read;
}

bool Material::ReadShaderPaths(lua_State* L) {
    // A missing path is reported later, when the shader file of that name can't be opened.
    ReadField(L, "vertexShader");
    if (lua_isstring(L, -1)) vertexShaderPath = lua_tostring(L, -1);
    lua_pop(L, 1);
    ReadField(L, "fragmentShader");
    if (lua_isstring(L, -1)) fragmentShaderPath = lua_tostring(L, -1);
    lua_pop(L, 1);
    return true;
}

bool Material::ReadConstants(lua_State* L) {
    ReadField(L, "constants");
    if (!lua_istable(L, -1)) {
        ReportWrongType(L, "constants", "a table");
        return false;
    }
    ReadColorModifier(L);
    lua_pop(L, 1);
    return true;
}

void Material::ReadColorModifier(lua_State* L) {
    ReadField(L, "g_colorModifier");
    if (lua_istable(L, -1)) {
        bool complete = true;
        for (int i = 0; i < 3 && complete; ++i) {
            lua_pushnumber(L, i + 1);
            lua_gettable(L, -2);
            complete = lua_isnumber(L, -1) != 0;
            if (complete) colorModifier[i] = static_cast<float>(lua_tonumber(L, -1));
            lua_pop(L, 1);
        }
        if (complete) {
            lua_pop(L, 1);
            return;
        }
    }
    MessageBoxA(GraphicsState.renderingWindow,
                "g_colorModifier does not exist. Using default values.", "No ColorModifier",
                MB_ICONWARNING);
    // -1 in the first value marks "no colour modifier": ApplyColorModifier uses the defaults.
    colorModifier[0] = -1.0f;
    lua_pop(L, 1);
}

void Material::ApplyColorModifier() {
    if (fragmentConstantTable == nullptr) return;
    if (colorModifier[0] != -1.0f) {
        fragmentConstantTable->SetFloatArray(GraphicsState.device, colorModifierHandle,
                                             colorModifier, 3);
    } else {
        fragmentConstantTable->SetDefaults(GraphicsState.device);
    }
}

void Material::Bind() {
    IDirect3DDevice9* device = GraphicsState.device;
    device->SetVertexShader(vertexShader);
    device->SetPixelShader(fragmentShader);
    device->SetTexture(samplerIndex, texture);
}

void Material::SetTransforms(const D3DXMATRIX& worldToView, const D3DXMATRIX& viewToScreen,
                             const D3DXMATRIX& modelToWorld) {
    if (vertexConstantTable == nullptr) return;
    IDirect3DDevice9* device = GraphicsState.device;
    vertexConstantTable->SetMatrix(device, worldToViewHandle, &worldToView);
    vertexConstantTable->SetMatrix(device, viewToScreenHandle, &viewToScreen);
    vertexConstantTable->SetMatrix(device, modelToWorldHandle, &modelToWorld);
}

void Material::Release() {
    ReleaseObject(vertexShader);
    ReleaseObject(fragmentShader);
    ReleaseObject(vertexConstantTable);
    ReleaseObject(fragmentConstantTable);
    ReleaseObject(texture);
    // Handles point into the constant tables, which are gone.
    worldToViewHandle = nullptr;
    viewToScreenHandle = nullptr;
    modelToWorldHandle = nullptr;
    colorModifierHandle = nullptr;
}
