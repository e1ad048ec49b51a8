#include "formats/mesh_file_check.h"

namespace {
std::string Damaged(const std::string& path, uint64_t fileBytes) {
    return "The mesh file " + path + " is damaged: it holds " + std::to_string(fileBytes) +
           " bytes";
}
}  // namespace

uint64_t MeshFileBytes(uint32_t vertexCount, uint32_t indexCount) {
    return kMeshHeaderBytes + uint64_t{vertexCount} * kMeshVertexBytes +
           uint64_t{indexCount} * kMeshIndexBytes;
}

std::string MeshHeaderRefusal(const std::string& path, uint64_t fileBytes) {
    if (fileBytes >= kMeshHeaderBytes) return "";
    return Damaged(path, fileBytes) + ", fewer than its " + std::to_string(kMeshHeaderBytes) +
           "-byte header";
}

std::string MeshCountsRefusal(const std::string& path, uint64_t fileBytes, uint32_t vertexCount,
                              uint32_t indexCount) {
    const uint64_t needed = MeshFileBytes(vertexCount, indexCount);
    if (needed > fileBytes) {
        return Damaged(path, fileBytes) + " but its counts need " + std::to_string(needed);
    }
    const uint64_t vertexBytes = uint64_t{vertexCount} * kMeshVertexBytes;
    const uint64_t indexBufferBytes = uint64_t{indexCount / 3} * 3 * kMeshIndexBytes;
    if (vertexBytes > kLargestMeshBuffer || indexBufferBytes > kLargestMeshBuffer) {
        return "The mesh file " + path + " is too large: its counts need buffers of " +
               std::to_string(vertexBytes) + " and " + std::to_string(indexBufferBytes) +
               " bytes, more than Direct3D can make";
    }
    return "";
}

std::string MeshIndexRefusal(const std::string& path, uint64_t position, uint32_t vertex,
                             uint32_t vertexCount) {
    return "The mesh file " + path + " is damaged: index " + std::to_string(position) +
           " names vertex " + std::to_string(vertex) + " but the file has " +
           std::to_string(vertexCount) + " vertices";
}
