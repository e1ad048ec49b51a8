// Mesh files of any size for the loading and scale figures, in the program's mesh layout:
// an 8-byte header (vertex count, index count), 24-byte vertices, 4-byte indices.
#pragma once

#include <cstdint>
#include <string>

struct GridMeshFile {
    std::string path;
    uint32_t vertexCount;
    uint32_t indexCount;
    uint64_t bytes;
};

// A `side` by `side` grid of white vertices spanning -1 to 1 in x and y at z = 0, facing
// the camera, with one triangle per grid cell: about three indices per vertex, and the same
// area on screen whatever the size. False when the file cannot be written.
bool WriteGridMesh(const std::string& path, uint32_t side, GridMeshFile* file);
