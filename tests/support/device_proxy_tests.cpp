// The test proxy itself: other tests trust it to fail exactly the call they name, to
// forward everything else, and to keep reference counts honest.
#include <cstring>

#include "support/device_proxy.h"
#include "support/test_device.h"

namespace {
class DeviceProxyTest : public DeviceTest {};

TEST_F(DeviceProxyTest, EveryCallHasANameThatFindsIt) {
    for (size_t i = 0; i < static_cast<size_t>(ProxyCall::Count); ++i) {
        const ProxyCall call = static_cast<ProxyCall>(i);
        ProxyCall found = ProxyCall::Count;
        EXPECT_TRUE(ProxyCallByName(ProxyCallName(call), &found)) << ProxyCallName(call);
        EXPECT_EQ(found, call) << ProxyCallName(call);
    }
    ProxyCall found;
    EXPECT_FALSE(ProxyCallByName("NoSuchMethod", &found));
    EXPECT_TRUE(ProxyCallCanFail(ProxyCall::Present));
    EXPECT_FALSE(ProxyCallCanFail(ProxyCall::GetNPatchMode));
    EXPECT_FALSE(ProxyCallCanFail(ProxyCall::AddRef));
}

TEST_F(DeviceProxyTest, FailsOnlyTheNthCallOfTheNamedMethod) {
    ScopedDeviceProxy proxy;
    IDirect3DDevice9* device = GraphicsState.device;
    ASSERT_EQ(device, proxy.Get());
    ASSERT_TRUE(proxy->FailCall("SetRenderState", E_OUTOFMEMORY, 2));
    EXPECT_FALSE(proxy->FailCall("NoSuchMethod"));
    EXPECT_FALSE(proxy->FailCall("GetAvailableTextureMem"));
    EXPECT_EQ(device->SetRenderState(D3DRS_ZENABLE, D3DZB_TRUE), D3D_OK);
    EXPECT_EQ(device->SetRenderState(D3DRS_ZENABLE, D3DZB_FALSE), E_OUTOFMEMORY);
    EXPECT_EQ(device->SetRenderState(D3DRS_ZENABLE, D3DZB_TRUE), D3D_OK);
    EXPECT_EQ(proxy->Calls(ProxyCall::SetRenderState), 3u);
    // The failed call never reached the device.
    DWORD value = 0;
    EXPECT_EQ(device->GetRenderState(D3DRS_ZENABLE, &value), D3D_OK);
    EXPECT_EQ(value, static_cast<DWORD>(D3DZB_TRUE));

    proxy->FailCall(ProxyCall::BeginScene, D3DERR_INVALIDCALL, 1);
    proxy->FailCall(ProxyCall::BeginScene, E_FAIL, 2);
    EXPECT_EQ(device->BeginScene(), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->BeginScene(), E_FAIL);
    EXPECT_EQ(device->BeginScene(), D3D_OK);
    EXPECT_EQ(device->EndScene(), D3D_OK);

    proxy->FailEveryCall(ProxyCall::TestCooperativeLevel, D3DERR_DEVICELOST);
    EXPECT_EQ(device->TestCooperativeLevel(), D3DERR_DEVICELOST);
    EXPECT_EQ(device->TestCooperativeLevel(), D3DERR_DEVICELOST);
    proxy->ClearFailures();
    EXPECT_EQ(device->TestCooperativeLevel(), D3D_OK);
}

TEST_F(DeviceProxyTest, WrappedBuffersForwardAndRecordAndCountReferences) {
    ScopedDeviceProxy proxy;
    IDirect3DDevice9* device = GraphicsState.device;
    IDirect3DVertexBuffer9* vertices = nullptr;
    IDirect3DIndexBuffer9* indices = nullptr;
    ASSERT_EQ(device->CreateVertexBuffer(16, D3DUSAGE_WRITEONLY, 0, D3DPOOL_DEFAULT, &vertices,
                                         nullptr),
              D3D_OK);
    ASSERT_EQ(device->CreateIndexBuffer(8, 0, D3DFMT_INDEX32, D3DPOOL_DEFAULT, &indices, nullptr),
              D3D_OK);
    EXPECT_EQ(proxy->LiveBuffers(), 2u);

    IDirect3DDevice9* owner = nullptr;
    ASSERT_EQ(vertices->GetDevice(&owner), D3D_OK);
    EXPECT_EQ(owner, device);
    owner->Release();

    proxy->FailCall(ProxyCall::VertexBufferLock);
    void* data = nullptr;
    EXPECT_EQ(vertices->Lock(0, 0, &data, 0), D3DERR_INVALIDCALL);
    ASSERT_EQ(vertices->Lock(4, 8, &data, 0), D3D_OK);
    std::memcpy(data, "abcdefgh", 8);
    EXPECT_EQ(vertices->Unlock(), D3D_OK);
    EXPECT_EQ(proxy->Buffers()[0].contents, std::string("\0\0\0\0abcdefgh\0\0\0\0", 16));
    proxy->FailCall(ProxyCall::IndexBufferUnlock);
    ASSERT_EQ(indices->Lock(0, 0, &data, 0), D3D_OK);
    EXPECT_EQ(indices->Unlock(), D3DERR_INVALIDCALL);
    EXPECT_EQ(indices->Unlock(), D3D_OK);

    // The device sees the real buffers and gives back the wrappers.
    ASSERT_EQ(device->SetStreamSource(0, vertices, 0, 8), D3D_OK);
    ASSERT_EQ(device->SetIndices(indices), D3D_OK);
    IDirect3DVertexBuffer9* source = nullptr;
    UINT offset = 1, stride = 0;
    ASSERT_EQ(device->GetStreamSource(0, &source, &offset, &stride), D3D_OK);
    EXPECT_EQ(source, vertices);
    EXPECT_EQ(stride, 8u);
    if (source != nullptr) source->Release();
    IDirect3DIndexBuffer9* current = nullptr;
    ASSERT_EQ(device->GetIndices(&current), D3D_OK);
    EXPECT_EQ(current, indices);
    if (current != nullptr) current->Release();
    device->SetStreamSource(0, nullptr, 0, 0);
    device->SetIndices(nullptr);

    EXPECT_EQ(vertices->Release(), 0u);
    EXPECT_EQ(indices->Release(), 0u);
    EXPECT_EQ(proxy->LiveBuffers(), 0u);
    // ScopedDeviceProxy checks the proxy's last Release, DeviceTest the real device's.
}
}  // namespace
