// Loading: Mesh::Load against one read of the same file into memory (and, between the two,
// the floor's loader that reads straight into locked buffers); Material::Load against one
// read of the material file plus the texture it names.
#pragma once

#include <cstdint>
#include <string>

#include "grid_mesh.h"

struct MeshLoadComparison {
    bool ok;
    std::string error;
    int repetitions;       // measured loads of each kind, after one unmeasured load of each
    double meshLoadMs;     // Mesh::Load, median
    double directMs;       // header, then one ReadFile into each locked buffer, median
    double readMs;         // open, one ReadFile of the whole file into memory, close, median
};

MeshLoadComparison CompareMeshLoad(const GridMeshFile& file, int repetitions);

struct MaterialLoadComparison {
    bool ok;
    std::string error;
    int loads;
    double loadUs;   // Material::Load, median
    double floorUs;  // one ReadFile of the material file and D3DXCreateTextureFromFileA, median
};

MaterialLoadComparison CompareMaterialLoad(const char* path, int loads);
