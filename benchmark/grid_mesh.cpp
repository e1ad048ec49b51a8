#include "grid_mesh.h"

#include <fstream>
#include <vector>

#include "mesh/mesh.h"

bool WriteGridMesh(const std::string& path, uint32_t side, GridMeshFile* file) {
    const uint32_t cells = side - 1;
    std::vector<MeshVertex> vertices;
    vertices.reserve(static_cast<size_t>(side) * side);
    const float step = 2.0f / static_cast<float>(cells);
    for (uint32_t row = 0; row < side; ++row) {
        for (uint32_t column = 0; column < side; ++column) {
            const float u = static_cast<float>(column) / static_cast<float>(cells);
            const float v = static_cast<float>(row) / static_cast<float>(cells);
            vertices.push_back({-1.0f + step * static_cast<float>(column),
                                1.0f - step * static_cast<float>(row), 0.0f, 0xFFFFFFFFu, u, v});
        }
    }
    // Top-left, top-right, bottom-left: clockwise on screen, so not culled.
    std::vector<uint32_t> indices;
    indices.reserve(static_cast<size_t>(cells) * cells * 3);
    for (uint32_t row = 0; row < cells; ++row) {
        for (uint32_t column = 0; column < cells; ++column) {
            const uint32_t topLeft = row * side + column;
            indices.push_back(topLeft);
            indices.push_back(topLeft + 1);
            indices.push_back(topLeft + side);
        }
    }
    const uint32_t header[2] = {static_cast<uint32_t>(vertices.size()),
                                static_cast<uint32_t>(indices.size())};
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(header), sizeof header);
    out.write(reinterpret_cast<const char*>(vertices.data()),
              static_cast<std::streamsize>(vertices.size() * sizeof(MeshVertex)));
    out.write(reinterpret_cast<const char*>(indices.data()),
              static_cast<std::streamsize>(indices.size() * sizeof(uint32_t)));
    out.close();
    if (!out) return false;
    file->path = path;
    file->vertexCount = header[0];
    file->indexCount = header[1];
    file->bytes = sizeof header + vertices.size() * sizeof(MeshVertex) +
                  indices.size() * sizeof(uint32_t);
    return true;
}
