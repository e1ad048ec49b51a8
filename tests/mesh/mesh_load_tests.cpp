// Well-formed mesh files: what ends up in the buffers, the declaration and the draw.
#include <cstring>

#include "mesh_test.h"

namespace {
class MeshLoadTest : public MeshTest {
protected:
    // Loads `file` (from `at`, else from a copy written here) and checks everything a complete
    // load leaves: the buffers must hold its vertices and the indices of its whole triangles only.
    void ExpectLoaded(const std::string& file, uint32_t vertices, uint32_t indices,
                      uint32_t primitives, const std::string& at = "") {
        const std::string path = at.empty() ? folder_.Write("model.mesh.bin", file) : at;
        const std::string vertexBytes = file.substr(8, vertices * size_t{24});
        const std::string indexBytes =
            file.substr(8 + vertexBytes.size(), primitives * size_t{12});
        DeviceProxy& proxy = *Proxy();
        const size_t buffersBefore = proxy.Buffers().size();
        const size_t declarationsBefore = proxy.SetVertexDeclarationCalls().size();
        Mesh mesh;
        mesh.position = {5.0f, 6.0f, 7.0f};
        EXPECT_TRUE(mesh.Load(path.c_str()));
        ExpectBoxes(boxes_.Boxes(), {});
        EXPECT_EQ(mesh.device, &proxy);
        EXPECT_EQ(mesh.window, Window());
        EXPECT_EQ(mesh.vertexCount, vertices);
        EXPECT_EQ(mesh.indexCount, indices);
        EXPECT_EQ(mesh.primitiveCount, primitives);
        EXPECT_EQ(mesh.position.x, 0.0f);
        EXPECT_EQ(mesh.position.y, 0.0f);
        EXPECT_EQ(mesh.position.z, 0.0f);
        EXPECT_FALSE(mesh.fileStream.is_open());
        ASSERT_NE(mesh.vertexBuffer, nullptr);
        ASSERT_NE(mesh.indexBuffer, nullptr);
        ASSERT_NE(mesh.vertexDeclaration, nullptr);

        D3DVERTEXBUFFER_DESC vertexDesc = {};
        ASSERT_EQ(mesh.vertexBuffer->GetDesc(&vertexDesc), D3D_OK);
        EXPECT_EQ(vertexDesc.Size, vertexBytes.size());
        EXPECT_EQ(vertexDesc.Usage, static_cast<DWORD>(D3DUSAGE_WRITEONLY));
        EXPECT_EQ(vertexDesc.Pool, D3DPOOL_DEFAULT);
        EXPECT_EQ(vertexDesc.FVF, 0u);
        D3DINDEXBUFFER_DESC indexDesc = {};
        ASSERT_EQ(mesh.indexBuffer->GetDesc(&indexDesc), D3D_OK);
        EXPECT_EQ(indexDesc.Size, indexBytes.size());
        EXPECT_EQ(indexDesc.Format, D3DFMT_INDEX32);
        EXPECT_EQ(indexDesc.Usage, static_cast<DWORD>(D3DUSAGE_WRITEONLY));
        EXPECT_EQ(indexDesc.Pool, D3DPOOL_DEFAULT);

        // What the loader wrote into the locked buffers, seen at their Unlock.
        ASSERT_EQ(proxy.Buffers().size(), buffersBefore + 2);
        const DeviceProxy::Buffer* made = &proxy.Buffers()[buffersBefore];
        EXPECT_FALSE(made[0].isIndex);
        EXPECT_EQ(made[0].wrapper, mesh.vertexBuffer);
        EXPECT_EQ(made[0].contents, vertexBytes);
        EXPECT_EQ(made[0].unlocks, 1u);
        EXPECT_TRUE(made[1].isIndex);
        EXPECT_EQ(made[1].wrapper, mesh.indexBuffer);
        EXPECT_EQ(made[1].contents, indexBytes);
        EXPECT_EQ(made[1].unlocks, 1u);

        // The declaration describes the 24-byte record and was made current.
        D3DVERTEXELEMENT9 elements[MAXD3DDECLLENGTH + 1] = {};
        UINT count = MAXD3DDECLLENGTH + 1;
        ASSERT_EQ(mesh.vertexDeclaration->GetDeclaration(elements, &count), D3D_OK);
        ASSERT_EQ(count, 4u);
        const D3DVERTEXELEMENT9 expected[4] = {{0, 0, 2, 0, 0, 0},
                                               {0, 12, 4, 0, 10, 0},
                                               {0, 16, 1, 0, 5, 0},
                                               {255, 0, 17, 0, 0, 0}};
        for (UINT i = 0; i < count; ++i) {
            EXPECT_EQ(std::memcmp(&elements[i], &expected[i], sizeof expected[i]), 0)
                << "element " << i;
        }
        ASSERT_EQ(proxy.SetVertexDeclarationCalls().size(), declarationsBefore + 1);
        EXPECT_EQ(proxy.SetVertexDeclarationCalls().back(), mesh.vertexDeclaration);

        proxy.ClearLog();
        const size_t drawsBefore = proxy.DrawIndexedCalls().size();
        Device()->BeginScene();
        mesh.Draw();
        Device()->EndScene();
        EXPECT_EQ(proxy.Log(),
                  (std::vector<ProxyCall>{ProxyCall::BeginScene, ProxyCall::SetStreamSource,
                                          ProxyCall::SetIndices, ProxyCall::DrawIndexedPrimitive,
                                          ProxyCall::EndScene}));
        ASSERT_EQ(proxy.DrawIndexedCalls().size(), drawsBefore + 1);
        const DeviceProxy::StreamSource& source = proxy.StreamSourceCalls().back();
        EXPECT_EQ(source.stream, 0u);
        EXPECT_EQ(source.buffer, mesh.vertexBuffer);
        EXPECT_EQ(source.offset, 0u);
        EXPECT_EQ(source.stride, 24u);
        EXPECT_EQ(proxy.SetIndicesCalls().back(), mesh.indexBuffer);
        const DeviceProxy::DrawIndexed& draw = proxy.DrawIndexedCalls().back();
        EXPECT_EQ(draw.type, D3DPT_TRIANGLELIST);
        EXPECT_EQ(draw.baseVertex, 0);
        EXPECT_EQ(draw.minVertex, 0u);
        EXPECT_EQ(draw.vertexCount, vertices);
        EXPECT_EQ(draw.startIndex, 0u);
        EXPECT_EQ(draw.primitiveCount, primitives);
    }
};

TEST_F(MeshLoadTest, OneTriangleFileFillsA72ByteVertexBufferAndA12ByteIndexBuffer) {
    const std::string file = OneTriangleFile();
    ASSERT_EQ(file.size(), 92u);
    ExpectLoaded(file, 3, 3, 1);
}

TEST_F(MeshLoadTest, TheMeshToolsTriangleFixtureLoadsTheSame) {
    // Made by the mesh tool at build time; the working directory is the build tree.
    const std::string path = "fixtures/triangle.mesh.bin";
    ASSERT_EQ(ReadWholeFile(path), OneTriangleFile());
    ExpectLoaded(OneTriangleFile(), 3, 3, 1, path);
}

TEST_F(MeshLoadTest, TheScenesMeshesLoadWithoutComplaint) {
    for (const char* path : {"data/cube.mesh.bin", "data/plane.mesh.bin"}) {
        const std::string file = ReadWholeFile(path);
        ASSERT_GE(file.size(), 8u) << path;
        uint32_t counts[2];
        std::memcpy(counts, file.data(), sizeof counts);
        EXPECT_EQ(counts[1] % 3, 0u) << path;
        ExpectLoaded(file, counts[0], counts[1], counts[1] / 3, path);
        boxes_.Clear();
    }
}

TEST_F(MeshLoadTest, BytesAfterTheIndexArrayChangeNothing) {
    const std::string tail("\x07\x00\x00\x00trailing bytes\xFF\xFF\xFF\xFF", 22);
    ExpectLoaded(OneTriangleFile() + tail, 3, 3, 1);
}

TEST_F(MeshLoadTest, SevenIndicesMakeTwoTrianglesAndLeaveTheSeventhOut) {
    ExpectLoaded(MeshFileBytes(3, 7, TriangleVertices(), {0, 1, 2, 2, 1, 0, 1}), 3, 7, 2);
}

TEST_F(MeshLoadTest, LeftoverIndicesAreNeitherReadNorChecked) {
    // The fourth index (99) belongs to no triangle; it never reaches the device.
    ExpectLoaded(MeshFileBytes(3, 4, TriangleVertices(), {0, 1, 2, 99}), 3, 4, 1);
}

TEST_F(MeshTest, BufferUsageFollowsTheDevicesVertexProcessing) {
    const std::string path = folder_.Write("triangle.mesh.bin", OneTriangleFile());
    const struct {
        DWORD behaviorFlags;
        DWORD usage;
    } cases[] = {
        {D3DCREATE_HARDWARE_VERTEXPROCESSING, D3DUSAGE_WRITEONLY},
        {D3DCREATE_MIXED_VERTEXPROCESSING, D3DUSAGE_WRITEONLY},
        {D3DCREATE_SOFTWARE_VERTEXPROCESSING, D3DUSAGE_WRITEONLY | D3DUSAGE_SOFTWAREPROCESSING},
        // Other flags do not matter; only software processing alone counts.
        {D3DCREATE_SOFTWARE_VERTEXPROCESSING | D3DCREATE_FPU_PRESERVE | D3DCREATE_MULTITHREADED,
         D3DUSAGE_WRITEONLY | D3DUSAGE_SOFTWAREPROCESSING},
        {D3DCREATE_SOFTWARE_VERTEXPROCESSING | D3DCREATE_HARDWARE_VERTEXPROCESSING,
         D3DUSAGE_WRITEONLY},
        {0, D3DUSAGE_WRITEONLY},
    };
    for (const auto& c : cases) {
        Proxy()->FakeBehaviorFlags(c.behaviorFlags);
        const size_t before = Proxy()->Buffers().size();
        Mesh mesh;
        mesh.Load(path.c_str());
        ASSERT_EQ(Proxy()->Buffers().size(), before + 2) << Describe(boxes_.Boxes());
        EXPECT_EQ(Proxy()->Buffers()[before].usage, c.usage) << "flags " << c.behaviorFlags;
        EXPECT_EQ(Proxy()->Buffers()[before + 1].usage, c.usage) << "flags " << c.behaviorFlags;
    }
    ExpectBoxes(boxes_.Boxes(), {});
}

TEST_F(MeshTest, TheLastMeshLoadedLeavesItsDeclarationCurrent) {
    const std::string path = folder_.Write("triangle.mesh.bin", OneTriangleFile());
    Mesh cube;
    Mesh plane;
    cube.Load(path.c_str());
    plane.Load(path.c_str());
    IDirect3DVertexDeclaration9* current = nullptr;
    ASSERT_EQ(Device()->GetVertexDeclaration(&current), D3D_OK);
    EXPECT_EQ(current, plane.vertexDeclaration);
    EXPECT_NE(current, cube.vertexDeclaration);
    if (current != nullptr) current->Release();
}
}  // namespace
