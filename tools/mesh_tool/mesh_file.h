// The binary mesh file that the program loads: the vertex and index counts as two
// little-endian 32-bit unsigned integers, then the 24-byte vertex records (x, y, z as
// floats, the colour as 0xAARRGGBB, u, v as floats), then the 32-bit indices.
#pragma once

#include "mesh_source.h"

#include <cstdint>
#include <string>
#include <vector>

// False with `error` naming `source` when the mesh's counts do not fit a mesh file that
// the program can load.
bool CheckMeshFits(const std::string& source, const MeshData& mesh, std::string& error);

std::vector<std::uint8_t> EncodeMesh(const MeshData& mesh);
