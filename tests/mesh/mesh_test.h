// Mesh files in a temporary folder, loaded on a real device seen through a DeviceProxy.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "mesh/mesh.h"
#include "support/device_proxy.h"
#include "support/temp_folder.h"
#include "support/test_device.h"

// The one-triangle file, byte for byte as the format's example gives it (92 bytes).
std::string OneTriangleFile();
// A header followed by raw vertex records and indices.
std::string MeshFileBytes(uint32_t vertexCount, uint32_t indexCount,
                          const std::vector<MeshVertex>& vertices,
                          const std::vector<uint32_t>& indices);
// The three vertices of the one-triangle file.
std::vector<MeshVertex> TriangleVertices();

class MeshTest : public DeviceTest {
protected:
    void SetUp() override;
    void TearDown() override;

    DeviceProxy* Proxy() const { return proxy_->Get(); }
    // True when the mesh's Draw makes no device call at all.
    bool DrawDoesNothing(Mesh& mesh);

    TempFolder folder_;

private:
    std::optional<ScopedDeviceProxy> proxy_;
};
