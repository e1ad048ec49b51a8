#include "model_import.h"

#include <assimp/Importer.hpp>
#include <assimp/material.h>
#include <assimp/postprocess.h>
#include <assimp/scene.h>

#include "formats/mesh_file_check.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <unordered_map>
#include <vector>

namespace {

// Transforms, handedness and winding are done here rather than by the library's steps: its
// step that bakes node transforms keeps a mirrored node's winding, turning it inside out,
// and its step that joins vertices (in the Debian release) ignores colours. SortByPType
// puts points and lines in meshes of their own, which are left out.
constexpr unsigned kSteps =
    aiProcess_Triangulate | aiProcess_SortByPType | aiProcess_ValidateDataStructure;
constexpr std::uint64_t kMostVertices = kLargestMeshBuffer / kMeshVertexBytes;

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

// A vertex record as its bytes: two vertices are joined only when all of them are equal.
struct VertexBytes {
    std::uint32_t words[6];
    bool operator==(const VertexBytes& other) const {
        return std::memcmp(words, other.words, sizeof words) == 0;
    }
};
struct HashVertexBytes {
    std::size_t operator()(const VertexBytes& key) const {
        std::uint64_t hash = 14695981039346656037ull;  // FNV-1a over the words
        for (const std::uint32_t word : key.words) hash = (hash ^ word) * 1099511628211ull;
        return static_cast<std::size_t>(hash);
    }
};
static_assert(sizeof(MeshVertex) == sizeof(VertexBytes), "a vertex record is six words");

class Builder {
public:
    explicit Builder(MeshData& mesh) : mesh_(mesh) {}

    // One placement of `source` under the node transform `place`. False when the mesh
    // would need more vertices than a mesh file holds.
    bool Add(const aiScene& scene, const aiMesh& source, const aiMatrix4x4& place) {
        if ((source.mPrimitiveTypes & aiPrimitiveType_TRIANGLE) == 0) return true;
        const std::uint32_t color = MaterialColor(scene, source.mMaterialIndex);
        std::vector<std::uint32_t> index(source.mNumVertices);
        for (unsigned i = 0; i < source.mNumVertices; ++i) {
            const aiVector3D p = place * source.mVertices[i];
            MeshVertex vertex;
            // Left-handed: z mirrored. + 0 turns the -0 that mirroring 0 gives into 0,
            // so that equal points join.
            vertex.x = p.x + 0.0f;
            vertex.y = p.y + 0.0f;
            vertex.z = -p.z + 0.0f;
            vertex.color = source.HasVertexColors(0) ? Argb(source.mColors[0][i]) : color;
            if (source.HasTextureCoords(0)) {  // v = 0 at the image's top row
                vertex.u = source.mTextureCoords[0][i].x;
                vertex.v = 1.0f - source.mTextureCoords[0][i].y;
            }
            if (!Join(vertex, index[i])) return false;
        }
        // Mirroring z turns every triangle's corners the other way round on screen, and so
        // does a mirroring placement: reversed once, the corners run clockwise seen from the
        // outside; a placement with a negative determinant undoes that.
        const bool reverse = !(place.Determinant() < 0);
        for (unsigned f = 0; f < source.mNumFaces; ++f) {
            const aiFace& face = source.mFaces[f];
            if (face.mNumIndices != 3 || face.mIndices[0] >= source.mNumVertices ||
                face.mIndices[1] >= source.mNumVertices ||
                face.mIndices[2] >= source.mNumVertices) {
                continue;
            }
            mesh_.indices.push_back(index[face.mIndices[0]]);
            mesh_.indices.push_back(index[face.mIndices[reverse ? 2 : 1]]);
            mesh_.indices.push_back(index[face.mIndices[reverse ? 1 : 2]]);
        }
        return true;
    }

private:
    bool Join(const MeshVertex& vertex, std::uint32_t& number) {
        VertexBytes key;
        std::memcpy(key.words, &vertex, sizeof key.words);
        const auto found = numbers_.find(key);
        if (found != numbers_.end()) {
            number = found->second;
            return true;
        }
        if (mesh_.vertices.size() >= kMostVertices) return false;
        number = static_cast<std::uint32_t>(mesh_.vertices.size());
        numbers_.emplace(key, number);
        mesh_.vertices.push_back(vertex);
        return true;
    }

    MeshData& mesh_;
    std::unordered_map<VertexBytes, std::uint32_t, HashVertexBytes> numbers_;
};

// Every mesh of every node, placed by the node's transform times its parents'. The tree
// is walked with a stack of its own, as a crafted file may nest nodes deeply.
bool AddNodes(const aiScene& scene, MeshData& mesh) {
    Builder builder(mesh);
    struct Placed {
        const aiNode* node;
        aiMatrix4x4 place;
    };
    std::vector<Placed> stack{{scene.mRootNode, scene.mRootNode->mTransformation}};
    while (!stack.empty()) {
        const Placed at = stack.back();
        stack.pop_back();
        for (unsigned m = 0; m < at.node->mNumMeshes; ++m) {
            const unsigned number = at.node->mMeshes[m];
            if (number < scene.mNumMeshes &&
                !builder.Add(scene, *scene.mMeshes[number], at.place)) {
                return false;
            }
        }
        for (unsigned c = at.node->mNumChildren; c-- > 0;) {  // first child walked first
            const aiNode* child = at.node->mChildren[c];
            stack.push_back({child, at.place * child->mTransformation});
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
    if (scene->mRootNode != nullptr && !AddNodes(*scene, mesh)) {
        error = path + ": the model has more vertices than a mesh file can hold";
        return false;
    }
    if (mesh.indices.empty()) {
        error = path + ": the model has no triangles";
        return false;
    }
    return true;
}
