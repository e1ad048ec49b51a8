#include <gtest/gtest.h>

#include "graphics/graphics.h"
#include "support/message_box_hook.h"
#include "support/test_device.h"

namespace {
class GraphicsDeviceTest : public ::testing::Test {
protected:
    void SetUp() override { GraphicsState = GraphicsRecord{}; }
    void TearDown() override {
        ShutDownGraphics();
        DestroyTestWindow(window);
    }
    HWND window = nullptr;
    MessageBoxHook boxes;
};
}  // namespace

TEST_F(GraphicsDeviceTest, DeviceHasTheFixedPresentParametersAndHardwareProcessing) {
    window = CreateTestWindow();
    GraphicsState.direct3d = Direct3DCreate9(D3D_SDK_VERSION);
    ASSERT_NE(GraphicsState.direct3d, nullptr);
    ASSERT_TRUE(CreateGraphicsDevice(window));
    ASSERT_NE(GraphicsState.device, nullptr);
    EXPECT_EQ(GraphicsState.renderingWindow, nullptr) << "set only by InitializeGraphics";

    IDirect3DSwapChain9* swapChain = nullptr;
    ASSERT_EQ(GraphicsState.device->GetSwapChain(0, &swapChain), D3D_OK);
    D3DPRESENT_PARAMETERS p = {};
    swapChain->GetPresentParameters(&p);
    swapChain->Release();
    EXPECT_EQ(p.BackBufferWidth, 800u);
    EXPECT_EQ(p.BackBufferHeight, 600u);
    EXPECT_EQ(p.BackBufferFormat, D3DFMT_X8R8G8B8);
    EXPECT_EQ(p.BackBufferCount, 1u);
    EXPECT_EQ(p.MultiSampleType, D3DMULTISAMPLE_NONE);
    EXPECT_EQ(p.SwapEffect, D3DSWAPEFFECT_DISCARD);
    EXPECT_EQ(p.hDeviceWindow, window);
    EXPECT_TRUE(p.Windowed);
    EXPECT_TRUE(p.EnableAutoDepthStencil);
    EXPECT_EQ(p.AutoDepthStencilFormat, D3DFMT_D16);
    EXPECT_EQ(p.Flags, 0u);
    EXPECT_EQ(p.PresentationInterval, 0u);

    D3DDEVICE_CREATION_PARAMETERS creation = {};
    ASSERT_EQ(GraphicsState.device->GetCreationParameters(&creation), D3D_OK);
    EXPECT_EQ(creation.AdapterOrdinal, 0u);
    EXPECT_EQ(creation.DeviceType, D3DDEVTYPE_HAL);
    EXPECT_EQ(creation.hFocusWindow, window);
    EXPECT_EQ(creation.BehaviorFlags, static_cast<DWORD>(D3DCREATE_HARDWARE_VERTEXPROCESSING));
    EXPECT_TRUE(boxes.Boxes().empty());
}

TEST_F(GraphicsDeviceTest, InitializeRecordsTheWindowAndShutDownReleasesEverything) {
    window = CreateTestWindow();
    ASSERT_TRUE(InitializeGraphics(window));
    EXPECT_EQ(GraphicsState.renderingWindow, window);
    ASSERT_NE(GraphicsState.device, nullptr);
    // Hold one reference of our own: after shutdown it must be the last one.
    IDirect3DDevice9* device = GraphicsState.device;
    device->AddRef();
    EXPECT_TRUE(ShutDownGraphics());
    EXPECT_EQ(device->Release(), 0u);
    ExpectNoGraphics();
    EXPECT_TRUE(ShutDownGraphics()) << "a second shutdown is harmless";
    EXPECT_EQ(GraphicsState.device, nullptr);
}

TEST_F(GraphicsDeviceTest, WithoutAWindowThereIsNoDeviceAndTheBoxHasNoOwner) {
    EXPECT_FALSE(InitializeGraphics(nullptr));
    ExpectBoxes(boxes.Boxes(),
                {{"No D3D9 Device", "DirectX failed to create a Direct3D9 device", nullptr}});
    ExpectNoGraphics();
}

TEST_F(GraphicsDeviceTest, ShutDownWithNothingCreatedIsHarmless) {
    EXPECT_TRUE(ShutDownGraphics());
    EXPECT_TRUE(ShutDownGraphics());
    ExpectNoGraphics();
}
