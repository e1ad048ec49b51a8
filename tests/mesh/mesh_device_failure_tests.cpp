// Each Direct3D call of a load failing in turn: its box, what is left, what is skipped,
// and whether the file is still open.
#include "mesh_test.h"

namespace {
struct FailingStep {
    ProxyCall call;
    const char* text;
    const char* caption;
    bool declaration, vertexBuffer, indexBuffer, fileOpen;  // what the mesh holds afterwards
};

// Every call of a load, in the order they are made.
const FailingStep LoadSteps[] = {
    {ProxyCall::GetCreationParameters, "DirectX failed to get device creation parameters",
     "No Vertex Buffer", false, false, false, true},
    {ProxyCall::CreateVertexDeclaration, "DirectX failed to create a Direct3D9 vertex declaration",
     "No Vertex Declaration", false, false, false, true},
    {ProxyCall::SetVertexDeclaration, "DirectX failed to set the vertex declaration",
     "No Vertex Declaration", true, false, false, true},
    {ProxyCall::CreateVertexBuffer, "DirectX failed to create a vertex buffer", "No Vertex Buffer",
     true, false, false, true},
    {ProxyCall::VertexBufferLock, "DirectX failed to lock the vertex buffer", "No Vertex Buffer",
     true, true, false, true},
    {ProxyCall::VertexBufferUnlock, "DirectX failed to unlock the vertex buffer",
     "No Vertex Buffer", true, true, false, true},
    {ProxyCall::CreateIndexBuffer, "DirectX failed to create an index buffer", "No Index Buffer",
     true, true, false, true},
    {ProxyCall::IndexBufferLock, "DirectX failed to lock the index buffer", "No Index Buffer", true,
     true, true, true},
    {ProxyCall::IndexBufferUnlock, "DirectX failed to unlock the index buffer", "No Index Buffer",
     true, true, true, false},
};

void PrintTo(const FailingStep& step, std::ostream* out) { *out << ProxyCallName(step.call); }

class MeshDeviceFailureTest : public MeshTest, public ::testing::WithParamInterface<FailingStep> {};

TEST_P(MeshDeviceFailureTest, ShowsItsBoxAndSkipsTheRest) {
    const FailingStep& step = GetParam();
    const std::string path = folder_.Write("triangle.mesh.bin", OneTriangleFile());
    ASSERT_TRUE(Proxy()->FailCall(step.call, E_FAIL));
    Mesh mesh;
    mesh.Load(path.c_str());

    ExpectOneBox(step.caption, step.text);
    if (HasFatalFailure()) return;

    // Every step before the failing one ran once, none after it.
    bool reached = false;
    for (const FailingStep& each : LoadSteps) {
        EXPECT_EQ(Proxy()->Calls(each.call), reached ? 0u : 1u) << ProxyCallName(each.call);
        if (each.call == step.call) reached = true;
    }
    EXPECT_EQ(mesh.vertexDeclaration != nullptr, step.declaration);
    EXPECT_EQ(mesh.vertexBuffer != nullptr, step.vertexBuffer);
    EXPECT_EQ(mesh.indexBuffer != nullptr, step.indexBuffer);
    EXPECT_EQ(mesh.fileStream.is_open(), step.fileOpen);
    EXPECT_EQ(mesh.vertexCount, 3u);
    EXPECT_EQ(mesh.primitiveCount, 1u);
    // Its buffers are missing, unfilled or still locked: nothing to draw.
    EXPECT_TRUE(DrawDoesNothing(mesh));

    mesh.Release();
    EXPECT_EQ(mesh.vertexBuffer, nullptr);
    EXPECT_EQ(mesh.indexBuffer, nullptr);
    EXPECT_EQ(mesh.vertexDeclaration, nullptr);
    EXPECT_FALSE(mesh.fileStream.is_open());
    EXPECT_EQ(Proxy()->LiveBuffers(), 0u);
}

INSTANTIATE_TEST_SUITE_P(EveryCall, MeshDeviceFailureTest, ::testing::ValuesIn(LoadSteps),
                         [](const ::testing::TestParamInfo<FailingStep>& info) {
                             return std::string(ProxyCallName(info.param.call));
                         });
}  // namespace
