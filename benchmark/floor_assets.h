// The scene's data files turned into Direct3D objects by the shortest road: one read per
// buffer straight into it, shaders created from the file's bytes, registers looked up once.
// The floor against which the program's own loaders and frame are measured.
#pragma once

#include <d3d9.h>

#include <string>

// What a material file names, read through the program's Lua asset-file procedure.
struct MaterialDescription {
    std::string texture;
    std::string vertexShader;
    std::string fragmentShader;
    float colorModifier[4] = {1.0f, 1.0f, 1.0f, 0.0f};  // the shader's defaults when absent
};
bool ReadMaterialDescription(const char* path, MaterialDescription* description);

// One mesh and its material as plain Direct3D objects, with the registers of its constants.
struct FloorObject {
    IDirect3DVertexBuffer9* vertexBuffer = nullptr;
    IDirect3DIndexBuffer9* indexBuffer = nullptr;
    UINT vertexCount = 0;
    UINT primitiveCount = 0;
    IDirect3DVertexShader9* vertexShader = nullptr;
    IDirect3DPixelShader9* pixelShader = nullptr;
    IDirect3DTexture9* texture = nullptr;
    DWORD sampler = 0;
    UINT modelToWorldRegister = 0;
    UINT worldToViewRegister = 0;
    UINT viewToScreenRegister = 0;
    bool columnMajor = true;  // matrices sit transposed in the registers
    UINT colorRegister = 0;
    float colorModifier[4] = {1.0f, 1.0f, 1.0f, 0.0f};
};

// Header, then one ReadFile straight into each locked buffer. False with a reason.
bool LoadFloorMesh(IDirect3DDevice9* device, const char* path, FloorObject* object,
                   std::string* error);
// Called with a step's name ("plane fragment shader") when it has been done.
using FloorStepDone = void (*)(const char* step);
// The texture, the fragment shader and the vertex shader that `description` names, in that
// order, with the registers their constant tables name. `owner` ("plane") prefixes the
// steps reported to `done`, which may be null.
bool LoadFloorMaterial(IDirect3DDevice9* device, const MaterialDescription& description,
                       const char* owner, FloorStepDone done, FloorObject* object,
                       std::string* error);
void ReleaseFloorMesh(FloorObject* object);
void ReleaseFloorObject(FloorObject* object);

// The whole file in one ReadFile into `buffer` (which must be large enough); its size, or
// -1 when the file cannot be read.
long long ReadWholeFileInto(const char* path, void* buffer, unsigned long long capacity);
