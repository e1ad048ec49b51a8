#include "model_import.h"

#include <assimp/Importer.hpp>
#include <assimp/material.h>
#include <assimp/postprocess.h>
#include <assimp/scene.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdint>
#include <limits>

namespace {

// aiProcess_ConvertToLeftHanded is MakeLeftHanded (z mirrored), FlipUVs and
// FlipWindingOrder: exactly the turn from the formats' conventions to the mesh file's.
// SortByPType puts points and lines in meshes of their own, which are left out.
constexpr unsigned kSteps = aiProcess_Triangulate | aiProcess_SortByPType |
                            aiProcess_JoinIdenticalVertices | aiProcess_PreTransformVertices |
                            aiProcess_ConvertToLeftHanded | aiProcess_ValidateDataStructure;

std::string Extension(const std::string& path) {
    const std::size_t slash = path.find_last_of("/\\");
    const std::size_t dot = path.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return "";
    std::string extension = path.substr(dot);
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return extension;
}

std::uint32_t Channel(float value, int shift) {
    const float clamped = std::isnan(value) ? 0.0f : std::min(std::max(value, 0.0f), 1.0f);
    return static_cast<std::uint32_t>(std::lround(clamped * 255.0f)) << shift;
}

std::uint32_t Argb(const aiColor4D& c) {
    return Channel(c.a, 24) | Channel(c.r, 16) | Channel(c.g, 8) | Channel(c.b, 0);
}

// The material's diffuse colour; white for the stand-in material that the library makes
// when the file names none (it would be a grey of the library's choosing).
std::uint32_t MaterialColor(const aiScene& scene, unsigned index) {
    const std::uint32_t white = 0xFFFFFFFFu;
    if (index >= scene.mNumMaterials) return white;
    const aiMaterial& material = *scene.mMaterials[index];
    aiString name;
    if (material.Get(AI_MATKEY_NAME, name) == aiReturn_SUCCESS &&
        std::string(name.C_Str()) == AI_DEFAULT_MATERIAL_NAME) {
        return white;
    }
    aiColor4D diffuse;
    if (material.Get(AI_MATKEY_COLOR_DIFFUSE, diffuse) != aiReturn_SUCCESS) return white;
    return Argb(diffuse);
}

bool AddMesh(const aiScene& scene, const aiMesh& source, MeshData& mesh) {
    if ((source.mPrimitiveTypes & aiPrimitiveType_TRIANGLE) == 0) return true;
    const std::uint64_t first = mesh.vertices.size();
    if (first + source.mNumVertices > std::numeric_limits<std::uint32_t>::max()) return false;
    const std::uint32_t color = MaterialColor(scene, source.mMaterialIndex);
    for (unsigned i = 0; i < source.mNumVertices; ++i) {
        MeshVertex vertex;
        // + 0 turns the -0 that mirroring z = 0 gives into 0.
        vertex.x = source.mVertices[i].x + 0.0f;
        vertex.y = source.mVertices[i].y + 0.0f;
        vertex.z = source.mVertices[i].z + 0.0f;
        vertex.color = source.HasVertexColors(0) ? Argb(source.mColors[0][i]) : color;
        if (source.HasTextureCoords(0)) {
            vertex.u = source.mTextureCoords[0][i].x;
            vertex.v = source.mTextureCoords[0][i].y;
        }
        mesh.vertices.push_back(vertex);
    }
    for (unsigned f = 0; f < source.mNumFaces; ++f) {
        const aiFace& face = source.mFaces[f];
        if (face.mNumIndices != 3) continue;
        for (unsigned k = 0; k < 3; ++k) {
            mesh.indices.push_back(static_cast<std::uint32_t>(first + face.mIndices[k]));
        }
    }
    return true;
}

}  // namespace

bool IsModelFile(const std::string& path) {
    const std::string extension = Extension(path);
    return !extension.empty() && extension != ".txt" &&
           Assimp::Importer().IsExtensionSupported(extension);
}

std::string ModelExtensions() {
    std::string list;
    Assimp::Importer().GetExtensionList(list);
    return list;
}

bool ImportModel(const std::string& path, MeshData& mesh, std::string& error) {
    Assimp::Importer importer;
    const aiScene* scene = importer.ReadFile(path, kSteps);
    if (scene == nullptr) {
        error = path + ": the model cannot be read: " + importer.GetErrorString();
        return false;
    }
    for (unsigned m = 0; m < scene->mNumMeshes; ++m) {
        if (!AddMesh(*scene, *scene->mMeshes[m], mesh)) {
            error = path + ": the model has more vertices than a mesh file can count";
            return false;
        }
    }
    if (mesh.indices.empty()) {
        error = path + ": the model has no triangles";
        return false;
    }
    return true;
}
