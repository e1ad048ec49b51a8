#include "mesh_surface.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <unordered_map>

namespace {

// Volumes smaller than this share of the sum of their terms' sizes are rounding: flat.
constexpr double kFlatShare = 1e-6;

std::uint64_t PositionKey(const std::array<float, 3>& p, std::uint32_t& high) {
    std::uint32_t bits[3];
    std::memcpy(bits, p.data(), sizeof bits);
    high = bits[2];
    return (std::uint64_t{bits[0]} << 32) | bits[1];
}

struct PointKey {
    std::uint64_t low;
    std::uint32_t high;
    bool operator==(const PointKey& other) const { return low == other.low && high == other.high; }
};
struct HashPointKey {
    std::size_t operator()(const PointKey& key) const {
        return std::hash<std::uint64_t>()(key.low * 31 + key.high);
    }
};

std::uint32_t Root(std::vector<std::uint32_t>& parent, std::uint32_t at) {
    while (parent[at] != at) at = parent[at] = parent[parent[at]];
    return at;
}

}  // namespace

SurfaceCount CountSurfaces(const std::vector<std::array<float, 3>>& positions,
                           const std::vector<std::array<std::uint32_t, 3>>& triangles) {
    // Each vertex's point number: equal positions, one number.
    std::unordered_map<PointKey, std::uint32_t, HashPointKey> numbers;
    std::vector<std::uint32_t> point(positions.size());
    for (std::size_t v = 0; v < positions.size(); ++v) {
        PointKey key;
        key.low = PositionKey(positions[v], key.high);
        point[v] = numbers.emplace(key, static_cast<std::uint32_t>(numbers.size())).first->second;
    }
    std::vector<std::uint32_t> parent(numbers.size());
    for (std::uint32_t p = 0; p < parent.size(); ++p) parent[p] = p;
    // Each edge between two points counts +1 one way and -1 the other: a closed surface
    // leaves every edge at zero.
    std::unordered_map<std::uint64_t, std::int64_t> edges;
    for (const auto& t : triangles) {
        for (int k = 0; k < 3; ++k) {
            const std::uint32_t a = point[t[k]], b = point[t[(k + 1) % 3]];
            parent[Root(parent, a)] = Root(parent, b);
            if (a == b) continue;
            edges[a < b ? (std::uint64_t{a} << 32 | b) : (std::uint64_t{b} << 32 | a)] +=
                a < b ? 1 : -1;
        }
    }
    struct Part {
        bool used = false, open = false;
        double volume = 0, scale = 0;
        std::array<float, 3> low{}, high{};
    };
    std::vector<Part> parts(parent.size());
    for (const auto& t : triangles) {
        const auto &p = positions[t[0]], &q = positions[t[1]], &r = positions[t[2]];
        const double term = (double{p[0]} * (double{q[1]} * r[2] - double{q[2]} * r[1]) +
                             double{p[1]} * (double{q[2]} * r[0] - double{q[0]} * r[2]) +
                             double{p[2]} * (double{q[0]} * r[1] - double{q[1]} * r[0]));
        Part& part = parts[Root(parent, point[t[0]])];
        if (!part.used) part.low = part.high = p;
        part.used = true;
        part.volume += term;
        part.scale += std::fabs(term);
        for (const auto* corner : {&p, &q, &r}) {
            for (int axis = 0; axis < 3; ++axis) {
                part.low[axis] = std::min(part.low[axis], (*corner)[axis]);
                part.high[axis] = std::max(part.high[axis], (*corner)[axis]);
            }
        }
    }
    for (const auto& edge : edges) {
        const auto first = static_cast<std::uint32_t>(edge.first);  // the edge's lower point
        if (edge.second != 0) parts[Root(parent, first)].open = true;
    }
    std::vector<const Part*> outward, inward;
    SurfaceCount count;
    for (const Part& part : parts) {
        if (!part.used) continue;
        ++count.parts;
        if (part.open) continue;
        ++count.closed;
        if (part.volume > kFlatShare * part.scale) outward.push_back(&part);
        if (part.volume < -kFlatShare * part.scale) inward.push_back(&part);
    }
    // A hollow's inner wall faces into the hollow, and so encloses a negative volume: an
    // inward part within the bounds of an outward one is taken for such a wall.
    for (const Part* in : inward) {
        bool hollow = false;
        for (std::size_t o = 0; o < outward.size() && !hollow; ++o) {
            hollow = true;
            for (int axis = 0; axis < 3; ++axis) {
                hollow = hollow && outward[o]->low[axis] <= in->low[axis] &&
                         in->high[axis] <= outward[o]->high[axis];
            }
        }
        if (!hollow) ++count.insideOut;
    }
    return count;
}
