// Direct3D and D3DX failing under a material on a real device seen through a DeviceProxy: a
// shader the device will not create, a texture D3DX cannot make, a constant table D3DX cannot
// read. Each shows what it must (a box or nothing), keeps what it must, and leaks nothing.
#include <gtest/gtest.h>
#include <windows.h>

#include <optional>
#include <string>

#include "material/material.h"
#include "support/capture.h"
#include "support/device_proxy.h"
#include "support/temp_folder.h"
#include "support/test_device.h"
#include "support/material_test_support.h"

namespace {
class MaterialFailureTest : public DeviceTest {
protected:
    void SetUp() override {
        DeviceTest::SetUp();
        ASSERT_FALSE(HasFatalFailure());
        referencesBefore_ = DeviceReferences();
        proxy_.emplace();
    }
    void TearDown() override {
        proxy_.reset();
        if (Device() != nullptr) {
            EXPECT_EQ(DeviceReferences(), referencesBefore_) << "a device object was left behind";
        }
        DeviceTest::TearDown();
    }

    DeviceProxy* Proxy() const { return proxy_->Get(); }
    IDirect3DDevice9* Real() const { return proxy_->Get()->Real(); }

    // Loads the built shader of `kind` with the device's `create` failing: it is tried once
    // and reported in one box, and nothing is written to std::cerr.
    void LoadWithCreationFailing(Material& material, const ShaderKind& kind, ProxyCall create) {
        material.*kind.path = kind.builtPath;
        ASSERT_TRUE(Proxy()->FailCall(create, E_OUTOFMEMORY));
        EXPECT_FALSE((material.*kind.load)());
        ExpectOneBox(kind.caption, kind.creationFailure);
        EXPECT_EQ(Proxy()->Calls(create), 1u);
        EXPECT_EQ(errors_.Text(), "");
    }

    // A built shader whose constant table's comment block no longer says "CTAB": the shader
    // is whole, but D3DX finds no constant table in it.
    static std::string WithoutFindableTable(std::string bytes) {
        const size_t at = bytes.find("CTAB");
        EXPECT_NE(at, std::string::npos);
        if (at != std::string::npos) bytes[at + 3] = 'X';
        return bytes;
    }

    TempFolder folder_;
    StandardErrorCapture errors_;
    ULONG referencesBefore_ = 0;
    std::optional<ScopedDeviceProxy> proxy_;
};

TEST_F(MaterialFailureTest, FragmentShaderCreationFailureReportsAfterTheTableAndLookups) {
    Material material;
    D3DXCreateTextureFromFileA(GraphicsState.device, CheckerTexturePath, &material.texture);
    ASSERT_NE(material.texture, nullptr);
    material.samplerIndex = 9;  // to see the lookup replace it
    LoadWithCreationFailing(material, FragmentShaderKind, ProxyCall::CreatePixelShader);
    EXPECT_EQ(material.fragmentShader, nullptr);
    // The table comes from the bytes: it and its lookups are there all the same.
    ASSERT_NE(material.fragmentConstantTable, nullptr);
    EXPECT_NE(material.colorModifierHandle, nullptr);
    D3DXHANDLE sampler =
        material.fragmentConstantTable->GetConstantByName(nullptr, "g_color_sampler");
    ASSERT_NE(sampler, nullptr);
    EXPECT_EQ(material.samplerIndex, RegisterOf(material.fragmentConstantTable, sampler));
    EXPECT_EQ(Proxy()->Calls(ProxyCall::SetTexture), 1u) << "the texture is bound at its sampler";
    EXPECT_EQ(BoundTexture(Real(), material.samplerIndex), material.texture);
    Real()->SetTexture(material.samplerIndex, nullptr);
}

TEST_F(MaterialFailureTest, VertexShaderCreationFailureReportsAfterTheTableAndLookups) {
    Material material;
    LoadWithCreationFailing(material, VertexShaderKind, ProxyCall::CreateVertexShader);
    EXPECT_EQ(material.vertexShader, nullptr);
    ASSERT_NE(material.vertexConstantTable, nullptr);
    EXPECT_NE(material.worldToViewHandle, nullptr);
    EXPECT_NE(material.viewToScreenHandle, nullptr);
    EXPECT_NE(material.modelToWorldHandle, nullptr);

    // The next load of the same file, with nothing failing, makes the shader.
    boxes_.Clear();
    Material again;
    again.vertexShaderPath = StandardVertexShaderPath;
    EXPECT_TRUE(again.LoadVertexShader());
    EXPECT_NE(again.vertexShader, nullptr);
    EXPECT_TRUE(boxes_.Boxes().empty());
}

TEST_F(MaterialFailureTest, TextureThatCannotBeMadeStaysNullWithoutAReport) {
    const struct {
        const char* name;
        const char* texture;
        bool failTextureCreation;
    } cases[] = {{"the device cannot create the texture", CheckerTexturePath, true},
                 {"the texture file is missing", "data/no such texture.bmp", false}};
    for (const auto& c : cases) {
        boxes_.Clear();
        Proxy()->ClearFailures();
        if (c.failTextureCreation) Proxy()->FailEveryCall(ProxyCall::CreateTexture, E_OUTOFMEMORY);
        const unsigned creations = Proxy()->Calls(ProxyCall::CreateTexture);
        Material material;
        material.samplerIndex = 9;
        const std::string path = folder_.Write(
            "material.material", StandardMaterialText("g_colorModifier = { 1, 1, 1 }",
                                                      StandardVertexShaderPath,
                                                      StandardFragmentShaderPath, c.texture));
        EXPECT_TRUE(material.Load(path.c_str())) << c.name;
        if (c.failTextureCreation) {
            EXPECT_GT(Proxy()->Calls(ProxyCall::CreateTexture), creations)
                << "D3DX never asked the device";
        }
        Proxy()->ClearFailures();
        EXPECT_EQ(material.texture, nullptr) << c.name;
        EXPECT_TRUE(boxes_.Boxes().empty()) << c.name;
        EXPECT_EQ(errors_.Text(), "") << c.name;
        // The load went on: shader paths and colour modifier were read.
        EXPECT_EQ(material.fragmentShaderPath, StandardFragmentShaderPath) << c.name;
        EXPECT_EQ(material.colorModifier[0], 1.0f) << c.name;
        // And the shaders load and bind the missing texture as none.
        EXPECT_TRUE(material.LoadFragmentShader()) << c.name;
        EXPECT_TRUE(material.LoadVertexShader()) << c.name;
        EXPECT_NE(material.samplerIndex, 9u) << c.name;
        EXPECT_EQ(BoundTexture(Real(), material.samplerIndex), nullptr) << c.name;
        EXPECT_TRUE(boxes_.Boxes().empty()) << c.name;
    }
}

TEST_F(MaterialFailureTest, ConstantTableThatD3DXCannotReadLeavesHandlesNull) {
    const std::string fragment = WithoutFindableTable(ReadWholeFile(StandardFragmentShaderPath));
    const std::string vertex = WithoutFindableTable(ReadWholeFile(StandardVertexShaderPath));
    // D3DX itself fails on these bytes.
    for (const std::string* bytes : {&fragment, &vertex}) {
        ID3DXConstantTable* table = nullptr;
        EXPECT_TRUE(FAILED(D3DXGetShaderConstantTable(
            reinterpret_cast<const DWORD*>(bytes->data()), &table)));
        EXPECT_EQ(table, nullptr);
    }

    Material material;
    D3DXCreateTextureFromFileA(GraphicsState.device, CheckerTexturePath, &material.texture);
    material.samplerIndex = 9;
    material.colorModifier[0] = 0.5f;
    material.fragmentShaderPath = folder_.Write("fragment.shader", fragment);
    material.vertexShaderPath = folder_.Write("vertex.shader", vertex);
    const unsigned setTextures = Proxy()->Calls(ProxyCall::SetTexture);
    EXPECT_TRUE(material.LoadFragmentShader());
    EXPECT_TRUE(material.LoadVertexShader());
    ExpectBoxes(boxes_.Boxes(), {});
    EXPECT_EQ(errors_.Text(), "");
    EXPECT_NE(material.fragmentShader, nullptr);
    EXPECT_NE(material.vertexShader, nullptr);
    EXPECT_EQ(material.fragmentConstantTable, nullptr);
    EXPECT_EQ(material.vertexConstantTable, nullptr);
    EXPECT_EQ(material.colorModifierHandle, nullptr);
    EXPECT_EQ(material.worldToViewHandle, nullptr);
    EXPECT_EQ(material.viewToScreenHandle, nullptr);
    EXPECT_EQ(material.modelToWorldHandle, nullptr);
    EXPECT_EQ(material.samplerIndex, 9u) << "no sampler was found";
    EXPECT_EQ(Proxy()->Calls(ProxyCall::SetTexture), setTextures) << "nothing bound at load";

    // Without tables nothing is written, and nothing is called through an absent table.
    WriteEveryConstant(material);
    EXPECT_EQ(Proxy()->Calls(ProxyCall::SetPixelShaderConstantF), 0u);
    EXPECT_EQ(Proxy()->Calls(ProxyCall::SetVertexShaderConstantF), 0u);
}
}  // namespace
