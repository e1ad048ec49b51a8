#include "mesh_file.h"

#include "little_endian.h"

#include <cstring>

namespace {

void PutFloat(std::vector<std::uint8_t>& out, float value) {
    static_assert(sizeof(float) == 4, "the file holds IEEE single-precision floats");
    std::uint32_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    PutU32(out, bits);
}

}  // namespace

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
