#include "mesh_info.h"

#include "info_command.h"
#include "formats/byte_reader.h"
#include "formats/mesh_file_check.h"
#include "mesh_surface.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <utility>
#include <vector>

namespace {

constexpr std::size_t kListedIndices = 10;  // bad indices shown one by one

struct Point {
    double x, y, z;
};

class MeshBytes {
public:
    explicit MeshBytes(std::vector<unsigned char> bytes)
        : bytes_(std::move(bytes)), reader_(bytes_.data(), bytes_.size()) {}
    MeshBytes(const MeshBytes&) = delete;  // the reader views this object's own bytes
    MeshBytes& operator=(const MeshBytes&) = delete;
    std::uint32_t Word(std::uint64_t offset) const { return reader_.U32(offset); }
    Point Position(std::uint32_t vertex) const {
        const std::uint64_t at = kMeshHeaderBytes + std::uint64_t{vertex} * kMeshVertexBytes;
        return {reader_.F32(at), reader_.F32(at + 4), reader_.F32(at + 8)};
    }
    // Triangle t's corners; false when one of them names a missing vertex.
    bool Triangle(std::uint32_t vertexCount, std::uint32_t t,
                  std::array<std::uint32_t, 3>& corner) const {
        const std::uint64_t at = kMeshHeaderBytes + std::uint64_t{vertexCount} * kMeshVertexBytes +
                                 3ull * t * kMeshIndexBytes;
        for (unsigned k = 0; k < 3; ++k) corner[k] = Word(at + k * kMeshIndexBytes);
        return corner[0] < vertexCount && corner[1] < vertexCount && corner[2] < vertexCount;
    }
    std::uint64_t Size() const { return reader_.Size(); }

private:
    std::vector<unsigned char> bytes_;
    ByteReader reader_;  // a view of bytes_
};

void PrintBounds(const MeshBytes& file, std::uint32_t vertexCount, std::ostream& out) {
    if (vertexCount == 0) {
        out << "  bounds: none (no vertices)\n";
        return;
    }
    Point low = file.Position(0), high = low;
    for (std::uint32_t i = 1; i < vertexCount; ++i) {
        const Point p = file.Position(i);
        low = {std::min(low.x, p.x), std::min(low.y, p.y), std::min(low.z, p.z)};
        high = {std::max(high.x, p.x), std::max(high.y, p.y), std::max(high.z, p.z)};
    }
    out << "  bounds: x " << low.x << " to " << high.x << ", y " << low.y << " to " << high.y
        << ", z " << low.z << " to " << high.z << '\n';
}

// Drawn means clockwise on screen: (p1 - p0) x (p2 - p0) points toward the camera in these
// left-handed coordinates.
void PrintFacing(const MeshBytes& file, std::uint32_t vertexCount, std::uint32_t indexCount,
                 std::ostream& out) {
    const Point eye = {0, 0, -10};
    std::uint64_t toward = 0, away = 0, edgeOn = 0, broken = 0;
    for (std::uint32_t t = 0; t < indexCount / 3; ++t) {
        std::array<std::uint32_t, 3> corner;
        if (!file.Triangle(vertexCount, t, corner)) {
            ++broken;
            continue;
        }
        const Point p0 = file.Position(corner[0]), p1 = file.Position(corner[1]),
                    p2 = file.Position(corner[2]);
        const Point a = {p1.x - p0.x, p1.y - p0.y, p1.z - p0.z};
        const Point b = {p2.x - p0.x, p2.y - p0.y, p2.z - p0.z};
        const Point n = {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
        const double facing = n.x * (eye.x - p0.x) + n.y * (eye.y - p0.y) + n.z * (eye.z - p0.z);
        if (facing > 0) {
            ++toward;
        } else if (facing < 0) {
            ++away;
        } else {
            ++edgeOn;
        }
    }
    out << "  seen from a camera at (0, 0, -10): " << toward
        << " triangles face it (clockwise, drawn), " << away
        << " face away (counter-clockwise, culled)";
    if (edgeOn > 0) out << ", " << edgeOn << " edge-on or flat";
    if (broken > 0) out << ", " << broken << " name a missing vertex";
    out << '\n';
}

// Closed parts enclosing a negative volume are inside out: the camera sees their inside.
void PrintSurface(const MeshBytes& file, std::uint32_t vertexCount, std::uint32_t indexCount,
                  std::ostream& out) {
    std::vector<std::array<float, 3>> positions(vertexCount);
    for (std::uint32_t v = 0; v < vertexCount; ++v) {
        const Point p = file.Position(v);
        positions[v] = {static_cast<float>(p.x), static_cast<float>(p.y),
                        static_cast<float>(p.z)};
    }
    std::vector<std::array<std::uint32_t, 3>> triangles;
    for (std::uint32_t t = 0; t < indexCount / 3; ++t) {
        std::array<std::uint32_t, 3> corner;
        if (file.Triangle(vertexCount, t, corner)) triangles.push_back(corner);
    }
    const SurfaceCount count = CountSurfaces(positions, triangles);
    out << "  parts joined by shared corners: " << count.parts << ", closed: " << count.closed
        << ", closed and inside out (a negative volume, not a hollow): " << count.insideOut
        << '\n';
}

// The first bad index of a whole triangle is the loader's refusal.
void PrintIndices(const MeshBytes& file, const std::string& path, std::uint32_t vertexCount,
                  std::uint32_t indexCount, std::ostream& out, std::string& refusal) {
    const std::uint64_t indices = kMeshHeaderBytes + std::uint64_t{vertexCount} * kMeshVertexBytes;
    const std::uint32_t whole = indexCount / 3 * 3;
    std::uint64_t bad = 0;
    for (std::uint32_t i = 0; i < indexCount; ++i) {
        const std::uint32_t vertex = file.Word(indices + std::uint64_t{i} * kMeshIndexBytes);
        if (vertex < vertexCount) continue;
        if (++bad <= kListedIndices) {
            out << "  index " << i << " names vertex " << vertex << ", not below the vertex count "
                << vertexCount << (i >= whole ? " (left over, never read)" : "") << '\n';
        }
        if (i < whole && refusal.empty()) refusal = MeshIndexRefusal(path, i, vertex, vertexCount);
    }
    if (bad > kListedIndices) out << "  and " << bad - kListedIndices << " more such indices\n";
    if (bad == 0) out << "  every index is below the vertex count\n";
    if (indexCount > whole) {
        out << "  " << indexCount - whole << " indices left over after the last whole triangle"
            << " (they belong to no triangle and are never read)\n";
    } else {
        out << "  no indices left over\n";
    }
}

}  // namespace

bool DescribeMeshFile(const std::string& path, std::ostream& out, std::string& refusal) {
    refusal.clear();
    std::vector<unsigned char> bytes;
    if (!ReadWholeFile(path, "mesh", bytes, refusal)) return false;
    const MeshBytes file(std::move(bytes));
    out << path << ": " << file.Size() << " bytes\n";
    refusal = MeshHeaderRefusal(path, file.Size());
    if (!refusal.empty()) return false;

    const std::uint32_t vertexCount = file.Word(0), indexCount = file.Word(4);
    const std::uint64_t needed = MeshFileBytes(vertexCount, indexCount);
    out << "  " << vertexCount << " vertices, " << indexCount << " indices, " << indexCount / 3
        << " triangles\n";
    out << "  the counts need " << needed << " bytes";
    if (file.Size() > needed) out << "; the " << file.Size() - needed << " after them are never read";
    out << '\n';
    refusal = MeshCountsRefusal(path, file.Size(), vertexCount, indexCount);
    if (needed > file.Size()) return false;  // the arrays are not all there to look at

    PrintBounds(file, vertexCount, out);
    PrintFacing(file, vertexCount, indexCount, out);
    PrintSurface(file, vertexCount, indexCount, out);
    std::string indexRefusal;
    PrintIndices(file, path, vertexCount, indexCount, out, indexRefusal);
    if (refusal.empty()) refusal = indexRefusal;
    return refusal.empty();
}
