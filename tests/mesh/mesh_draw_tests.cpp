// Drawing a loaded mesh on the real device, and releasing it.
#include "mesh_test.h"
#include "support/shader_corpus.h"

namespace {
TEST_F(MeshTest, ReleaseLetsGoOfEverythingOnceInOrder) {
    const std::string path = folder_.Write("triangle.mesh.bin", OneTriangleFile());
    {
        Mesh never;  // never loaded: nothing to release and no device to call
    }
    EXPECT_TRUE(Proxy()->Log().empty());
    {
        Mesh mesh;
        mesh.Load(path.c_str());
        ASSERT_NE(mesh.vertexDeclaration, nullptr) << Describe(boxes_.Boxes());
        Proxy()->ClearLog();
        mesh.Release();
        const std::vector<ProxyCall> released = {ProxyCall::VertexBufferRelease,
                                                 ProxyCall::IndexBufferRelease,
                                                 ProxyCall::SetVertexDeclaration};
        EXPECT_EQ(Proxy()->Log(), released);
        EXPECT_EQ(Proxy()->SetVertexDeclarationCalls().back(), nullptr);
        EXPECT_EQ(mesh.vertexBuffer, nullptr);
        EXPECT_EQ(mesh.indexBuffer, nullptr);
        EXPECT_EQ(mesh.vertexDeclaration, nullptr);
        EXPECT_FALSE(mesh.fileStream.is_open());
        EXPECT_EQ(Proxy()->LiveBuffers(), 0u);
        EXPECT_TRUE(DrawDoesNothing(mesh));
        mesh.Release();
        EXPECT_EQ(Proxy()->Log(), released) << "a second Release called the device";
    }
    // The destructor found nothing left: no call into the device, which may be gone by then.
    EXPECT_EQ(Proxy()->Log().size(), 3u);
    EXPECT_EQ(Proxy()->Calls(ProxyCall::Release), 0u) << "the mesh released a device it borrows";
    ExpectBoxes(boxes_.Boxes(), {});
    // TearDown checks that the device's last Release is its final one.
}

// The colour the triangle should show at a pixel centre, interpolated from its
// vertices; false outside it (with a margin, so that edge pixels are not judged).
bool TriangleColorAt(int x, int y, uint32_t* color) {
    const float px = (static_cast<float>(x) + 0.5f) / 400.0f - 1.0f;
    const float py = 1.0f - (static_cast<float>(y) + 0.5f) / 300.0f;
    // Weights of (-1,-1) red, (0,1) green and (1,-1) blue.
    const float green = (py + 1.0f) / 2.0f;
    const float red = (1.0f - green - px) / 2.0f;
    const float blue = 1.0f - green - red;
    const float margin = 0.02f;
    if (red < margin || green < margin || blue < margin) return false;
    auto channel = [](float weight) { return static_cast<uint32_t>(weight * 255.0f + 0.5f); };
    *color = channel(red) << 16 | channel(green) << 8 | channel(blue);
    return true;
}

class MeshPixelTest : public DeviceTest {};

TEST_F(MeshPixelTest, ADrawnTriangleShowsItsVertexColours) {
    TempFolder folder;
    const std::string path = folder.Write("triangle.mesh.bin", OneTriangleFile());
    // Pass-through shaders: clip-space position in, vertex colour out.
    std::string errors;
    const std::string vertexCode = AssembleShader(
        "vs_2_0\n dcl_position v0\n dcl_color v1\n mov oPos, v0\n mov oD0, v1\n", &errors);
    const std::string pixelCode = AssembleShader("ps_2_0\n dcl v0\n mov oC0, v0\n", &errors);
    ASSERT_FALSE(vertexCode.empty()) << errors;
    ASSERT_FALSE(pixelCode.empty()) << errors;
    IDirect3DVertexShader9* vertexShader = nullptr;
    IDirect3DPixelShader9* pixelShader = nullptr;
    Device()->CreateVertexShader(reinterpret_cast<const DWORD*>(vertexCode.data()), &vertexShader);
    Device()->CreatePixelShader(reinterpret_cast<const DWORD*>(pixelCode.data()), &pixelShader);
    ASSERT_NE(vertexShader, nullptr);
    ASSERT_NE(pixelShader, nullptr);
    Mesh mesh;
    mesh.Load(path.c_str());
    ExpectBoxes(boxes_.Boxes(), {});
    Device()->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000u, 1.0f, 0);
    Device()->BeginScene();
    Device()->SetVertexShader(vertexShader);
    Device()->SetPixelShader(pixelShader);
    mesh.Draw();  // with the declaration that Load made current
    Device()->EndScene();
    const std::vector<uint32_t> pixels = ReadBackBuffer();
    Device()->SetVertexShader(nullptr);
    Device()->SetPixelShader(nullptr);
    mesh.Release();
    vertexShader->Release();
    pixelShader->Release();
    ASSERT_EQ(pixels.size(), static_cast<size_t>(BackBufferWidth) * BackBufferHeight);

    const struct {
        int x, y;
    } samples[] = {{400, 300}, {40, 580}, {400, 40}, {760, 580}, {200, 450}, {600, 450},
                   {400, 560}, {10, 10},  {790, 10}, {150, 150}, {650, 150}};
    for (const auto& s : samples) {
        uint32_t expected = 0;  // black outside the triangle
        const bool inside = TriangleColorAt(s.x, s.y, &expected);
        const uint32_t seen = PixelAt(pixels, s.x, s.y) & 0xFFFFFFu;
        EXPECT_TRUE(ColorsNear(seen, expected, 6))
            << "pixel (" << s.x << ", " << s.y << ") " << (inside ? "inside" : "outside")
            << ": saw " << std::hex << seen << ", expected " << expected;
    }
}
}  // namespace
