// mesh_tool info FILE: what a mesh file holds and whether the program loads it.
#pragma once

#include <ostream>
#include <string>

// Prints to `out` the counts, the file's size against the size that the counts need, the
// bounds of the positions, how many triangles face a camera at (0, 0, -10) and how many
// face away, how many of its connected parts are closed and how many of those are inside out,
// every index that is not below the vertex count and the indices left over.
// Returns true when the program loads the file; otherwise `refusal` holds the loader's own
// reason.
bool DescribeMeshFile(const std::string& path, std::ostream& out, std::string& refusal);
