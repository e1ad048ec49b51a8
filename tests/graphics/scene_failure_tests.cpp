// Direct3D failing while the scene loads: each loader shows its own box, in load order, the
// rest of the scene still loads, start-up still succeeds, and frames are drawn with what loaded.
#include "app/application.h"
#include "graphics/graphics.h"
#include "graphics/scene.h"
#include "support/program_test.h"

namespace {
class SceneFailureTest : public ProgramTest {
protected:
    // Renders `count` frames as the message loop would and gives the last one presented.
    std::vector<uint32_t> Frames(int count) {
        for (int i = 0; i < count; ++i) RenderFrame();
        return presented_;
    }
    std::vector<uint32_t> presented_;
};

TEST_F(SceneFailureTest, CubeMeshWithoutVertexBufferLeavesTheRestLoadedAndDrawn) {
    prepareDevice_ = [this](DeviceProxy* device) {
        // The first vertex buffer is the cube mesh's: the materials make none.
        device->FailCall(ProxyCall::CreateVertexBuffer, E_OUTOFMEMORY, 1);
        device->OnCall(ProxyCall::Present,
                       [this, device] { presented_ = ReadBackBuffer(device->Real()); });
    };
    ASSERT_TRUE(StartWindow());
    ASSERT_TRUE(StartGraphics()) << "a failed load does not fail the start";
    ExpectBoxes(boxes_.Boxes(), {{"No Vertex Buffer", "DirectX failed to create a vertex buffer",
                                  ApplicationState.mainWindow}});
    EXPECT_EQ(errors_.Text(), "");

    // The cube mesh stopped at its vertex buffer; everything else is there.
    EXPECT_NE(cubeMesh.vertexDeclaration, nullptr);
    EXPECT_EQ(cubeMesh.vertexBuffer, nullptr);
    EXPECT_EQ(cubeMesh.indexBuffer, nullptr);
    EXPECT_NE(planeMesh.vertexBuffer, nullptr);
    EXPECT_NE(planeMesh.indexBuffer, nullptr);
    for (const Material* material : {&planeMaterial, &cubeMaterial}) {
        EXPECT_NE(material->vertexShader, nullptr);
        EXPECT_NE(material->fragmentShader, nullptr);
        EXPECT_NE(material->texture, nullptr);
    }
    EXPECT_EQ(GraphicsState.camera.position.z, -10.0f) << "set-up went on to the camera";
    EXPECT_EQ(Device()->Calls(ProxyCall::CreateIndexBuffer), 1u) << "the plane mesh's only";

    const std::vector<uint32_t> pixels = Frames(3);
    EXPECT_EQ(Device()->Calls(ProxyCall::Present), 3u);
    EXPECT_EQ(Device()->DrawIndexedCalls().size(), 3u) << "the plane alone, once a frame";
    ASSERT_EQ(pixels.size(), 800u * 600u);
    EXPECT_TRUE(Lit(PixelAt(pixels, 400, 590))) << "no plane at the bottom";
    EXPECT_FALSE(Lit(PixelAt(pixels, 400, 300))) << "something drawn where the cube would be";
}

TEST_F(SceneFailureTest, AFailureInEveryAssetShowsTheBoxesInLoadOrder) {
    prepareDevice_ = [](DeviceProxy* device) {
        // The plane's material loads first, then the cube's, the cube mesh, the plane mesh.
        device->FailCall(ProxyCall::CreateTexture, E_OUTOFMEMORY, 1);        // plane texture
        device->FailCall(ProxyCall::CreateVertexShader, E_OUTOFMEMORY, 1);   // plane material
        device->FailCall(ProxyCall::CreatePixelShader, E_OUTOFMEMORY, 2);    // cube material
        device->FailCall(ProxyCall::CreateVertexDeclaration, E_OUTOFMEMORY, 1);  // cube mesh
        // The cube mesh made no index buffer, so the first lock is the plane mesh's.
        device->FailCall(ProxyCall::IndexBufferLock, E_OUTOFMEMORY, 1);
    };
    ASSERT_TRUE(StartWindow());
    const HWND window = ApplicationState.mainWindow;
    ASSERT_TRUE(StartGraphics());
    ExpectBoxes(boxes_.Boxes(),
                {{"No Vertex Shader", "DirectX failed to create the vertex shader", window},
                 {"No Fragment Shader", "DirectX failed to create the fragment shader", window},
                 {"No Vertex Declaration",
                  "DirectX failed to create a Direct3D9 vertex declaration", window},
                 {"No Index Buffer", "DirectX failed to lock the index buffer", window}});
    EXPECT_EQ(errors_.Text(), "") << "a texture that fails to load is not reported";

    EXPECT_EQ(planeMaterial.texture, nullptr);
    EXPECT_NE(cubeMaterial.texture, nullptr);
    EXPECT_EQ(planeMaterial.vertexShader, nullptr);
    EXPECT_NE(planeMaterial.vertexConstantTable, nullptr);
    EXPECT_NE(planeMaterial.fragmentShader, nullptr);
    EXPECT_EQ(cubeMaterial.fragmentShader, nullptr);
    EXPECT_NE(cubeMaterial.fragmentConstantTable, nullptr);
    EXPECT_NE(cubeMaterial.colorModifierHandle, nullptr);
    EXPECT_EQ(cubeMesh.vertexDeclaration, nullptr);
    EXPECT_EQ(cubeMesh.vertexBuffer, nullptr);
    EXPECT_NE(planeMesh.indexBuffer, nullptr);
    EXPECT_TRUE(planeMesh.fileStream.is_open()) << "the index data were never read";
    EXPECT_EQ(GraphicsState.camera.position.z, -10.0f);

    // Frames go on; neither renderable has what it takes to be drawn.
    Frames(2);
    EXPECT_EQ(Device()->Calls(ProxyCall::Clear), 2u);
    EXPECT_EQ(Device()->Calls(ProxyCall::BeginScene), 2u);
    EXPECT_EQ(Device()->Calls(ProxyCall::EndScene), 2u);
    EXPECT_EQ(Device()->Calls(ProxyCall::Present), 2u);
    EXPECT_TRUE(Device()->DrawIndexedCalls().empty());

    // Whatever the partial loads made goes with the device, once each.
    std::vector<HeldObject> held = HoldSceneObjects();
    ShutDownGraphics();
    EXPECT_FALSE(planeMesh.fileStream.is_open());
    ExpectEachReleasedOnce(held);
    EXPECT_EQ(Device()->LiveBuffers(), 0u);
    EXPECT_EQ(Device()->References(), 1u) << "only the test's own reference is left";
    ExpectLastReleases();
}
}  // namespace
