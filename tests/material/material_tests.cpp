// The Material record: its readers on real material files, and what it writes to a real device.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "material/asset_file.h"
#include "material/material.h"
#include "material/texture_header.h"
#include "support/material_test_support.h"
#include "support/shader_corpus.h"
#include "support/capture.h"
#include "support/temp_folder.h"
#include "support/test_device.h"

namespace {
const char WarningText[] = "g_colorModifier does not exist. Using default values.";

// A field of the material file and the type its value has there.
struct WrongType {
    const char* field;
    const char* typeName;
};

class MaterialTest : public DeviceTest {
protected:
    void TearDown() override {
        EXPECT_EQ(OpenAssetFileStates(), 0);
        DeviceTest::TearDown();
    }

    bool LoadText(Material& material, const std::string& text) {
        const std::string path = folder_.Write("test.material", text);
        return material.Load(path.c_str());
    }

    // `text` with its % replaced by each case's field fails the load at `key`, whose value is
    // of the case's type instead of a `wanted`, with that one line and no box; `left` checks
    // what the material read.
    template <class Left>
    void ExpectWrongType(const std::string& text, const char* key, const char* wanted,
                         std::initializer_list<WrongType> cases, Left left) {
        for (const WrongType& c : cases) {
            std::string file = text;
            file.replace(file.find('%'), 1, c.field);
            SCOPED_TRACE(file);
            boxes_.Clear();
            errors_.Clear();
            Material material;
            EXPECT_FALSE(LoadText(material, file));
            EXPECT_EQ(errors_.Text(), std::string("The value at \"") + key + "\" must be a " +
                                          wanted + " (instead of a " + c.typeName + ")\n");
            EXPECT_TRUE(boxes_.Boxes().empty());
            left(material);
        }
    }

    TempFolder folder_;
    StandardErrorCapture errors_;
};

TEST_F(MaterialTest, ColorModifierCases) {
    const struct {
        const char* field;
        float expected[3];
        bool warned;
    } cases[] = {
        {"g_colorModifier = { 1, 0.5, 0.25 }", {1.0f, 0.5f, 0.25f}, false},
        {"g_colorModifier = { '1', '0.5', '0.25' }", {1.0f, 0.5f, 0.25f}, false},
        {"g_colorModifier = { 0.1, 2, -3, 'ignored' }", {0.1f, 2.0f, -3.0f}, false},
        {"g_colorModifier = { -1, 0.5, 0.5 }", {-1.0f, 0.5f, 0.5f}, false},
        // Elements read before a bad one are kept; those after it are not read.
        {"g_colorModifier = { 1, 0.5 }", {-1.0f, 0.5f, 0.0f}, true},
        {"g_colorModifier = { 0.25, 'red', 0.75 }", {-1.0f, 0.0f, 0.0f}, true},
        {"g_colorModifier = 5", {-1.0f, 0.0f, 0.0f}, true},
        {"g_colorModifier = '1, 1, 1'", {-1.0f, 0.0f, 0.0f}, true},
        {"", {-1.0f, 0.0f, 0.0f}, true},
        {"g_colourModifier = { 1, 1, 1 }", {-1.0f, 0.0f, 0.0f}, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.field);
        boxes_.Clear();
        errors_.Clear();
        Material material;
        EXPECT_TRUE(LoadText(material, StandardMaterialText(c.field)));
        for (int i = 0; i < 3; ++i) EXPECT_FLOAT_EQ(material.colorModifier[i], c.expected[i]) << i;
        if (c.warned) {
            ExpectOneBox("No ColorModifier", WarningText, "warning");
        } else {
            ExpectBoxes(boxes_.Boxes(), {});
        }
        EXPECT_EQ(errors_.Text(), "");
        EXPECT_EQ(material.vertexShaderPath, StandardVertexShaderPath);
        EXPECT_EQ(material.fragmentShaderPath, StandardFragmentShaderPath);
        EXPECT_NE(material.texture, nullptr);
    }
}

TEST_F(MaterialTest, ShadersThatAreNotATableStopTheLoadBeforeConstants) {
    // "constants" has no colour modifier: had it been read, the warning box would show.
    ExpectWrongType("return { texture = 'data/checker.bmp', % constants = {} }", "shaders", "table",
                    {{"", "nil"}, {"shaders = 'data/standard.shader',", "string"},
                     {"shaders = 12,", "number"}, {"shaders = false,", "boolean"}},
                    [](const Material& material) {
                        EXPECT_NE(material.texture, nullptr) << "the texture is read first";
                        EXPECT_EQ(material.vertexShaderPath, "");
                        EXPECT_EQ(material.fragmentShaderPath, "");
                        EXPECT_EQ(material.colorModifier[0], 0.0f);
                    });
}

TEST_F(MaterialTest, ConstantsThatAreNotATableFailTheLoadWithoutABox) {
    ExpectWrongType("return { texture = 'data/checker.bmp', shaders = { vertexShader = 'v.shader', "
                    "fragmentShader = 'f.shader' }, % }",
                    "constants", "table",
                    {{"", "nil"}, {"constants = 7,", "number"},
                     {"constants = 'g_colorModifier',", "string"}},
                    [](const Material& material) {
                        EXPECT_EQ(material.vertexShaderPath, "v.shader");
                        EXPECT_EQ(material.fragmentShaderPath, "f.shader");
                        for (float value : material.colorModifier) EXPECT_EQ(value, 0.0f);
                    });
}

TEST_F(MaterialTest, TextureThatIsNeitherStringNorNumberStopsTheLoad) {
    ExpectWrongType("return { % shaders = { vertexShader = 'v.shader' }, constants = {} }",
                    "texture", "string",
                    {{"texture = {},", "table"}, {"", "nil"}, {"texture = true,", "boolean"}},
                    [](const Material& material) {
                        EXPECT_EQ(material.texture, nullptr);
                        EXPECT_EQ(material.vertexShaderPath, "") << "\"shaders\" must not be read";
                    });
}

TEST_F(MaterialTest, MissingTextureFileLeavesTextureNullAndLoadGoesOn) {
    Material material;
    EXPECT_TRUE(LoadText(material,
                         "return { texture = 'data/no such texture.bmp', shaders = {}, "
                         "constants = { g_colorModifier = { 1, 1, 1 } } }"));
    EXPECT_EQ(material.texture, nullptr);
    EXPECT_EQ(errors_.Text(), "");
    EXPECT_TRUE(boxes_.Boxes().empty());
}

// A 4 by 4 DDS of 32-bit pixels with its 3 levels (4x4, 2x2, 1x1): 128 + 84 bytes.
std::string TinyDds() {
    // "DDS ", the header's size, its flags, height, width, pitch, depth and mip-map count.
    std::string file = TokenBytes({0x20534444, 124, 0x1 | 0x2 | 0x4 | 0x8 | 0x1000 | 0x20000, 4,
                                   4, 16, 0, 3});
    file.resize(76, '\0');  // 11 reserved words
    // The pixel format (its size, RGB, no FourCC, 32 bits, the red, green, blue and alpha
    // masks), the caps, and four words of zeros.
    file += TokenBytes({32, 0x40, 0, 32, 0xFF0000, 0xFF00, 0xFF, 0, 0x1000 | 0x8 | 0x400000, 0,
                        0, 0, 0});
    return file + std::string(84, '\x40');
}

// Wine's DDS reader walks the header's mip-map count before it compares the file's length
// with what the levels need (a minute for 2^32-1), and its sums wrap. Every count or size
// that the file cannot hold is refused before D3DX reads it: no texture, no box, no line,
// and no stall (the test's time limit is shorter than the stall).
TEST_F(MaterialTest, DdsWhoseHeaderTheFileCannotHoldIsRefusedAtOnce) {
    const struct {
        const char* name;
        size_t offset;  // of a 32-bit field; 0 to cut the file to `value` bytes instead
        uint32_t value;
        const char* reason;
    } cases[] = {
        {"one mip level too many", 28, 4, "the mip-map count is above what the sides allow"},
        {"2^31-1 mip levels", 28, 0x7FFFFFFF, "the mip-map count is above what the sides allow"},
        {"2^32-1 mip levels", 28, 0xFFFFFFFF, "the mip-map count is above what the sides allow"},
        {"width 0", 16, 0, "a side of the texture is 0"},
        {"height 0", 12, 0, "a side of the texture is 0"},
        {"width 16385", 16, 16385, "a side is above 16384"},
        {"height 2^32-1", 12, 0xFFFFFFFF, "a side is above 16384"},
        {"a volume", 112, 0x200000, "the texture has depth"},
        {"a depth of 2^32-1", 24, 0xFFFFFFFF, "the texture has depth"},
        {"six cube faces", 112, 0x200 | 0xFC00, "the texture has cube faces"},
        {"width 8: level 0 needs more", 16, 8, "the file holds less than its levels need"},
        {"16-byte pixels", 88, 128, "the file holds less than its levels need"},
        {"one byte short", 0, 128 + 83, "the file holds less than its levels need"},
        {"the header cut", 0, 127, "the file ends inside its header"},
    };
    const std::string intact = TinyDds();
    const std::string dds = folder_.Write("test.dds", intact);
    Material good;
    ASSERT_EQ(TextureFileProblem(dds.c_str()), nullptr);
    LoadText(good, "return { texture = '" + dds + "', shaders = {}, constants = {} }");
    ASSERT_NE(good.texture, nullptr) << "the intact file loads: the cases below differ by one field";
    EXPECT_EQ(good.texture->GetLevelCount(), 3u);
    boxes_.Clear();
    for (const auto& c : cases) {
        std::string bytes = intact;
        if (c.offset == 0) bytes.resize(c.value);
        else std::memcpy(&bytes[c.offset], &c.value, 4);
        folder_.Write("test.dds", bytes);
        const char* reason = TextureFileProblem(dds.c_str());
        EXPECT_STREQ(reason, c.reason) << c.name;
        Material material;
        EXPECT_TRUE(LoadText(material, "return { texture = '" + dds + "', shaders = {}, "
                                       "constants = { g_colorModifier = { 1, 1, 1 } } }"));
        EXPECT_EQ(material.texture, nullptr) << c.name;
        EXPECT_TRUE(boxes_.Boxes().empty()) << c.name;
    }
    EXPECT_EQ(errors_.Text(), "") << "a refused texture is silent, as a failed one";
}

// The other formats whose readers decode the whole picture while D3DX only asks its size,
// into buffers counted in 32 bits: their sides are checked, and an uncompressed bitmap's
// pixels must be in the file.
TEST(TextureHeader, RefusesSidesNoTextureHasInEveryFormatTheReadersTrust) {
    const auto bytes = [](std::initializer_list<int> values, size_t size = 0) {
        std::string text;
        for (int value : values) text += static_cast<char>(value);
        text.resize(std::max(size, text.size()), '\0');
        return text;
    };
    const auto verdict = [](const std::string& header, uint64_t fileSize) {
        const char* reason = TextureHeaderProblem(
            reinterpret_cast<const unsigned char*>(header.data()), header.size(), fileSize);
        return std::string(reason ? reason : "accepted");
    };
    const std::string png = "\x89PNG\r\n\x1a\n" + bytes({0, 0, 0, 13}) + "IHDR";
    EXPECT_EQ(verdict(png + bytes({0, 0, 0x40, 0, 0, 0, 0x40, 0}), 1000), "accepted");
    EXPECT_EQ(verdict(png + bytes({0, 0, 0x40, 1, 0, 0, 0x40, 0}), 1000), "a side is above 16384");
    EXPECT_EQ(verdict(png + bytes({0, 0, 0, 0, 0, 0, 0x40, 0}), 1000), "a side of the texture is 0");
    // A JPEG: an APP0 segment, then the frame header (height, then width, big-endian).
    const std::string jpeg = bytes({0xFF, 0xD8, 0xFF, 0xE0, 0, 4, 0, 0, 0xFF, 0xC0, 0, 11, 8});
    EXPECT_EQ(verdict(jpeg + bytes({0x40, 0, 0x40, 0, 1}), 1000), "accepted");
    EXPECT_EQ(verdict(jpeg + bytes({0xFF, 0xDC, 0x40, 0, 1}), 1000), "a side is above 16384");
    EXPECT_EQ(verdict(jpeg + bytes({0x40, 0, 0, 0, 1}), 1000), "a side of the texture is 0");
    EXPECT_EQ(verdict(bytes({0xFF, 0xD8, 0xFF, 0xDA, 0, 2}), 1000), "the JPEG has no frame header");
    // An uncompressed true-colour TGA: width and height at 12 and 14.
    EXPECT_EQ(verdict(bytes({0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x40, 0, 0x40, 32}, 18), 1000),
              "accepted");
    EXPECT_EQ(verdict(bytes({0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xFF, 0xFF, 1, 0, 32}, 18), 1000),
              "a side is above 16384");
    // A DIB (no file header) of 16 by 16 32-bit pixels needs 1024 bytes of them.
    const std::string dib = bytes({40, 0, 0, 0, 16, 0, 0, 0, 16, 0, 0, 0, 1, 0, 32}, 40);
    EXPECT_EQ(verdict(dib, 40 + 1024), "accepted");
    EXPECT_EQ(verdict(dib, 40 + 1023), "the file holds less than its pixels need");
    // The shipped bitmap: its height made negative (top row first) is still 256 rows; one
    // byte short of its pixels, or a side of 2^31, is refused.
    const std::string bmp = ReadWholeFile(CheckerTexturePath);
    ASSERT_GT(bmp.size(), 54u);
    std::string flipped = bmp.substr(0, 54);
    const int32_t up = -256;
    std::memcpy(&flipped[22], &up, 4);
    EXPECT_EQ(verdict(flipped, bmp.size()), "accepted");
    EXPECT_EQ(verdict(bmp.substr(0, 54), bmp.size() - 1), "the file holds less than its pixels need");
    const uint32_t huge = 0x80000000u;
    std::memcpy(&flipped[22], &huge, 4);
    EXPECT_EQ(verdict(flipped, bmp.size()), "a side is above 16384");
    EXPECT_EQ(TextureFileProblem("data/checker.dds"), nullptr);
    EXPECT_STREQ(TextureFileProblem("data/no such texture.dds"), "the file cannot be read");
}

TEST_F(MaterialTest, NumberAsTexturePathReadsTheFileNamedByItsText) {
    const std::string checker = ReadWholeFile(CheckerTexturePath);
    ASSERT_FALSE(checker.empty()) << "the build makes " << CheckerTexturePath;
    folder_.Write("5", checker);
    const std::string materialPath =
        folder_.Write("number.material",
                      "return { texture = 5, shaders = { vertexShader = 3, fragmentShader = 4.5 }, "
                      "constants = { g_colorModifier = { 1, 1, 1 } } }");

    char previousDirectory[MAX_PATH] = {};
    GetCurrentDirectoryA(MAX_PATH, previousDirectory);
    ASSERT_TRUE(SetCurrentDirectoryA(folder_.Path().c_str()));
    Material material;
    const bool loaded = material.Load(materialPath.c_str());
    SetCurrentDirectoryA(previousDirectory);

    EXPECT_TRUE(loaded);
    ASSERT_NE(material.texture, nullptr) << "no texture from the file named \"5\"";
    D3DSURFACE_DESC loadedLevel = {};
    material.texture->GetLevelDesc(0, &loadedLevel);

    Material reference;
    ASSERT_TRUE(LoadText(reference, StandardMaterialText("g_colorModifier = { 1, 1, 1 }")));
    ASSERT_NE(reference.texture, nullptr);
    D3DSURFACE_DESC referenceLevel = {};
    reference.texture->GetLevelDesc(0, &referenceLevel);
    EXPECT_EQ(loadedLevel.Width, referenceLevel.Width);
    EXPECT_EQ(loadedLevel.Height, referenceLevel.Height);
    // Numbers become their Lua string form.
    EXPECT_EQ(material.vertexShaderPath, "3");
    EXPECT_EQ(material.fragmentShaderPath, "4.5");
    EXPECT_EQ(errors_.Text(), "");
}

TEST_F(MaterialTest, ShaderPathsOfOtherTypesAreSkippedAndKeepTheirValue) {
    Material material;
    material.vertexShaderPath = "before.vertex";
    material.fragmentShaderPath = "before.fragment";
    EXPECT_TRUE(LoadText(material,
                         "return { texture = 'data/checker.bmp', shaders = { vertexShader = "
                         "{}, fragmentShader = false }, constants = { g_colorModifier = "
                         "{ 1, 1, 1 } } }"));
    EXPECT_EQ(material.vertexShaderPath, "before.vertex");
    EXPECT_EQ(material.fragmentShaderPath, "before.fragment");
    EXPECT_EQ(errors_.Text(), "");
}

TEST_F(MaterialTest, FileThatFailsToRunReadsNothing) {
    Material material;
    EXPECT_FALSE(LoadText(material, "return 5"));
    EXPECT_EQ(errors_.Text(), "Asset files must return a table (instead of a number)\n");
    EXPECT_EQ(material.texture, nullptr);
    EXPECT_EQ(material.vertexShaderPath, "");
    EXPECT_TRUE(boxes_.Boxes().empty());
}

TEST_F(MaterialTest, ShippedMaterialsLoadSilentlyWithDifferentModifiers) {
    Material cube;
    Material plane;
    for (Material* material : {&cube, &plane}) {
        EXPECT_TRUE(material->Load(material == &cube ? "data/material1.material"
                                                      : "data/material2.material"));
        EXPECT_TRUE(material->LoadFragmentShader());
        EXPECT_TRUE(material->LoadVertexShader());
        EXPECT_NE(material->texture, nullptr);
        EXPECT_NE(material->vertexShader, nullptr);
        EXPECT_NE(material->fragmentShader, nullptr);
        EXPECT_NE(material->colorModifier[0], -1.0f);
    }
    EXPECT_TRUE(boxes_.Boxes().empty());
    EXPECT_EQ(errors_.Text(), "");
    bool different = false;
    for (int i = 0; i < 3; ++i)
        different = different || cube.colorModifier[i] != plane.colorModifier[i];
    EXPECT_TRUE(different);
}

// Loads the standard shaders for a material file with `field` in its constants.
class AppliedMaterialTest : public MaterialTest {
protected:
    void Prepare(Material& material, const std::string& field) {
        boxes_.Clear();
        LoadText(material, StandardMaterialText(field));
        ASSERT_TRUE(material.LoadFragmentShader());
        ASSERT_TRUE(material.LoadVertexShader());
        ASSERT_NE(material.colorModifierHandle, nullptr);
        modifierRegister_ = StaleColorModifierRegister(Device(), material);
    }

    // The default value the constant table gives g_colorModifier.
    std::array<float, 4> TableDefault(Material& material) {
        D3DXCONSTANT_DESC description = {};
        UINT count = 1;
        material.fragmentConstantTable->GetConstantDesc(material.colorModifierHandle, &description,
                                                        &count);
        std::array<float, 4> value = {};
        if (description.DefaultValue != nullptr) {
            const float* defaults = static_cast<const float*>(description.DefaultValue);
            for (UINT i = 0; i < description.Columns && i < 4; ++i) value[i] = defaults[i];
        }
        return value;
    }

    UINT modifierRegister_ = 0;
};

TEST_F(AppliedMaterialTest, ColorModifierIsWrittenAsGiven) {
    Material material;
    Prepare(material, "g_colorModifier = { 1, 0.5, 0.25 }");
    material.ApplyColorModifier();
    const std::array<float, 4> written = PixelConstant(Device(), modifierRegister_);
    EXPECT_FLOAT_EQ(written[0], 1.0f);
    EXPECT_FLOAT_EQ(written[1], 0.5f);
    EXPECT_FLOAT_EQ(written[2], 0.25f);
}

TEST_F(AppliedMaterialTest, MinusOneOrAMissingModifierWritesTheShaderDefaults) {
    for (const char* field :
         {"g_colorModifier = { -1, 0.5, 0.5 }", "g_colorModifier = { 1, 0.5 }", ""}) {
        Material material;
        Prepare(material, field);
        const std::array<float, 4> defaults = TableDefault(material);
        material.ApplyColorModifier();
        const std::array<float, 4> written = PixelConstant(Device(), modifierRegister_);
        for (int i = 0; i < 3; ++i) {
            EXPECT_FLOAT_EQ(written[i], defaults[i]) << field << " [" << i << "]";
            EXPECT_FLOAT_EQ(written[i], 1.0f) << field << " [" << i << "]";
        }
    }
}

TEST_F(AppliedMaterialTest, MaterialWithoutConstantsWritesZero) {
    Material material;
    EXPECT_FALSE(LoadText(material,
                          "return { texture = 'data/checker.bmp', shaders = { vertexShader = "
                          "'data/standard_vertex.shader', fragmentShader = "
                          "'data/standard_fragment.shader' } }"));
    ASSERT_TRUE(material.LoadFragmentShader());
    const UINT index = StaleColorModifierRegister(Device(), material);
    material.ApplyColorModifier();
    const std::array<float, 4> written = PixelConstant(Device(), index);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(written[i], 0.0f) << i;
    EXPECT_TRUE(boxes_.Boxes().empty());
}

TEST_F(AppliedMaterialTest, WithoutShadersNothingIsWritten) {
    Material material;
    ASSERT_TRUE(LoadText(material, StandardMaterialText("g_colorModifier = { 1, 0.5, 0.25 }")));
    const float stale[4] = {9.0f, 8.0f, 7.0f, 6.0f};
    Device()->SetPixelShaderConstantF(0, stale, 1);
    Device()->SetVertexShaderConstantF(0, stale, 1);
    WriteEveryConstant(material);
    EXPECT_EQ(PixelConstant(Device(), 0), (std::array<float, 4>{9.0f, 8.0f, 7.0f, 6.0f}));
    EXPECT_EQ(VertexConstant(Device(), 0), (std::array<float, 4>{9.0f, 8.0f, 7.0f, 6.0f}));
}

TEST_F(AppliedMaterialTest, SetTransformsWritesEachMatrixToItsConstant) {
    Material material;
    Prepare(material, "g_colorModifier = { 1, 1, 1 }");
    ASSERT_NE(material.worldToViewHandle, nullptr);
    ASSERT_NE(material.viewToScreenHandle, nullptr);
    ASSERT_NE(material.modelToWorldHandle, nullptr);
    D3DXMATRIX worldToView, viewToScreen, modelToWorld;
    for (int i = 0; i < 16; ++i) {
        worldToView[i] = 100.0f + static_cast<float>(i);
        viewToScreen[i] = 200.0f + static_cast<float>(i);
        modelToWorld[i] = 300.0f + static_cast<float>(i);
    }
    material.SetTransforms(worldToView, viewToScreen, modelToWorld);
    const struct {
        D3DXHANDLE handle;
        const D3DXMATRIX* matrix;
    } written[] = {{material.worldToViewHandle, &worldToView},
                   {material.viewToScreenHandle, &viewToScreen},
                   {material.modelToWorldHandle, &modelToWorld}};
    for (const auto& w : written) {
        ExpectMatrixInRegisters(Device(), RegisterOf(material.vertexConstantTable, w.handle),
                                *w.matrix);
    }
}

TEST_F(AppliedMaterialTest, BindMakesShadersAndTextureCurrent) {
    Material material;
    Prepare(material, "g_colorModifier = { 1, 1, 1 }");
    Device()->SetVertexShader(nullptr);
    Device()->SetPixelShader(nullptr);
    Device()->SetTexture(material.samplerIndex, nullptr);
    material.Bind();
    IDirect3DVertexShader9* vertexShader = nullptr;
    IDirect3DPixelShader9* pixelShader = nullptr;
    Device()->GetVertexShader(&vertexShader);
    Device()->GetPixelShader(&pixelShader);
    EXPECT_EQ(vertexShader, material.vertexShader);
    EXPECT_EQ(pixelShader, material.fragmentShader);
    EXPECT_EQ(BoundTexture(Device(), material.samplerIndex), material.texture);
    if (vertexShader != nullptr) vertexShader->Release();
    if (pixelShader != nullptr) pixelShader->Release();
    Device()->SetVertexShader(nullptr);
    Device()->SetPixelShader(nullptr);
    Device()->SetTexture(material.samplerIndex, nullptr);
}

TEST_F(AppliedMaterialTest, ReleaseLetsGoOfEveryDeviceObject) {
    Material material;
    Prepare(material, "g_colorModifier = { 1, 1, 1 }");
    Device()->SetTexture(material.samplerIndex, nullptr);
    const ULONG loaded = DeviceReferences();
    material.Release();
    EXPECT_EQ(material.vertexShader, nullptr);
    EXPECT_EQ(material.fragmentShader, nullptr);
    EXPECT_EQ(material.vertexConstantTable, nullptr);
    EXPECT_EQ(material.fragmentConstantTable, nullptr);
    EXPECT_EQ(material.texture, nullptr);
    EXPECT_EQ(material.colorModifierHandle, nullptr);
    EXPECT_EQ(material.worldToViewHandle, nullptr);
    EXPECT_LT(DeviceReferences(), loaded);
    material.Release();  // a second call finds nothing to release
    EXPECT_EQ(material.vertexShaderPath, StandardVertexShaderPath);
}
}  // namespace
