#include "mesh_test.h"

#include "support/shader_corpus.h"

std::string OneTriangleFile() {
    static const unsigned char bytes[] = {
        0x03, 0x00, 0x00, 0x00, 0x03, 0x00, 0x00, 0x00,                          // V, I
        0x00, 0x00, 0x80, 0xBF, 0x00, 0x00, 0x80, 0xBF, 0x00, 0x00, 0x00, 0x00,  // -1, -1, 0
        0x00, 0x00, 0xFF, 0xFF, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x80, 0x3F,  // red; 0, 1
        0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x80, 0x3F, 0x00, 0x00, 0x00, 0x00,  // 0, 1, 0
        0x00, 0xFF, 0x00, 0xFF, 0x00, 0x00, 0x00, 0x3F, 0x00, 0x00, 0x00, 0x00,  // green; 0.5, 0
        0x00, 0x00, 0x80, 0x3F, 0x00, 0x00, 0x80, 0xBF, 0x00, 0x00, 0x00, 0x00,  // 1, -1, 0
        0xFF, 0x00, 0x00, 0xFF, 0x00, 0x00, 0x80, 0x3F, 0x00, 0x00, 0x80, 0x3F,  // blue; 1, 1
        0x00, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0x02, 0x00, 0x00, 0x00,  // 0, 1, 2
    };
    return std::string(reinterpret_cast<const char*>(bytes), sizeof bytes);
}

std::string MeshFileBytes(uint32_t vertexCount, uint32_t indexCount,
                          const std::vector<MeshVertex>& vertices,
                          const std::vector<uint32_t>& indices) {
    std::string bytes = TokenBytes({vertexCount, indexCount});
    bytes.append(reinterpret_cast<const char*>(vertices.data()),
                 vertices.size() * sizeof(MeshVertex));
    bytes.append(reinterpret_cast<const char*>(indices.data()), indices.size() * 4);
    return bytes;
}

std::vector<MeshVertex> TriangleVertices() {
    return {{-1.0f, -1.0f, 0.0f, 0xFFFF0000u, 0.0f, 1.0f},
            {0.0f, 1.0f, 0.0f, 0xFF00FF00u, 0.5f, 0.0f},
            {1.0f, -1.0f, 0.0f, 0xFF0000FFu, 1.0f, 1.0f}};
}

void MeshTest::SetUp() {
    DeviceTest::SetUp();
    if (HasFatalFailure()) return;
    proxy_.emplace();
}

void MeshTest::TearDown() {
    proxy_.reset();
    DeviceTest::TearDown();
}

bool MeshTest::DrawDoesNothing(Mesh& mesh) {
    const size_t before = Proxy()->Log().size();
    mesh.Draw();
    return Proxy()->Log().size() == before;
}
