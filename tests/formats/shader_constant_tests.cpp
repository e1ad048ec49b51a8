// The constant tables of the built shaders, read back by D3DX as the program reads them.
#include "formats/shader_format.h"
#include "support/temp_folder.h"

#include <d3dx9.h>
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

struct ConstantTable {
    explicit ConstantTable(const char* path) : bytes(ReadWholeFile(path)) {
        words.resize(bytes.size() / 4);
        if (!words.empty()) std::memcpy(words.data(), bytes.data(), words.size() * 4);
        if (!words.empty()) result = D3DXGetShaderConstantTable(words.data(), &table);
    }
    ~ConstantTable() {
        if (table) table->Release();
    }
    ConstantTable(const ConstantTable&) = delete;
    ConstantTable& operator=(const ConstantTable&) = delete;

    D3DXCONSTANT_DESC Describe(const char* name) const {
        D3DXCONSTANT_DESC desc = {};
        D3DXHANDLE handle = table->GetConstantByName(nullptr, name);
        EXPECT_NE(handle, nullptr) << name << " does not resolve";
        UINT count = 1;
        if (handle) {
            EXPECT_TRUE(SUCCEEDED(table->GetConstantDesc(handle, &desc, &count))) << name;
        }
        return desc;
    }
    // D3DX read the table, of a shader of `version` with `constants` constants.
    void ExpectHeader(DWORD version, UINT constants) const {
        ASSERT_TRUE(SUCCEEDED(result)) << std::hex << result;
        ASSERT_NE(table, nullptr);
        D3DXCONSTANTTABLE_DESC tableDesc;
        ASSERT_TRUE(SUCCEEDED(table->GetDesc(&tableDesc)));
        EXPECT_EQ(tableDesc.Version, version);
        EXPECT_EQ(tableDesc.Constants, constants);
    }

    std::string bytes;
    std::vector<DWORD> words;
    HRESULT result = E_FAIL;
    ID3DXConstantTable* table = nullptr;
};

std::vector<float> Floats(const void* values, size_t count) {
    std::vector<float> floats(count);
    std::memcpy(floats.data(), values, count * sizeof(float));
    return floats;
}

// Register set, class, type, rows, columns and register count, compared at once.
std::vector<UINT> Shape(const D3DXCONSTANT_DESC& d) {
    return {static_cast<UINT>(d.RegisterSet), static_cast<UINT>(d.Class),
            static_cast<UINT>(d.Type), d.Rows, d.Columns, d.RegisterCount};
}

TEST(ShaderConstants, VertexShaderHasTheThreeTransformsAsColumnMajorMatrices) {
    ConstantTable vertex("data/standard_vertex.shader");
    ASSERT_NO_FATAL_FAILURE(vertex.ExpectHeader(0xFFFE0200u, 3));

    const char* names[] = {"g_transform_modelToWorld", "g_transform_worldToView",
                           "g_transform_viewToScreen"};
    std::vector<bool> used(256, false);
    for (const char* name : names) {
        SCOPED_TRACE(name);
        D3DXCONSTANT_DESC desc = vertex.Describe(name);
        EXPECT_STREQ(desc.Name, name);
        // Matrix columns: SetMatrix then writes the transpose, which is what m4x4 with a row
        // vector needs.
        EXPECT_EQ(Shape(desc),
                  (std::vector<UINT>{D3DXRS_FLOAT4, D3DXPC_MATRIX_COLUMNS, D3DXPT_FLOAT, 4, 4, 4}));
        EXPECT_EQ(desc.Elements, 1u);
        EXPECT_EQ(desc.DefaultValue, nullptr);
        UINT end = desc.RegisterIndex + desc.RegisterCount;
        for (UINT r = desc.RegisterIndex; r < end && r < 256; ++r) {
            EXPECT_FALSE(used[r]) << "c" << r << " belongs to two matrices";
            used[r] = true;
        }
    }
}

// The register that the code declares with dcl_2d (the only sampler the shader uses).
int DeclaredSampler(const std::vector<DWORD>& words) {
    for (size_t i = 1; i + 2 < words.size(); ++i) {
        if ((words[i] & kOpcodeMask) == kOpComment) {
            i += CommentLength(words[i]);
            continue;
        }
        if ((words[i] & kOpcodeMask) == kOpDcl && words[i + 1] == 0x90000000u) {
            const DWORD reg = words[i + 2];
            EXPECT_EQ(RegisterTypeOf(reg), kRegSampler) << "dcl_2d of a non-sampler";
            return static_cast<int>(reg & kRegisterNumberMask);
        }
    }
    return -1;
}

TEST(ShaderConstants, FragmentShaderHasTheColorModifierAndTheSampler) {
    ConstantTable fragment("data/standard_fragment.shader");
    ASSERT_NO_FATAL_FAILURE(fragment.ExpectHeader(0xFFFF0200u, 2));

    D3DXCONSTANT_DESC modifier = fragment.Describe("g_colorModifier");
    EXPECT_EQ(Shape(modifier),
              (std::vector<UINT>{D3DXRS_FLOAT4, D3DXPC_VECTOR, D3DXPT_FLOAT, 1, 3, 1}));
    // A whole register, as SetDefaults uploads it: 1, 1, 1 and a 0 in the unused w.
    ASSERT_NE(modifier.DefaultValue, nullptr);
    EXPECT_EQ(Floats(modifier.DefaultValue, 4), (std::vector<float>{1, 1, 1, 0}));

    D3DXCONSTANT_DESC sampler = fragment.Describe("g_color_sampler");
    EXPECT_EQ(Shape(sampler),
              (std::vector<UINT>{D3DXRS_SAMPLER, D3DXPC_OBJECT, D3DXPT_SAMPLER2D, 1, 1, 1}));
    D3DXHANDLE handle = fragment.table->GetConstantByName(nullptr, "g_color_sampler");
    EXPECT_EQ(fragment.table->GetSamplerIndex(handle), sampler.RegisterIndex);
    EXPECT_EQ(static_cast<int>(sampler.RegisterIndex), DeclaredSampler(fragment.words))
        << "the table names a different sampler from the one the code reads";
}

TEST(ShaderConstants, ConstantTableIsTheFirstBlockAfterTheVersionToken) {
    for (const char* path : {"data/standard_vertex.shader", "data/standard_fragment.shader"}) {
        ConstantTable shader(path);
        ASSERT_GE(shader.words.size(), 10u) << path;
        EXPECT_EQ(shader.words[1] & 0xFFFF, 0xFFFEu) << path;
        EXPECT_EQ(shader.words[2], 0x42415443u) << path << ": no \"CTAB\"";
        EXPECT_EQ(shader.words[3], 28u) << path << ": header size";
        EXPECT_EQ(shader.words.back(), 0x0000FFFFu) << path << ": no end token at the end";
    }
}

// A matrix with rows and columns, and values given row by row in the source, keeps
// column j in register j, so SetDefaults loads what SetMatrix would.
TEST(ShaderConstants, DefaultsOfVectorsAndMatricesFillWholeRegisters) {
    ConstantTable shader(SHADER_TEST_DIR "/every_feature.vsh.shader");
    ASSERT_NE(shader.table, nullptr);
    D3DXCONSTANT_DESC vector = shader.Describe("g_vector");
    D3DXCONSTANT_DESC matrix = shader.Describe("g_matrix");
    D3DXCONSTANT_DESC scalar = shader.Describe("g_scalar");
    EXPECT_EQ(vector.Class, D3DXPC_VECTOR);
    EXPECT_EQ(scalar.Class, D3DXPC_SCALAR);
    EXPECT_EQ(Shape(matrix),
              (std::vector<UINT>{D3DXRS_FLOAT4, D3DXPC_MATRIX_COLUMNS, D3DXPT_FLOAT, 3, 4, 4}));
    EXPECT_EQ(matrix.RegisterIndex, 30u);
    EXPECT_EQ(scalar.DefaultValue, nullptr);
    ASSERT_NE(vector.DefaultValue, nullptr);
    ASSERT_NE(matrix.DefaultValue, nullptr);
    EXPECT_EQ(Floats(vector.DefaultValue, 4), (std::vector<float>{1, 2, 3, 4}));
    EXPECT_EQ(Floats(matrix.DefaultValue, 16),
              (std::vector<float>{1, 5, 9, 0, 2, 6, 10, 0, 3, 7, 11, 0, 4, 8, 12, 0}));
}

}  // namespace
