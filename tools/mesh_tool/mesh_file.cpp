#include "mesh_file.h"

#include "little_endian.h"
#include "formats/mesh_file_check.h"

#include <cstring>
#include <limits>

namespace {

void PutFloat(std::vector<std::uint8_t>& out, float value) {
    static_assert(sizeof(float) == 4, "the file holds IEEE single-precision floats");
    std::uint32_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    PutU32(out, bits);
}

}  // namespace

bool CheckMeshFits(const std::string& source, const MeshData& mesh, std::string& error) {
    const std::size_t most = std::numeric_limits<std::uint32_t>::max();
    if (mesh.vertices.size() <= most && mesh.indices.size() <= most) {
        const auto vertices = static_cast<std::uint32_t>(mesh.vertices.size());
        const auto indices = static_cast<std::uint32_t>(mesh.indices.size());
        const std::string why =
            MeshCountsRefusal(source, MeshFileBytes(vertices, indices), vertices, indices);
        if (why.empty()) return true;
    }
    error = source + ": " + std::to_string(mesh.vertices.size()) + " vertices and " +
            std::to_string(mesh.indices.size()) +
            " indices do not fit a mesh file: its buffers can hold at most " +
            std::to_string(kLargestMeshBuffer / kMeshVertexBytes) + " vertices and " +
            std::to_string(kLargestMeshBuffer / kMeshIndexBytes) + " indices";
    return false;
}

std::vector<std::uint8_t> EncodeMesh(const MeshData& mesh) {
    std::vector<std::uint8_t> out;
    out.reserve(8 + 24 * mesh.vertices.size() + 4 * mesh.indices.size());
    PutU32(out, static_cast<std::uint32_t>(mesh.vertices.size()));
    PutU32(out, static_cast<std::uint32_t>(mesh.indices.size()));
    for (const MeshVertex& vertex : mesh.vertices) {
        PutFloat(out, vertex.x);
        PutFloat(out, vertex.y);
        PutFloat(out, vertex.z);
        PutU32(out, vertex.color);
        PutFloat(out, vertex.u);
        PutFloat(out, vertex.v);
    }
    for (const std::uint32_t index : mesh.indices) PutU32(out, index);
    return out;
}
