#include <gtest/gtest.h>

#include <cstring>
#include <optional>

#include "graphics/movement.h"
#include "graphics/scene.h"
#include "support/capture.h"
#include "support/device_proxy.h"
#include "support/test_device.h"

namespace {
struct Extent {
    int first = -1, last = -1;
};

// The first and last lit pixel along row `at` of the picture, or down column `at`.
constexpr bool Row = true, Column = false;
Extent LitAlong(const std::vector<uint32_t>& pixels, bool row, int at) {
    Extent e;
    for (int i = 0; i < (row ? 800 : 600); ++i) {
        if (Lit(row ? PixelAt(pixels, i, at) : PixelAt(pixels, at, i))) {
            if (e.first < 0) e.first = i;
            e.last = i;
        }
    }
    return e;
}

// Ten frames of 0.1 s with one key's steps held, from rest.
void MoveTenFrames(Vector3& position, const Vector3& steps) {
    Vector3 movement = {0, 0, 0};
    for (int frame = 0; frame < 10; ++frame) ApplyMovement(movement, position, steps, 0.1f);
}

// Red and blue summed over the lit pixels of a block of the picture.
struct Tint {
    double red = 0, blue = 0;
};

Tint TintIn(const std::vector<uint32_t>& pixels, int left, int top, int right, int bottom) {
    Tint tint;
    for (int y = top; y < bottom; ++y) {
        for (int x = left; x < right; ++x) {
            const uint32_t pixel = PixelAt(pixels, x, y);
            if (!Lit(pixel)) continue;
            tint.red += (pixel >> 16) & 0xFF;
            tint.blue += pixel & 0xFF;
        }
    }
    return tint;
}

// The real scene from the build's data/ folder on a real device. The back buffer is read
// just before Present, since a discarding swap chain keeps nothing after it.
class SceneTest : public DeviceTest {
protected:
    void SetUp() override {
        DeviceTest::SetUp();
        ASSERT_FALSE(HasFatalFailure());
        proxy_.emplace();
        (*proxy_)->OnCall(ProxyCall::Present, [this] { presented_ = ReadBackBuffer(); });
        cubeMesh.position = {0, 0, 0};
        SetUpScene();
    }
    void TearDown() override {
        ReleaseScene();
        proxy_.reset();
        DeviceTest::TearDown();
    }
    // Renders a frame with no movement left over and gives what it presented.
    std::vector<uint32_t> Frame() {
        GraphicsState.objectMovement = {0, 0, 0};
        GraphicsState.cameraMovement = {0, 0, 0};
        RenderFrame();
        return presented_;
    }
    StandardErrorCapture errors;
    std::optional<ScopedDeviceProxy> proxy_;
    std::vector<uint32_t> presented_;
};
}  // namespace

TEST_F(SceneTest, LoadsEverythingQuietlyAndPlacesTheCamera) {
    EXPECT_TRUE(boxes_.Boxes().empty()) << Describe(boxes_.Boxes());
    EXPECT_EQ(errors.Text(), "");
    for (const Material* m : {&planeMaterial, &cubeMaterial}) {
        EXPECT_NE(m->vertexShader, nullptr);
        EXPECT_NE(m->fragmentShader, nullptr);
        EXPECT_NE(m->texture, nullptr);
        EXPECT_NE(m->colorModifier[0], -1.0f);
    }
    EXPECT_NE(cubeMesh.vertexBuffer, nullptr);
    EXPECT_NE(planeMesh.indexBuffer, nullptr);
    EXPECT_EQ(cubeMesh.vertexCount, 24u);
    EXPECT_EQ(cubeMesh.primitiveCount, 12u);
    const Camera& camera = GraphicsState.camera;
    EXPECT_EQ(camera.position.x, 0.0f);
    EXPECT_EQ(camera.position.y, 0.0f);
    EXPECT_EQ(camera.position.z, -10.0f);
    EXPECT_EQ(camera.nearPlane, 0.1f);
    EXPECT_EQ(camera.farPlane, 100.0f);
    uint32_t bits = 0;
    std::memcpy(&bits, &camera.fieldOfView, sizeof bits);
    EXPECT_EQ(bits, 0x3f860a92u);
}

TEST_F(SceneTest, FirstFrameShowsTheCubeInTheMiddleAndThePlaneBelowOnBlack) {
    const std::vector<uint32_t> pixels = Frame();
    ASSERT_EQ(pixels.size(), 800u * 600u);
    EXPECT_TRUE(Lit(PixelAt(pixels, 400, 300))) << "no cube at the centre";
    EXPECT_TRUE(Lit(PixelAt(pixels, 400, 590))) << "no plane at the bottom";
    EXPECT_FALSE(Lit(PixelAt(pixels, 10, 10))) << "the sky is not black";
    EXPECT_FALSE(Lit(PixelAt(pixels, 790, 10)));
    // The cube stands alone on the middle row, centred.
    const Extent row = LitAlong(pixels, Row, 300);
    EXPECT_GT(row.first, 250);
    EXPECT_LT(row.last, 550);
    EXPECT_NEAR((row.first + row.last) / 2, 400, 3);
}

// Each material's own colour modifier shows: the cube's warms the grey checker towards red,
// the plane's cools it towards blue. One modifier for both would tint them alike.
TEST_F(SceneTest, TheCubeIsDrawnWarmAndThePlaneCool) {
    const std::vector<uint32_t> pixels = Frame();
    const Tint cube = TintIn(pixels, 370, 270, 430, 330);  // inside the front face
    const Tint plane = TintIn(pixels, 0, 560, 800, 600);   // the floor's near edge
    EXPECT_GT(cube.red, 1.5 * cube.blue) << "cube red " << cube.red << ", blue " << cube.blue;
    EXPECT_GT(plane.blue, 1.5 * plane.red) << "plane red " << plane.red << ", blue " << plane.blue;
}

TEST_F(SceneTest, MovingTheCubeRightMovesItRightOnScreen) {
    const Extent before = LitAlong(Frame(), Row, 300);
    MoveTenFrames(cubeMesh.position,
                  StepsForKeys(false, true, false, false, false, false, false, false).object);
    const Extent after = LitAlong(Frame(), Row, 300);
    EXPECT_GT(after.first, before.first + 5);
    EXPECT_GT(after.last, before.last + 5);
}

TEST_F(SceneTest, RaisingTheCameraMovesTheSceneDownOnScreen) {
    const Extent before = LitAlong(Frame(), Column, 400);
    MoveTenFrames(GraphicsState.camera.position,
                  StepsForKeys(false, false, false, false, false, false, true, false).camera);
    EXPECT_GT(GraphicsState.camera.position.y, 0.5f);
    EXPECT_EQ(GraphicsState.camera.position.z, -10.0f) << "W does not move the camera forwards";
    const Extent after = LitAlong(Frame(), Column, 400);
    EXPECT_GT(after.first, before.first + 5);
}

TEST_F(SceneTest, ShutdownReleasesTheSceneBeforeTheDevice) {
    DeviceProxy* proxy = proxy_->Get();
    proxy->AddRef();  // for the fixture: ShutDownGraphics drops GraphicsState's reference
    ShutDownGraphics();
    EXPECT_EQ(proxy->LiveBuffers(), 0u);
    // Every resource holds its device: with them all gone only the device's original
    // reference and the proxy's remain.
    IDirect3DDevice9* real = proxy->Real();
    real->AddRef();
    EXPECT_EQ(real->Release(), 2u) << "a scene object still holds a device resource";
    // Nothing touches the device after shutdown: not a second release, not the destructors.
    const size_t calls = proxy->Log().size();
    ReleaseScene();
    EXPECT_EQ(proxy->Log().size(), calls);
    for (const Material* m : {&planeMaterial, &cubeMaterial}) {
        EXPECT_EQ(m->vertexShader, nullptr);
        EXPECT_EQ(m->texture, nullptr);
        EXPECT_EQ(m->vertexConstantTable, nullptr);
    }
    for (const Mesh* m : {&cubeMesh, &planeMesh}) {
        EXPECT_EQ(m->vertexBuffer, nullptr);
        EXPECT_EQ(m->indexBuffer, nullptr);
        EXPECT_EQ(m->vertexDeclaration, nullptr);
    }
}
