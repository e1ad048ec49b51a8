// Indexed triangle meshes read from binary mesh files into Direct3D buffers.
#pragma once

#include <d3d9.h>

#include <cstdint>
#include <fstream>
#include <string>

#include "graphics/graphics_state.h"

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
    // A file that is missing, damaged or too large is refused with a box naming it: it
    // leaves no buffers, counts of zero and a closed stream (a declaration made before
    // bad indices were found stays). A failed Direct3D call leaves what was made before it.
    bool Load(const char* path);
    // Stream source, indices and one indexed triangle-list draw; nothing unless both
    // buffers were filled and unlocked.
    void Draw();
    // Releases the buffers and the declaration and closes the file; the device must
    // still be alive. Does nothing the second time.
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
    bool OpenFile();
    bool LoadVertices(DWORD usage);
    bool LoadIndices(DWORD usage);
    bool ReadInto(void* data, UINT bytes);
    // Reads `count` indices into `destination`, checking each on the way; a bad one stops
    // the copy and is described in *refusal.
    bool ReadIndices(uint32_t* destination, uint32_t count, std::string* refusal);
    // Shows a Direct3D failure; false, so that a failing step can return it.
    bool Fail(const char* text, const char* caption) const;
    // Shows why the file was refused after dropping its buffers; false.
    bool Refuse(const std::string& text);
    void ReleaseBuffers();

    std::string path_;       // the file being loaded, for messages that name it
    bool drawable_ = false;  // both buffers filled, checked and unlocked
};
