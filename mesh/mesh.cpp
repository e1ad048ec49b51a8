#include "mesh/mesh.h"

#include "formats/mesh_file_check.h"

#include <algorithm>
#include <cstring>

const D3DVERTEXELEMENT9 MeshVertexElements[4] = {
    {0, 0, D3DDECLTYPE_FLOAT3, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_POSITION, 0},
    {0, 12, D3DDECLTYPE_D3DCOLOR, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_COLOR, 0},
    {0, 16, D3DDECLTYPE_FLOAT2, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_TEXCOORD, 0},
    D3DDECL_END()};

namespace {
const char FileCaption[] = "No Mesh";
constexpr uint32_t IndexBytes = sizeof(uint32_t);
static_assert(IndexBytes == kMeshIndexBytes && sizeof(MeshVertex) == kMeshVertexBytes,
              "the loader reads the records that the checks measure");

// Buffers of a software-processing device must say so; hardware and mixed devices
// take plain write-only buffers.
DWORD BufferUsage(DWORD behaviorFlags) {
    const DWORD processing = behaviorFlags & (D3DCREATE_SOFTWARE_VERTEXPROCESSING |
                                              D3DCREATE_HARDWARE_VERTEXPROCESSING |
                                              D3DCREATE_MIXED_VERTEXPROCESSING);
    if (processing == D3DCREATE_SOFTWARE_VERTEXPROCESSING) {
        return D3DUSAGE_WRITEONLY | D3DUSAGE_SOFTWAREPROCESSING;
    }
    return D3DUSAGE_WRITEONLY;
}
}  // namespace

Mesh::~Mesh() { Release(); }

bool Mesh::Load(const char* path) {
    device = GraphicsState.device;
    window = GraphicsState.renderingWindow;
    path_ = path;
    position = {0.0f, 0.0f, 0.0f};
    if (!OpenFile()) return true;

    D3DDEVICE_CREATION_PARAMETERS parameters = {};
    if (FAILED(device->GetCreationParameters(&parameters))) {
        Fail("DirectX failed to get device creation parameters", "No Vertex Buffer");
        return true;
    }
    const DWORD bufferUsage = BufferUsage(parameters.BehaviorFlags);
    if (!LoadVertices(bufferUsage)) return true;
    LoadIndices(bufferUsage);
    return true;
}

// Opens the file and reads its header, refusing counts that the file cannot hold or
// that no buffer could take, so that no later read or write goes past a buffer.
bool Mesh::OpenFile() {
    fileStream.open(path_, std::ios::binary);
    if (!fileStream.is_open()) return Refuse("Windows failed to open the mesh file " + path_);
    fileStream.seekg(0, std::ios::end);
    const std::streamoff fileBytes = fileStream.tellg();
    fileStream.seekg(0, std::ios::beg);
    if (fileBytes < 0 || !fileStream) {
        return Refuse("Windows failed to read the mesh file " + path_);
    }

    std::string refusal = MeshHeaderRefusal(path_, static_cast<uint64_t>(fileBytes));
    if (!refusal.empty()) return Refuse(refusal);
    uint32_t header[2] = {0, 0};
    if (!ReadInto(header, sizeof header)) {
        return Refuse("Windows failed to read the mesh file " + path_);
    }
    refusal = MeshCountsRefusal(path_, static_cast<uint64_t>(fileBytes), header[0], header[1]);
    if (!refusal.empty()) return Refuse(refusal);
    vertexCount = header[0];
    indexCount = header[1];
    primitiveCount = indexCount / 3;
    return true;
}

bool Mesh::LoadVertices(DWORD usage) {
    if (FAILED(device->CreateVertexDeclaration(MeshVertexElements, &vertexDeclaration))) {
        return Fail("DirectX failed to create a Direct3D9 vertex declaration",
                    "No Vertex Declaration");
    }
    // Draw sets no declaration: every mesh has this layout, so the last one made current
    // serves them all.
    if (FAILED(device->SetVertexDeclaration(vertexDeclaration))) {
        return Fail("DirectX failed to set the vertex declaration", "No Vertex Declaration");
    }
    const UINT vertexBytes = vertexCount * vertexStride;  // bounded by OpenFile
    if (FAILED(device->CreateVertexBuffer(vertexBytes, usage, 0, D3DPOOL_DEFAULT, &vertexBuffer,
                                          nullptr))) {
        return Fail("DirectX failed to create a vertex buffer", "No Vertex Buffer");
    }
    void* vertices = nullptr;
    if (FAILED(vertexBuffer->Lock(0, 0, &vertices, 0))) {
        return Fail("DirectX failed to lock the vertex buffer", "No Vertex Buffer");
    }
    const bool complete = ReadInto(vertices, vertexBytes);
    const HRESULT unlocked = vertexBuffer->Unlock();
    if (!complete) return Refuse("Windows failed to read the mesh file " + path_);
    if (FAILED(unlocked)) {
        return Fail("DirectX failed to unlock the vertex buffer", "No Vertex Buffer");
    }
    return true;
}

bool Mesh::LoadIndices(DWORD usage) {
    const uint32_t indicesRead = primitiveCount * 3;  // leftover indices belong to no triangle
    const UINT indexBytes = indicesRead * IndexBytes;  // bounded by OpenFile
    if (FAILED(device->CreateIndexBuffer(indexBytes, usage, D3DFMT_INDEX32, D3DPOOL_DEFAULT,
                                         &indexBuffer, nullptr))) {
        return Fail("DirectX failed to create an index buffer", "No Index Buffer");
    }
    void* data = nullptr;
    if (FAILED(indexBuffer->Lock(0, 0, &data, 0))) {
        return Fail("DirectX failed to lock the index buffer", "No Index Buffer");
    }
    std::string refusal;
    const bool complete = ReadIndices(static_cast<uint32_t*>(data), indicesRead, &refusal);
    fileStream.close();
    const HRESULT unlocked = indexBuffer->Unlock();
    if (!complete) return Refuse("Windows failed to read the mesh file " + path_);
    if (!refusal.empty()) return Refuse(refusal);
    if (FAILED(unlocked)) {
        return Fail("DirectX failed to unlock the index buffer", "No Index Buffer");
    }
    drawable_ = true;
    return true;
}

// Indices pass through a small buffer so that each is checked before the device can see
// it, without reading back from the write-only memory of the lock.
bool Mesh::ReadIndices(uint32_t* destination, uint32_t count, std::string* refusal) {
    uint32_t chunk[4096];
    const uint32_t chunkCount = sizeof chunk / sizeof chunk[0];
    for (uint32_t done = 0; done < count;) {
        const uint32_t n = std::min(count - done, chunkCount);
        if (!ReadInto(chunk, n * IndexBytes)) return false;
        const uint32_t* bad = std::find_if(chunk, chunk + n, [this](uint32_t index) {
            return index >= vertexCount;
        });
        if (bad != chunk + n) {
            *refusal = MeshIndexRefusal(path_, done + static_cast<uint32_t>(bad - chunk), *bad,
                                        vertexCount);
            return true;
        }
        std::memcpy(destination + done, chunk, n * IndexBytes);
        done += n;
    }
    return true;
}

bool Mesh::ReadInto(void* data, UINT bytes) {
    fileStream.read(static_cast<char*>(data), static_cast<std::streamsize>(bytes));
    return fileStream.gcount() == static_cast<std::streamsize>(bytes);
}

bool Mesh::Fail(const char* text, const char* caption) const {
    MessageBoxA(window, text, caption, MB_ICONERROR);
    return false;
}

// A refused file leaves no buffers and no counts, so Draw has nothing to draw. A
// declaration already made current stays: it serves the other mesh just as well.
bool Mesh::Refuse(const std::string& text) {
    drawable_ = false;
    ReleaseBuffers();
    if (fileStream.is_open()) fileStream.close();
    vertexCount = 0;
    indexCount = 0;
    primitiveCount = 0;
    MessageBoxA(window, text.c_str(), FileCaption, MB_ICONERROR);
    return false;
}

void Mesh::Draw() {
    // Unfilled or still locked buffers would show garbage or read past the vertices.
    if (!drawable_) return;
    device->SetStreamSource(streamIndex, vertexBuffer, streamOffset, vertexStride);
    device->SetIndices(indexBuffer);
    device->DrawIndexedPrimitive(primitiveType, baseVertexIndex,
                                 static_cast<UINT>(baseVertexIndex), vertexCount, startIndex,
                                 primitiveCount);
}

void Mesh::ReleaseBuffers() {
    if (vertexBuffer != nullptr) {
        vertexBuffer->Release();
        vertexBuffer = nullptr;
    }
    if (indexBuffer != nullptr) {
        indexBuffer->Release();
        indexBuffer = nullptr;
    }
}

// Called while the device lives (ReleaseScene before the device goes); the destructor
// then finds nothing left to release.
void Mesh::Release() {
    drawable_ = false;
    ReleaseBuffers();
    if (vertexDeclaration != nullptr) {
        device->SetVertexDeclaration(nullptr);
        vertexDeclaration->Release();
        vertexDeclaration = nullptr;
    }
    if (fileStream.is_open()) fileStream.close();
}
