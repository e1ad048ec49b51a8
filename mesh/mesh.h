// Indexed triangle meshes read from binary mesh files into Direct3D buffers.
#pragma once

#include <d3d9.h>

#include <cstdint>
#include <fstream>

#include "graphics/graphics.h"

// One vertex record, exactly as it lies in the file and in the vertex buffer.
struct MeshVertex {
    float x, y, z;
    D3DCOLOR color;  // 0xAARRGGBB
    float u, v;
};
static_assert(sizeof(MeshVertex) == 24, "mesh vertex records are 24 bytes");

// Position FLOAT3, colour D3DCOLOR, texture coordinate FLOAT2, all usage index 0.
extern const D3DVERTEXELEMENT9 MeshVertexElements[4];

class Mesh {
public:
    Mesh() = default;
    ~Mesh();
    Mesh(const Mesh&) = delete;
    Mesh& operator=(const Mesh&) = delete;

    // Reads the file into new buffers on GraphicsState's device. Failures are shown
    // in message boxes owned by GraphicsState's renderingWindow; always returns true.
    bool Load(const char* path);
    // Stream source, indices and one indexed triangle-list draw.
    void Draw();
    // Releases the buffers and the declaration; the device must still be alive.
    void Release();

    IDirect3DVertexBuffer9* vertexBuffer = nullptr;
    IDirect3DIndexBuffer9* indexBuffer = nullptr;
    IDirect3DVertexDeclaration9* vertexDeclaration = nullptr;
    IDirect3DDevice9* device = nullptr;  // borrowed, no reference held
    HWND window = nullptr;
    uint32_t streamIndex = 0;
    uint32_t streamOffset = 0;
    uint32_t vertexStride = sizeof(MeshVertex);
    D3DPRIMITIVETYPE primitiveType = D3DPT_TRIANGLELIST;
    int32_t baseVertexIndex = 0;
    uint32_t startIndex = 0;
    uint32_t vertexCount = 0;
    uint32_t indexCount = 0;
    uint32_t primitiveCount = 0;
    std::ifstream fileStream;
    Vector3 position = {0.0f, 0.0f, 0.0f};

private:
    bool LoadVertices(DWORD usage);
    bool LoadIndices(DWORD usage);
};
