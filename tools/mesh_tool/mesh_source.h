// A mesh as its readable source gives it.
//
// Source lines:
//   vertex X Y Z #AARRGGBB U V   one vertex: position, colour (alpha, red, green, blue)
//                                and texture coordinate; vertices are numbered from 0 in
//                                the order of these lines
//   triangle A B C               three vertex numbers, clockwise as seen from the side
//                                that is to be visible
// Every vertex number must be below the number of vertex lines in the file; a triangle may
// come before the vertices it names. Numbers are decimal.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct MeshVertex {
    float x = 0, y = 0, z = 0;
    std::uint32_t color = 0;  // 0xAARRGGBB
    float u = 0, v = 0;
};

struct MeshData {
    std::vector<MeshVertex> vertices;
    std::vector<std::uint32_t> indices;  // three per triangle
};

// Reads and checks the source. On bad input returns false with `error` naming the file
// and line.
bool LoadMeshSource(const std::string& path, MeshData& mesh, std::string& error);
