// Which parts of a triangle mesh are closed, and whether each closed one has its outside out.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

struct SurfaceCount {
    std::uint64_t parts = 0;      // sets of triangles joined through shared corners
    std::uint64_t closed = 0;     // parts where every edge is met by one running back
    std::uint64_t insideOut = 0;  // closed parts that enclose a negative volume, but for
                                  // the inner walls of hollows
};

// Corners are the same point when their positions are equal, whatever else differs, so a
// hard colour edge does not open a surface. A triangle is clockwise from its visible side,
// as in the mesh file; a closed part seen from outside then encloses a positive volume.
SurfaceCount CountSurfaces(const std::vector<std::array<float, 3>>& positions,
                           const std::vector<std::array<std::uint32_t, 3>>& triangles);
