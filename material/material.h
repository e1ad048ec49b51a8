// Materials: a texture, a vertex and a fragment shader with their constant tables,
// and a colour modifier, described by a Lua material file.
#pragma once

#include <d3d9.h>
#include <d3dx9.h>

#include <cstdint>
#include <string>

struct lua_State;

class Material {
public:
    Material() = default;
    ~Material();
    Material(const Material&) = delete;
    Material& operator=(const Material&) = delete;

    // Runs the material file and reads "texture", "shaders" and "constants".
    bool Load(const char* path);
    bool LoadFragmentShader();
    bool LoadVertexShader();
    // Writes the colour modifier, or the fragment shader's defaults, into the device.
    void ApplyColorModifier();
    // Makes the shaders and the texture current.
    void Bind();
    void SetTransforms(const D3DXMATRIX& worldToView, const D3DXMATRIX& viewToScreen,
                       const D3DXMATRIX& modelToWorld);
    // Releases every device object; safe to call more than once.
    void Release();

    IDirect3DVertexShader9* vertexShader = nullptr;
    std::string vertexShaderPath;
    D3DXHANDLE worldToViewHandle = nullptr;
    D3DXHANDLE viewToScreenHandle = nullptr;
    D3DXHANDLE modelToWorldHandle = nullptr;
    ID3DXConstantTable* vertexConstantTable = nullptr;
    IDirect3DPixelShader9* fragmentShader = nullptr;
    std::string fragmentShaderPath;
    ID3DXConstantTable* fragmentConstantTable = nullptr;
    D3DXHANDLE colorModifierHandle = nullptr;
    float colorModifier[3] = {0.0f, 0.0f, 0.0f};  // first value -1 means "none"
    IDirect3DTexture9* texture = nullptr;
    uint32_t samplerIndex = 0;

private:
    static bool ReadTables(lua_State* L, void* material);
    bool ReadTexture(lua_State* L);
    bool ReadShaders(lua_State* L);
    bool ReadShaderPaths(lua_State* L);
    bool ReadConstants(lua_State* L);
    void ReadColorModifier(lua_State* L);
};
