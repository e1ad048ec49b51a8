#include "load_benchmark.h"

#include <d3dx9.h>

#include <vector>

#include "floor_assets.h"
#include "graphics/graphics.h"
#include "material/material.h"
#include "mesh/mesh.h"
#include "timing.h"

MeshLoadComparison CompareMeshLoad(const GridMeshFile& file, int repetitions) {
    MeshLoadComparison comparison{};
    comparison.repetitions = repetitions;
    IDirect3DDevice9* device = GraphicsState.device;
    // Allocated and touched beforehand: the floor is the read alone.
    std::vector<char> memory(file.bytes);
    std::vector<double> meshLoads;
    std::vector<double> directLoads;
    std::vector<double> reads;
    for (int repetition = -1; repetition < repetitions; ++repetition) {
        int64_t start = Ticks();
        {
            Mesh mesh;
            mesh.Load(file.path.c_str());
            const int64_t end = Ticks();
            if (mesh.vertexBuffer == nullptr || mesh.indexBuffer == nullptr ||
                mesh.vertexCount != file.vertexCount) {
                comparison.error = "Mesh::Load did not load " + file.path;
                return comparison;
            }
            if (repetition >= 0) meshLoads.push_back(TicksToMilliseconds(end - start));
        }

        FloorObject object;
        std::string error;
        start = Ticks();
        const bool loaded = LoadFloorMesh(device, file.path.c_str(), &object, &error);
        const int64_t directEnd = Ticks();
        ReleaseFloorMesh(&object);
        if (!loaded) {
            comparison.error = error;
            return comparison;
        }
        if (repetition >= 0) directLoads.push_back(TicksToMilliseconds(directEnd - start));

        start = Ticks();
        const long long bytes = ReadWholeFileInto(file.path.c_str(), memory.data(), memory.size());
        const int64_t readEnd = Ticks();
        if (bytes != static_cast<long long>(file.bytes)) {
            comparison.error = "cannot read " + file.path;
            return comparison;
        }
        if (repetition >= 0) reads.push_back(TicksToMilliseconds(readEnd - start));
    }
    comparison.meshLoadMs = Median(meshLoads);
    comparison.directMs = Median(directLoads);
    comparison.readMs = Median(reads);
    comparison.ok = true;
    return comparison;
}

MaterialLoadComparison CompareMaterialLoad(const char* path, int loads) {
    MaterialLoadComparison comparison{};
    comparison.loads = loads;
    MaterialDescription description;
    if (!ReadMaterialDescription(path, &description)) {
        comparison.error = std::string("cannot read ") + path;
        return comparison;
    }
    IDirect3DDevice9* device = GraphicsState.device;
    std::vector<char> memory(1 << 16);
    std::vector<double> materialLoads;
    std::vector<double> floorLoads;
    materialLoads.reserve(static_cast<size_t>(loads));
    floorLoads.reserve(static_cast<size_t>(loads));
    const int warmUp = 10;
    for (int load = -warmUp; load < loads; ++load) {
        int64_t start = Ticks();
        {
            Material material;
            const bool loaded = material.Load(path);
            const int64_t end = Ticks();
            if (!loaded || material.texture == nullptr) {
                comparison.error = std::string("Material::Load did not load ") + path;
                return comparison;
            }
            if (load >= 0) materialLoads.push_back(TicksToMilliseconds(end - start) * 1000.0);
        }

        start = Ticks();
        const long long bytes = ReadWholeFileInto(path, memory.data(), memory.size());
        IDirect3DTexture9* texture = nullptr;
        D3DXCreateTextureFromFileA(device, description.texture.c_str(), &texture);
        const int64_t end = Ticks();
        if (texture == nullptr || bytes <= 0) {
            comparison.error = "cannot load " + description.texture;
            return comparison;
        }
        texture->Release();
        if (load >= 0) floorLoads.push_back(TicksToMilliseconds(end - start) * 1000.0);
    }
    comparison.loadUs = Median(materialLoads);
    comparison.floorUs = Median(floorLoads);
    comparison.ok = true;
    return comparison;
}
