// Scaling a mesh so that any model sits in front of the scene's camera.
#pragma once

#include "mesh_source.h"

#include <string>

// Scales the mesh evenly so that its largest extent along x, y or z is `size`, and moves
// the centre of its bounds to the origin. False with `error` (naming `source`) when the
// mesh has no extent to scale.
bool FitMesh(const std::string& source, float size, MeshData& mesh, std::string& error);
