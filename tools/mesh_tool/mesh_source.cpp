#include "mesh_source.h"

#include "source_lines.h"

namespace {

struct Parser {
    const std::string& path;
    MeshData& mesh;
    std::string& error;
    std::vector<int> triangleLines;  // source line of each triangle, for late complaints

    bool Fail(int line, const std::string& message) {
        error = SourceError(path, line, message);
        return false;
    }

    bool Number(const SourceLine& line, std::size_t index, float& value) {
        if (ParseFloat(line.words[index], value)) return true;
        return Fail(line.number, "'" + line.words[index] + "' is not a number");
    }

    bool Color(const SourceLine& line, std::size_t index, std::uint32_t& argb) {
        if (ParseHexColor(line.words[index], 8, argb)) return true;
        return Fail(line.number,
                    "'" + line.words[index] + "' is not a colour of the form #AARRGGBB");
    }

    bool Vertex(const SourceLine& line) {
        if (!CheckWordCount(path, line, 7, "vertex X Y Z #AARRGGBB U V", error)) return false;
        MeshVertex vertex;
        if (!Number(line, 1, vertex.x) || !Number(line, 2, vertex.y) ||
            !Number(line, 3, vertex.z) || !Color(line, 4, vertex.color) ||
            !Number(line, 5, vertex.u) || !Number(line, 6, vertex.v)) {
            return false;
        }
        mesh.vertices.push_back(vertex);
        return true;
    }

    bool Triangle(const SourceLine& line) {
        if (!CheckWordCount(path, line, 4, "triangle A B C", error)) return false;
        std::uint32_t corners[3] = {0, 0, 0};
        for (std::size_t i = 0; i < 3; ++i) {
            const std::string& word = line.words[i + 1];
            if (!ParseUnsigned(word, corners[i])) {
                return Fail(line.number, "'" + word + "' is not a vertex number");
            }
        }
        if (corners[0] == corners[1] || corners[1] == corners[2] || corners[0] == corners[2]) {
            return Fail(line.number, "a triangle names the same vertex twice");
        }
        mesh.indices.insert(mesh.indices.end(), corners, corners + 3);
        triangleLines.push_back(line.number);
        return true;
    }

    bool Line(const SourceLine& line) {
        const std::string& word = line.words[0];
        if (word == "vertex") return Vertex(line);
        if (word == "triangle") return Triangle(line);
        return Fail(line.number, "unknown word '" + word + "'");
    }

    bool IndicesInRange() {
        for (std::size_t i = 0; i < mesh.indices.size(); ++i) {
            if (mesh.indices[i] >= mesh.vertices.size()) {
                return Fail(triangleLines[i / 3],
                            "vertex " + std::to_string(mesh.indices[i]) + " does not exist (" +
                                std::to_string(mesh.vertices.size()) + " vertices)");
            }
        }
        return true;
    }
};

}  // namespace

bool LoadMeshSource(const std::string& path, MeshData& mesh, std::string& error) {
    std::vector<SourceLine> lines;
    if (!ReadSourceLines(path, lines, error)) return false;
    Parser parser{path, mesh, error, {}};
    for (const SourceLine& line : lines) {
        if (!parser.Line(line)) return false;
    }
    if (mesh.indices.empty()) {
        return parser.Fail(lines.empty() ? 1 : lines.back().number,
                           "the source ends without any triangle");
    }
    return parser.IndicesInRange();
}
