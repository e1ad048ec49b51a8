// Shader files read whole from real files, and made into shaders on a real device: the built
// shaders, shaders that lack a name, and damaged files that must be refused with a report.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "material/material.h"
#include "material/shader_program.h"
#include "support/material_test_support.h"
#include "platform/windows_error.h"
#include "support/temp_folder.h"
#include "support/test_device.h"

namespace {
const char OpenFailure[] = "Windows failed to open the shader file: ";

// The system's text for what opening `path` fails with.
std::string OpenFailureText(const char* path) {
    HANDLE file = CreateFileA(path, FILE_GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    EXPECT_EQ(file, INVALID_HANDLE_VALUE) << path;
    return OpenFailure + FormatLastWindowsError();
}

TEST(ReadShaderFile, ReadsTheWholeFileAndClosesIt) {
    TempFolder folder;
    std::string contents;
    for (int i = 0; i < 1000; ++i) contents += static_cast<char>(i * 7);
    const std::string path = folder.Write("whole.shader", contents);
    void* bytes = nullptr;
    uint32_t size = 0;
    std::string description = "untouched";
    ASSERT_TRUE(ReadShaderFile(path.c_str(), &bytes, &description, &size));
    ASSERT_NE(bytes, nullptr);
    EXPECT_EQ(size, contents.size());
    EXPECT_EQ(std::memcmp(bytes, contents.data(), contents.size()), 0);
    EXPECT_EQ(description, "untouched");
    std::free(bytes);
    EXPECT_TRUE(FileIsClosed(path));

    ASSERT_TRUE(ReadShaderFile(path.c_str(), &bytes));
    EXPECT_EQ(std::memcmp(bytes, contents.data(), contents.size()), 0);
    std::free(bytes);
    EXPECT_TRUE(DeleteFileA(path.c_str()));
}

TEST(ReadShaderFile, EmptyFileReadsAsNoBytes) {
    TempFolder folder;
    const std::string path = folder.Write("empty.shader", "");
    void* bytes = nullptr;
    uint32_t size = 99;
    std::string description;
    EXPECT_TRUE(ReadShaderFile(path.c_str(), &bytes, &description, &size));
    EXPECT_EQ(size, 0u);
    std::free(bytes);
    EXPECT_TRUE(FileIsClosed(path));
}

TEST(ReadShaderFile, FileThatCannotBeOpenedIsDescribedWithTheSystemText) {
    TempFolder folder;
    const std::string missing = folder.PathOf("missing.shader");
    void* bytes = reinterpret_cast<void*>(1);
    uint32_t size = 99;
    std::string description = "previous content";
    EXPECT_FALSE(ReadShaderFile(missing.c_str(), &bytes, &description, &size));
    EXPECT_EQ(bytes, nullptr);
    EXPECT_EQ(size, 0u);
    EXPECT_EQ(description, OpenFailure + FormatWindowsError(ERROR_FILE_NOT_FOUND));

    EXPECT_FALSE(ReadShaderFile("", &bytes, &description));
    EXPECT_EQ(description, OpenFailureText(""));
    EXPECT_EQ(bytes, nullptr);

    // Held open by someone who shares nothing.
    const std::string path = folder.Write("locked.shader", "abcd");
    HANDLE holder = CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);
    EXPECT_FALSE(ReadShaderFile(path.c_str(), &bytes, &description));
    EXPECT_EQ(description, OpenFailure + FormatWindowsError(ERROR_SHARING_VIOLATION));
    CloseHandle(holder);

    EXPECT_FALSE(ReadShaderFile(missing.c_str(), &bytes));
    EXPECT_EQ(bytes, nullptr);
}

TEST(ReadShaderFile, ShortReadIsAFailure) {
    // A Linux sysfs attribute reports a size of one page but holds a few bytes: a real file
    // whose read ends before the size it gave.
    const char path[] = "Z:/sys/kernel/mm/transparent_hugepage/enabled";
    HANDLE file = CreateFileA(path, FILE_GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) GTEST_SKIP() << "no " << path << " here";
    LARGE_INTEGER size = {};
    char probe[8192];
    DWORD read = 0;
    const bool shortFile = GetFileSizeEx(file, &size) &&
                           ReadFile(file, probe, sizeof probe, &read, nullptr) &&
                           size.QuadPart > 0 && read < size.QuadPart;
    CloseHandle(file);
    if (!shortFile) GTEST_SKIP() << path << " reads as many bytes as its size";

    void* bytes = reinterpret_cast<void*>(1);
    std::string description;
    EXPECT_FALSE(ReadShaderFile(path, &bytes, &description));
    EXPECT_EQ(bytes, nullptr);
    EXPECT_EQ(description, "Windows read only " + std::to_string(read) + " of " +
                               std::to_string(size.QuadPart) + " bytes of the shader file " + path);
}

class ShaderProgramTest : public DeviceTest {
protected:
    void SetUp() override {
        DeviceTest::SetUp();
        vertexBytes_ = ReadWholeFile(StandardVertexShaderPath);
        fragmentBytes_ = ReadWholeFile(StandardFragmentShaderPath);
        ASSERT_GT(vertexBytes_.size(), 8u) << "the build makes " << StandardVertexShaderPath;
        ASSERT_GT(fragmentBytes_.size(), 8u) << "the build makes " << StandardFragmentShaderPath;
    }

    // The shader file's bytes with the name `from` of its constant table changed to `to`.
    static std::string Renamed(std::string bytes, const std::string& from, const std::string& to) {
        const size_t at = bytes.find(from + '\0');
        EXPECT_NE(at, std::string::npos) << from;
        if (at != std::string::npos) bytes.replace(at, from.size(), to);
        return bytes;
    }

    // The shader file's bytes without the comment block (the constant table) after the version.
    static std::string WithoutConstantTable(const std::string& bytes) {
        uint32_t comment = 0;
        std::memcpy(&comment, bytes.data() + 4, 4);
        EXPECT_EQ(comment & 0xFFFF, 0xFFFEu);
        return bytes.substr(0, 4) + bytes.substr(8 + 4 * (comment >> 16));
    }

    struct Damaged {
        std::string name;
        std::string bytes;
    };

    // Empty, cut at several points, random, and not a shader at all.
    static std::vector<Damaged> DamagedFrom(const std::string& good) {
        std::vector<Damaged> damaged = {{"empty", ""}};
        const size_t half = good.size() / 2 & ~size_t{3};
        for (size_t length : {size_t{1}, size_t{4}, size_t{8}, size_t{12}, size_t{40}, half,
                              good.size() - 8, good.size() - 4, good.size() - 1}) {
            damaged.push_back(
                {"first " + std::to_string(length) + " bytes", good.substr(0, length)});
        }
        uint32_t seed = 12345;
        std::string random;
        for (int i = 0; i < 256; ++i) {
            seed = seed * 1664525u + 1013904223u;
            random += static_cast<char>(seed >> 24);
        }
        damaged.push_back({"random bytes", random});
        damaged.push_back({"version token then random bytes", good.substr(0, 4) + random});
        damaged.push_back({"Lua text", "return { texture = 'data/checker.bmp' }\n"});
        return damaged;
    }

    // Each damaged copy of `good` is refused with one box that gives a reason (an empty file's
    // is said exactly); `left` checks what the material kept.
    template <class Left>
    void ExpectDamagedRefused(const ShaderKind& kind, const std::string& good, Left left) {
        for (const Damaged& file : DamagedFrom(good)) {
            SCOPED_TRACE(file.name);
            boxes_.Clear();
            Material material;
            const std::string& path = material.*kind.path =
                folder_.Write(std::string("damaged-") + kind.name + ".shader", file.bytes);
            EXPECT_FALSE((material.*kind.load)());
            ASSERT_EQ(boxes_.Boxes().size(), 1u);
            const std::string prefix =
                "The shader file " + path + " is not a usable compiled shader: ";
            const std::string& text = boxes_.Boxes()[0].text;
            EXPECT_EQ(text.compare(0, prefix.size(), prefix), 0) << text;
            EXPECT_GT(text.size(), prefix.size()) << "the reason is missing";
            if (file.bytes.empty()) {
                EXPECT_EQ(text, prefix + "the file is empty");
            }
            ExpectOneBox(kind.caption, text);
            left(material);
            EXPECT_TRUE(DeleteFileA(path.c_str()));
        }
    }

    TempFolder folder_;
    std::string vertexBytes_;
    std::string fragmentBytes_;
};

TEST_F(ShaderProgramTest, BuiltShadersCreateAndResolveEveryName) {
    Material material;
    D3DXCreateTextureFromFileA(Device(), CheckerTexturePath, &material.texture);
    ASSERT_NE(material.texture, nullptr);
    material.fragmentShaderPath = folder_.Write("fragment.shader", fragmentBytes_);
    material.vertexShaderPath = folder_.Write("vertex.shader", vertexBytes_);

    EXPECT_TRUE(material.LoadFragmentShader());
    EXPECT_TRUE(material.LoadVertexShader());
    EXPECT_TRUE(boxes_.Boxes().empty());
    EXPECT_NE(material.fragmentShader, nullptr);
    EXPECT_NE(material.vertexShader, nullptr);
    ASSERT_NE(material.fragmentConstantTable, nullptr);
    ASSERT_NE(material.vertexConstantTable, nullptr);
    EXPECT_NE(material.colorModifierHandle, nullptr);
    EXPECT_NE(material.worldToViewHandle, nullptr);
    EXPECT_NE(material.viewToScreenHandle, nullptr);
    EXPECT_NE(material.modelToWorldHandle, nullptr);

    D3DXHANDLE sampler =
        material.fragmentConstantTable->GetConstantByName(nullptr, "g_color_sampler");
    ASSERT_NE(sampler, nullptr);
    D3DXCONSTANT_DESC description = {};
    UINT count = 1;
    material.fragmentConstantTable->GetConstantDesc(sampler, &description, &count);
    EXPECT_EQ(description.RegisterSet, D3DXRS_SAMPLER);
    EXPECT_EQ(material.samplerIndex, description.RegisterIndex);

    // The texture is bound to that sampler as soon as the fragment shader is loaded.
    EXPECT_EQ(BoundTexture(Device(), material.samplerIndex), material.texture);
    Device()->SetTexture(material.samplerIndex, nullptr);

    const UINT worldToView = RegisterOf(material.vertexConstantTable, material.worldToViewHandle);
    const UINT viewToScreen = RegisterOf(material.vertexConstantTable, material.viewToScreenHandle);
    const UINT modelToWorld = RegisterOf(material.vertexConstantTable, material.modelToWorldHandle);
    EXPECT_NE(worldToView, viewToScreen);
    EXPECT_NE(viewToScreen, modelToWorld);
    EXPECT_NE(modelToWorld, worldToView);

    EXPECT_TRUE(FileIsClosed(material.fragmentShaderPath));
    EXPECT_TRUE(FileIsClosed(material.vertexShaderPath));
}

TEST_F(ShaderProgramTest, SetDefaultsGivesTheDefaultColorModifier) {
    Material material;
    material.fragmentShaderPath = StandardFragmentShaderPath;
    ASSERT_TRUE(material.LoadFragmentShader());
    ASSERT_NE(material.colorModifierHandle, nullptr);
    const UINT index = StaleColorModifierRegister(Device(), material);
    material.fragmentConstantTable->SetDefaults(Device());
    const std::array<float, 4> written = PixelConstant(Device(), index);
    EXPECT_EQ(written, (std::array<float, 4>{1.0f, 1.0f, 1.0f, 0.0f}));
}

TEST_F(ShaderProgramTest, ShaderWithoutSomeNamesStillLoads) {
    Material material;
    material.samplerIndex = 5;
    D3DXCreateTextureFromFileA(Device(), CheckerTexturePath, &material.texture);
    material.fragmentShaderPath = folder_.Write(
        "no-sampler.shader", Renamed(fragmentBytes_, "g_color_sampler", "g_other_sampler"));
    EXPECT_TRUE(material.LoadFragmentShader());
    EXPECT_NE(material.fragmentShader, nullptr);
    EXPECT_NE(material.colorModifierHandle, nullptr);
    EXPECT_EQ(material.samplerIndex, 5u) << "keeps its value";
    for (DWORD stage : {DWORD{0}, DWORD{5}}) {
        EXPECT_EQ(BoundTexture(Device(), stage), nullptr) << "none bound at load, stage " << stage;
    }
    material.Release();

    material.fragmentShaderPath = folder_.Write(
        "no-modifier.shader", Renamed(fragmentBytes_, "g_colorModifier", "g_colorModifieX"));
    EXPECT_TRUE(material.LoadFragmentShader());
    EXPECT_EQ(material.colorModifierHandle, nullptr);

    material.vertexShaderPath =
        folder_.Write("no-view.shader",
                      Renamed(vertexBytes_, "g_transform_worldToView", "g_transform_worldToVieX"));
    EXPECT_TRUE(material.LoadVertexShader());
    EXPECT_NE(material.vertexShader, nullptr);
    EXPECT_EQ(material.worldToViewHandle, nullptr);
    EXPECT_NE(material.viewToScreenHandle, nullptr);
    EXPECT_NE(material.modelToWorldHandle, nullptr);
    EXPECT_TRUE(boxes_.Boxes().empty());
}

TEST_F(ShaderProgramTest, ShaderWithoutConstantTableLoadsWithNoHandles) {
    Material material;
    material.fragmentShaderPath =
        folder_.Write("bare-fragment.shader", WithoutConstantTable(fragmentBytes_));
    material.vertexShaderPath =
        folder_.Write("bare-vertex.shader", WithoutConstantTable(vertexBytes_));
    EXPECT_TRUE(material.LoadFragmentShader());
    EXPECT_TRUE(material.LoadVertexShader());
    EXPECT_NE(material.fragmentShader, nullptr);
    EXPECT_NE(material.vertexShader, nullptr);
    EXPECT_EQ(material.fragmentConstantTable, nullptr);
    EXPECT_EQ(material.vertexConstantTable, nullptr);
    EXPECT_EQ(material.colorModifierHandle, nullptr);
    EXPECT_EQ(material.worldToViewHandle, nullptr);
    EXPECT_EQ(material.samplerIndex, 0u);
    EXPECT_TRUE(boxes_.Boxes().empty());
    // Nothing to write through, and nothing breaks.
    WriteEveryConstant(material);
}

TEST_F(ShaderProgramTest, DamagedFragmentShaderFilesAreRefusedWithAReport) {
    ExpectDamagedRefused(FragmentShaderKind, fragmentBytes_, [](const Material& left) {
        EXPECT_EQ(left.fragmentShader, nullptr);
        EXPECT_EQ(left.fragmentConstantTable, nullptr);
        EXPECT_EQ(left.colorModifierHandle, nullptr);
        EXPECT_EQ(left.samplerIndex, 0u);
    });
}

TEST_F(ShaderProgramTest, DamagedVertexShaderFilesAreRefusedWithAReport) {
    ExpectDamagedRefused(VertexShaderKind, vertexBytes_, [](const Material& left) {
        EXPECT_EQ(left.vertexShader, nullptr);
        EXPECT_EQ(left.vertexConstantTable, nullptr);
        EXPECT_EQ(left.worldToViewHandle, nullptr);
    });
}

TEST_F(ShaderProgramTest, ShaderOfTheOtherKindFailsToCreate) {
    Material material;
    material.fragmentShaderPath = StandardVertexShaderPath;
    material.vertexShaderPath = StandardFragmentShaderPath;
    for (const ShaderKind* kind : {&FragmentShaderKind, &VertexShaderKind}) {
        boxes_.Clear();
        EXPECT_FALSE((material.*kind->load)());
        ExpectOneBox(kind->caption, kind->creationFailure);
    }
    EXPECT_EQ(material.fragmentShader, nullptr);
    // The table is read from the bytes whatever the creation gave; it has no fragment names.
    EXPECT_EQ(material.colorModifierHandle, nullptr);
    EXPECT_EQ(material.samplerIndex, 0u);
    EXPECT_EQ(material.vertexShader, nullptr);
    EXPECT_EQ(material.worldToViewHandle, nullptr);
    EXPECT_EQ(material.viewToScreenHandle, nullptr);
    EXPECT_EQ(material.modelToWorldHandle, nullptr);
}

TEST_F(ShaderProgramTest, ShaderFileThatCannotBeOpenedIsReported) {
    Material material;  // no paths were read: both are empty
    const std::string missing = folder_.PathOf("missing.shader");
    for (const std::string& path : {std::string(), missing}) {
        for (const ShaderKind* kind : {&FragmentShaderKind, &VertexShaderKind}) {
            SCOPED_TRACE(std::string(kind->name) + " path \"" + path + "\"");
            boxes_.Clear();
            material.*kind->path = path;
            EXPECT_FALSE((material.*kind->load)());
            ExpectOneBox(kind->caption,
                         path.empty() ? OpenFailureText("")
                                      : OpenFailure + FormatWindowsError(ERROR_FILE_NOT_FOUND));
        }
    }
    EXPECT_EQ(material.fragmentShader, nullptr);
    EXPECT_EQ(material.vertexShader, nullptr);
    EXPECT_EQ(material.fragmentConstantTable, nullptr);
    EXPECT_EQ(material.vertexConstantTable, nullptr);
}
}  // namespace
