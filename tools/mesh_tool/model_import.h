// Models in the common interchange formats (Wavefront OBJ with its .mtl, glTF 2.0, PLY, STL,
// FBX, COLLADA and whatever else the import library reads), turned into the program's mesh.
//
// Those formats are right-handed and show a triangle whose corners run counter-clockwise;
// the mesh file is left-handed (z into the screen) and the program culls what runs
// counter-clockwise on screen. So z is mirrored, every triangle's corners are reversed, and
// v is flipped so that the image's top row is v = 0. Every mesh of the model goes into the
// one mesh, placed by its node's transforms and cut into triangles; points and lines are
// dropped. A mesh under a mirroring transform (negative determinant) has its corners turned
// back again, so that its outside stays outside.
//
// A vertex's colour is its first vertex colour, else its material's diffuse colour, else
// white (when the file gives no material). Its texture coordinate is from the first set,
// else (0, 0). Vertices are joined only where position, colour and texture coordinate are
// all equal, so colours and seams stay hard where the model has them.
#pragma once

#include "mesh_source.h"

#include <string>

// True when `path` names a model to import rather than a mesh source: by its extension.
bool IsModelFile(const std::string& path);

// The extensions that IsModelFile takes, as "*.obj;*.gltf;...".
std::string ModelExtensions();

// Reads the model in this process, with no bound on time or memory (model_bounds.h sets them).
// On failure returns false with `error` naming the file and the reason.
bool ImportModel(const std::string& path, MeshData& mesh, std::string& error);
