// The fixed scene: two materials, two meshes and where they come from.
#pragma once

#include "material/material.h"
#include "mesh/mesh.h"

// Constructed in this order before WinMain runs, destroyed in reverse after it returns.
extern Material cubeMaterial;
extern Material planeMaterial;
extern Mesh cubeMesh;
extern Mesh planeMesh;

extern const char PlaneMaterialPath[];  // "data/material2.material"
extern const char CubeMaterialPath[];   // "data/material1.material"
extern const char CubeMeshPath[];       // "data/cube.mesh.bin"
extern const char PlaneMeshPath[];      // "data/plane.mesh.bin"

// Loads the materials and meshes, places the camera and writes the colour modifiers.
void SetUpScene();
// Releases every device object the scene holds, while the device is still alive.
void ReleaseScene();
