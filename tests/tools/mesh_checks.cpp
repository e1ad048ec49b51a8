// mesh_tool: the bytes it writes from the project's sources and from models in every
// interchange format, and its refusals of bad ones.
#include "host_check.h"

#include "formats/byte_reader.h"
#include "formats/mesh_file_check.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <optional>
#include <set>

namespace {
const std::string kModels = SourcePath("tests/fixtures/models/");
constexpr int64_t kFixedUnit = 256;  // coordinates are compared in whole 1/256ths

struct Point { int64_t x, y, z; };

// What a mesh file must hold. Clockwise to a viewer at E means (p1 - p0) x (p2 - p0) points
// toward E in these left-handed coordinates. Always checked: every index is below the vertex
// count, and no triangle's texture is mirrored: its (u, v) run clockwise in the image (v
// down), as its corners do on screen when it is seen.
struct MeshExpect {
    uint32_t vertices = 0, indices = 0;
    std::set<uint32_t> colours{};              // the distinct vertex colours (AARRGGBB), if given
    std::optional<std::array<int, 6>> bounds{};  // x0 x1 y0 y1 z0 z1, whole units
    std::optional<Point> outsideOf{};  // each triangle clockwise seen from away from this point
    std::optional<Point> seenFrom{};   // each triangle clockwise, so drawn, seen from here
    std::optional<int> uprightAtZ{};   // on the face in this plane u grows with x, v falls with y
    bool noTextureCoordinates = false;  // every (u, v) is (0, 0), instead of the mirror check
};

Point Units(int x, int y, int z) { return {x * kFixedUnit, y * kFixedUnit, z * kFixedUnit}; }

// The float at `offset` in 1/256ths, cut toward zero.
int64_t Fixed(const ByteReader& bytes, size_t offset) {
    const float value = bytes.F32(offset);
    EXPECT_TRUE(std::isfinite(value) && std::fabs(value) < 0x1p44f) << "float at byte " << offset;
    return std::isfinite(value) ? static_cast<int64_t>(static_cast<double>(value) * kFixedUnit) : 0;
}

int64_t Dot(const Point& a, const Point& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
Point Minus(const Point& a, const Point& b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }

void CheckMeshFile(const std::string& path, const MeshExpect& expect) {
    SCOPED_TRACE(path);
    std::vector<uint8_t> file = ReadBytes(path);
    ByteReader bytes(file.data(), file.size());
    ASSERT_EQ(bytes.U32(0), expect.vertices);
    ASSERT_EQ(bytes.U32(4), expect.indices);
    ASSERT_EQ(bytes.Size(), MeshFileBytes(expect.vertices, expect.indices));
    ASSERT_EQ(expect.indices % 3, 0u) << "indices do not make whole triangles";

    auto vertexAt = [](uint32_t v) { return kMeshHeaderBytes + kMeshVertexBytes * size_t{v}; };
    auto position = [&](uint32_t v) {
        return Point{Fixed(bytes, vertexAt(v)), Fixed(bytes, vertexAt(v) + 4), Fixed(bytes, vertexAt(v) + 8)};
    };
    std::set<uint32_t> colours;
    Point low = position(0), high = low;
    for (uint32_t v = 0; v < expect.vertices; ++v) {
        Point p = position(v);
        low = {std::min(low.x, p.x), std::min(low.y, p.y), std::min(low.z, p.z)};
        high = {std::max(high.x, p.x), std::max(high.y, p.y), std::max(high.z, p.z)};
        colours.insert(bytes.U32(vertexAt(v) + 12));
        if (expect.noTextureCoordinates) {
            EXPECT_EQ(bytes.U64(vertexAt(v) + 16), 0u) << "vertex " << v << " has a texture coordinate";
        }
    }
    if (!expect.colours.empty()) {
        EXPECT_EQ(colours, expect.colours);
    }
    if (expect.bounds) {
        std::array<int, 6> bounds{};
        const int64_t sides[6] = {low.x, high.x, low.y, high.y, low.z, high.z};
        for (int i = 0; i < 6; ++i) bounds[i] = static_cast<int>(sides[i] / kFixedUnit);
        EXPECT_EQ(bounds, *expect.bounds) << "bounds x0 x1 y0 y1 z0 z1";
    }

    int upright = 0;
    const size_t indicesAt = vertexAt(expect.vertices);
    for (uint32_t t = 0; t < expect.indices / 3; ++t) {
        Point p[3];
        int64_t u[3], v[3];
        for (uint32_t k = 0; k < 3; ++k) {
            uint32_t index = bytes.U32(indicesAt + kMeshIndexBytes * (3 * t + k));
            ASSERT_LT(index, expect.vertices) << "triangle " << t;
            p[k] = position(index);
            u[k] = Fixed(bytes, vertexAt(index) + 16);
            v[k] = Fixed(bytes, vertexAt(index) + 20);
        }
        Point a = Minus(p[1], p[0]), b = Minus(p[2], p[0]);
        int64_t au = u[1] - u[0], bu = u[2] - u[0], av = v[1] - v[0], bv = v[2] - v[0];
        Point n{a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
        SCOPED_TRACE("triangle " + std::to_string(t) + " at (" + std::to_string(p[0].x) + " " +
                     std::to_string(p[0].y) + " " + std::to_string(p[0].z) + ") in 1/256ths");
        if (!expect.noTextureCoordinates) {
            EXPECT_GT(au * bv - av * bu, 0) << "mirrored or flat texture mapping";
        }
        if (expect.outsideOf) {
            EXPECT_GT(Dot(n, Minus(p[0], *expect.outsideOf)), 0) << "not clockwise from outside";
        }
        if (expect.seenFrom) {
            EXPECT_GT(Dot(n, Minus(*expect.seenFrom, p[0])), 0) << "culled as seen from the eye";
        }
        int64_t z = expect.uprightAtZ ? *expect.uprightAtZ * kFixedUnit : 0;
        if (expect.uprightAtZ && p[0].z == z && p[1].z == z && p[2].z == z) {
            // u = a x + b y + c over the triangle: a and b have the signs of these over det's.
            int64_t det = a.x * b.y - b.x * a.y;
            EXPECT_GT((au * b.y - bu * a.y) * det, 0) << "texture turned or mirrored";
            EXPECT_EQ(a.x * bu - b.x * au, 0) << "texture turned";
            EXPECT_EQ(av * b.y - bv * a.y, 0) << "texture turned";
            EXPECT_LT((a.x * bv - b.x * av) * det, 0) << "texture upside down";
            ++upright;
        }
    }
    if (expect.uprightAtZ) {
        EXPECT_GT(upright, 0) << "no triangle lies at z = " << *expect.uprightAtZ;
    }
}

// A .gltf whose one buffer is a base64 data URI, packed into a binary .glb (12-byte header,
// a JSON chunk without the URI, a BIN chunk of the decoded buffer), so that no binary model
// is kept in the source tree.
void PackGlb(const std::string& gltf, const std::string& glb) {
    std::string json = ReadText(gltf);
    const std::string kUri = "\"uri\": \"data:application/octet-stream;base64,";
    size_t from = json.find(kUri), to = json.find('"', from + kUri.size());
    ASSERT_NE(from, std::string::npos) << gltf << ": no buffer in a base64 data URI";
    WriteText(glb + ".base64", json.substr(from + kUri.size(), to - from - kUri.size()));
    ToolRun decoded = RunTool({"base64", "--decode", glb + ".base64"});
    ASSERT_EQ(decoded.status, 0) << "the buffer is not base64: " << decoded.errors;
    std::string bin = decoded.out;
    json.erase(from, json.find_first_not_of(" ,", to + 1) - from);
    while (json.size() % 4) json += ' ';
    while (bin.size() % 4) bin.push_back(0);
    std::vector<uint8_t> out;
    auto u32 = [&](size_t value) {
        for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(value >> 8 * i));
    };
    u32(0x46546C67), u32(2), u32(12 + 8 + json.size() + 8 + bin.size());
    u32(json.size()), u32(0x4E4F534A), out.insert(out.end(), json.begin(), json.end());
    u32(bin.size()), u32(0x004E4942), out.insert(out.end(), bin.begin(), bin.end());
    WriteBytes(glb, out);
}
}  // namespace

// The one-triangle mesh, field by field: counts, three vertices (x y z, colour as blue green
// red alpha, u v), three indices. 92 bytes.
TEST(mesh_tool, triangle_fixture) {
    const std::string out =
        Made("mesh_tool", "tests/fixtures/triangle.mesh.txt", "triangle.mesh.bin");
    EXPECT_EQ(ReadBytes(out), FromHex("03000000 03000000"
        "000080BF 000080BF 00000000 0000FFFF 00000000 0000803F"
        "00000000 0000803F 00000000 00FF00FF 0000003F 00000000"
        "0000803F 000080BF 00000000 FF0000FF 0000803F 0000803F"
        "00000000 01000000 02000000"));
}

// Every face turned outward, so the camera sees the faces toward it and no others; the
// texture unmirrored everywhere and upright on the front face (z = -1).
TEST(mesh_tool, cube) {
    MeshExpect expect{24, 36};
    expect.outsideOf = Units(0, 0, 0);
    expect.uprightAtZ = -1;
    CheckMeshFile(Made("mesh_tool", "assets/meshes/cube.mesh.txt", "cube.mesh.bin"), expect);
}

// The floor is drawn, not culled, from where the camera starts.
TEST(mesh_tool, plane) {
    MeshExpect expect{4, 6};
    expect.seenFrom = Units(0, 0, -10);
    CheckMeshFile(Made("mesh_tool", "assets/meshes/plane.mesh.txt", "plane.mesh.bin"), expect);
}

// One small model per interchange format: a square card at z = 1 facing +z, right-handed
// with counter-clockwise front faces. Imported, it must lie at z = -1, every triangle drawn
// from the camera, its texture upright (where the format carries texture coordinates), with
// the vertex colours, else the material's diffuse colours, else white. The OBJ card is two
// meshes with a material each; the glTF card is placed by its node; the .glb is packed from
// the .gltf here. The colour-edge card is a red and a blue square that meet in the same
// positions: each keeps its own corners there, and so its colour.
TEST(mesh_tool, models) {
    struct Model {
        const char* input; uint32_t vertices, indices; std::set<uint32_t> colours; bool upright;
    };
    const uint32_t kRed = 0xFFFF0000, kGreen = 0xFF00FF00, kBlue = 0xFF0000FF, kWhite = 0xFFFFFFFF;
    const Model kModelRows[] = {
        {"card.obj", 8, 12, {kRed, kGreen}, true},
        {"card.gltf", 4, 6, {kRed, kGreen, kBlue, kWhite}, true},
        {"card.glb", 4, 6, {kRed, kGreen, kBlue, kWhite}, true},
        {"card.ply", 4, 6, {kRed, kGreen, kBlue, kWhite}, true},
        {"card.stl", 4, 6, {kWhite}, false},
        {"card.fbx", 4, 6, {0xFFFFFF00}, true},
        {"card.dae", 4, 6, {kBlue}, true},
        {"colour_edge.ply", 8, 12, {kRed, kBlue}, false},
    };
    std::string work = Scratch("models") + "/";
    PackGlb(kModels + "card.gltf", work + "card.glb");
    for (const Model& model : kModelRows) {
        SCOPED_TRACE(model.input);
        std::string input = (model.input == std::string("card.glb") ? work : kModels) + model.input;
        MeshExpect expect{model.vertices, model.indices, model.colours, {{-1, 1, -1, 1, -1, -1}}};
        expect.seenFrom = Units(0, 0, -10);
        if (model.upright) expect.uprightAtZ = -1;
        expect.noTextureCoordinates = !model.upright;
        CheckMeshFile(Convert("mesh_tool", {input}, work + model.input + ".mesh.bin"), expect);
    }
}

// A cube placed by a child node that mirrors x and moves it 2 along x: its triangles run the
// other way round in the scene, and it must still come out with its outside out.
TEST(mesh_tool, mirrored) {
    std::string work = Scratch("mirrored") + "/";
    for (const char* model : {"mirrored_cube.gltf", "mirrored_cube.dae"}) {
        MeshExpect expect{8, 36, {}, {{1, 3, -1, 1, -1, 1}}, Units(2, 0, 0)};
        expect.noTextureCoordinates = true;
        CheckMeshFile(Convert("mesh_tool", {kModels + model}, work + model + ".mesh.bin"), expect);
    }
}

// Fitted to 4 units and centred on the origin.
TEST(mesh_tool, fit) {
    MeshExpect expect{8, 12, {}, {{-2, 2, -2, 2, 0, 0}}};
    expect.seenFrom = Units(0, 0, -10);
    expect.uprightAtZ = 0;
    const char* const kCard = "tests/fixtures/models/card.obj";
    CheckMeshFile(Made("mesh_tool", kCard, "card_fit.mesh.bin", {"--fit", "4"}), expect);
}

TEST(mesh_tool, refuses_bad_input) {
    const std::string kVertex = "vertex 0 0 0 #FFFFFFFF 0 0\n", kVertex1 = "vertex 1 0 0 #FFFFFFFF 0 0\n";
    const std::string kThree = kVertex + kVertex1 + "vertex 0 1 0 #FFFFFFFF 0 0\n";
    std::string work = Scratch("mesh_refusals");
    ExpectRefusals("mesh_tool", work, ".txt", {
        {"unknown_word", "# a comment\n" + kVertex + "vertexx 1 0 0 #FFFFFFFF 0 0\n", 3, "unknown word 'vertexx'"},
        {"bad_number", kVertex + "vertex 1 0 0.5.1 #FFFFFFFF 0 0\n", 2, "'0.5.1' is not a number"},
        {"infinite_number", "vertex 1e39 0 0 #FFFFFFFF 0 0\n", 1, "not a number"},
        {"bad_colour", "vertex 0 0 0 #FFFFFF 0 0\n", 1, "not a colour"},
        {"missing_field", "vertex 0 0 0 #FFFFFFFF 0\n", 1, "missing values"},
        {"extra_field", "vertex 0 0 0 #FFFFFFFF 0 0 0\n", 1, "too many values"},
        {"missing_corner", kThree + "triangle 0 1\n", 4, "missing values"},
        {"negative_index", kThree + "triangle 0 1 -2\n", 4, "not a vertex number"},
        // The check comes once all vertices are known, and still names the triangle's line.
        {"index_not_below_count", kVertex + "triangle 0 1 3\n" + kVertex1 + "vertex 0 1 0 #FFFFFFFF 0 0\n\n",
         2, "vertex 3 does not exist \\(3 vertices\\)"},
        {"repeated_corner", kVertex + kVertex1 + "triangle 0 1 1\n", 3, "same vertex twice"},
        {"no_triangle", kVertex + "# nothing else\n", 1, "without any triangle"},
    }, true, false);
    // Models that the import library refuses, or that hold no triangle.
    ExpectRefusals("mesh_tool", work, "", {
        {"cut.gltf", "{ \"asset\": ", 0, "the model cannot be read: "},
        {"no_magic.ply", "format ascii 1.0\nelement vertex 0\nend_header\n", 0, "the model cannot be read: "},
        {"lines.obj", "v 0 0 0\nv 1 0 0\nl 1 2\n", 0, "the model has no triangles"},
    }, true, false);
}
