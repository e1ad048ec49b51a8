// Direct3D failing at start: no interface, or an interface that makes no device. Each shows
// its own box, loads no asset, and leaves nothing behind, since the process then ends.
#include "app/application.h"
#include "support/direct3d_seam.h"
#include "graphics/graphics.h"
#include "graphics/scene.h"
#include "support/program_test.h"

namespace {
class GraphicsStartFailureTest : public ProgramTest {
protected:
    // Starts graphics on the scene objects marked, so that any load, even one that fails,
    // shows: the start fails with this one box and loads nothing.
    void ExpectFailedStart(const char* caption, const char* text, HWND owner) {
        cubeMesh.position = {5.0f, 5.0f, 5.0f};
        planeMesh.position = {5.0f, 5.0f, 5.0f};
        EXPECT_FALSE(StartGraphics());
        ExpectBoxes(boxes_.Boxes(), {{caption, text, owner}});
        EXPECT_EQ(errors_.Text(), "");
        for (const Material* material : {&planeMaterial, &cubeMaterial}) {
            EXPECT_TRUE(material->vertexShaderPath.empty());
            EXPECT_TRUE(material->fragmentShaderPath.empty());
            EXPECT_EQ(material->texture, nullptr);
            EXPECT_EQ(material->fragmentConstantTable, nullptr);
        }
        for (const Mesh* mesh : {&cubeMesh, &planeMesh}) {
            EXPECT_EQ(mesh->position.x, 5.0f) << "a mesh load was attempted";
            EXPECT_EQ(mesh->device, nullptr);
            EXPECT_FALSE(mesh->fileStream.is_open());
        }
        ExpectNoGraphics();
    }
};

TEST_F(GraphicsStartFailureTest, NoInterfaceShowsItsBoxOwnedByTheWindowAndLoadsNothing) {
    Seam().returnNull = true;
    ASSERT_TRUE(StartWindow());
    ExpectFailedStart("No D3D9 Interface", "DirectX failed to create a Direct3D9 interface",
                      ApplicationState.mainWindow);
    EXPECT_EQ(Seam().calls, 1u);
    EXPECT_EQ(Seam().sdkVersion, 32u);
    EXPECT_EQ(Interface(), nullptr);
    // The scene objects' destructors then have nothing to release.
    ReleaseScene();
}

TEST_F(GraphicsStartFailureTest, NoDeviceShowsItsBoxAndReleasesTheInterfaceOnce) {
    prepareInterface_ = [](Direct3DProxy* direct3d) {
        direct3d->FailCreateDevice(D3DERR_NOTAVAILABLE);
    };
    ASSERT_TRUE(StartWindow());
    const HWND window = ApplicationState.mainWindow;
    ExpectFailedStart("No D3D9 Device", "DirectX failed to create a Direct3D9 device", window);

    ASSERT_NE(Interface(), nullptr);
    ASSERT_EQ(Interface()->DeviceCreations().size(), 1u);
    const Direct3DProxy::DeviceCreation& creation = Interface()->DeviceCreations()[0];
    EXPECT_EQ(creation.adapter, 0u);
    EXPECT_EQ(creation.type, D3DDEVTYPE_HAL);
    EXPECT_EQ(creation.focusWindow, window);
    EXPECT_EQ(creation.behaviorFlags, static_cast<DWORD>(D3DCREATE_HARDWARE_VERTEXPROCESSING));
    EXPECT_EQ(creation.parameters.hDeviceWindow, window);
    EXPECT_EQ(Device(), nullptr);
    // The program's one reference went with one Release, its last call on the interface.
    EXPECT_EQ(Interface()->References(), 1u) << "only the test's own reference is left";
    EXPECT_EQ(Interface()->Calls("Release"), 1u);
    EXPECT_EQ(Interface()->Log().back(), "Release");
    ReleaseScene();
    ExpectLastReleases();
}

TEST_F(GraphicsStartFailureTest, WithoutAWindowTheDeviceBoxHasNoOwnerAndNoDeviceIsTried) {
    // What WinMain does after the class or the window could not be made.
    ExpectFailedStart("No D3D9 Device", "DirectX failed to create a Direct3D9 device", nullptr);
    ASSERT_NE(Interface(), nullptr);
    EXPECT_TRUE(Interface()->DeviceCreations().empty())
        << "a windowed device without a window is refused before Direct3D is asked";
    EXPECT_EQ(Interface()->References(), 1u);
    EXPECT_EQ(Interface()->Calls("Release"), 1u);
    ExpectLastReleases();
}
}  // namespace
