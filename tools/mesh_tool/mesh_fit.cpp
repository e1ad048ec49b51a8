#include "mesh_fit.h"

#include <algorithm>
#include <cmath>

bool FitMesh(const std::string& source, float size, MeshData& mesh, std::string& error) {
    float low[3] = {INFINITY, INFINITY, INFINITY};
    float high[3] = {-INFINITY, -INFINITY, -INFINITY};
    for (const MeshVertex& vertex : mesh.vertices) {
        const float p[3] = {vertex.x, vertex.y, vertex.z};
        for (int axis = 0; axis < 3; ++axis) {
            low[axis] = std::min(low[axis], p[axis]);
            high[axis] = std::max(high[axis], p[axis]);
        }
    }
    float extent = 0.0f;
    float centre[3] = {0, 0, 0};
    for (int axis = 0; axis < 3; ++axis) {
        extent = std::max(extent, high[axis] - low[axis]);
        centre[axis] = low[axis] / 2 + high[axis] / 2;
    }
    if (!(extent > 0.0f) || !std::isfinite(extent)) {
        error = source + ": the model has no extent to fit to a size";
        return false;
    }
    const float scale = size / extent;
    for (MeshVertex& vertex : mesh.vertices) {
        vertex.x = (vertex.x - centre[0]) * scale;
        vertex.y = (vertex.y - centre[1]) * scale;
        vertex.z = (vertex.z - centre[2]) * scale;
    }
    return true;
}
