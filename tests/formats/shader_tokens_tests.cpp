// CheckShaderTokens on the built shaders, on damaged copies of them and on foreign bytes.
// Every check runs on a copy that ends right at a page the process may not touch, so a
// read past the end crashes the test instead of passing unnoticed.
#include "formats/constant_table_writer.h"
#include "formats/shader_tokens.h"
#include "support/material_test_support.h"
#include "support/shader_corpus.h"
#include "support/temp_folder.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

// The reason CheckShaderTokens gives for `bytes`, or "accepted". It reads a copy placed so
// that its last byte is followed by a no-access page.
std::string Verdict(const std::string& bytes, uint32_t kind, ShaderTokenFacts* facts = nullptr) {
    SYSTEM_INFO info;
    GetSystemInfo(&info);
    const size_t page = info.dwPageSize;
    const size_t dataPages = (bytes.size() + page - 1) / page;
    const size_t total = (dataPages + 1) * page;
    auto* base = static_cast<unsigned char*>(
        VirtualAlloc(nullptr, total, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
    DWORD previous = 0;
    if (base == nullptr ||
        !VirtualProtect(base + dataPages * page, page, PAGE_NOACCESS, &previous)) {
        ADD_FAILURE() << "cannot set up a guard page";
        if (base != nullptr) VirtualFree(base, 0, MEM_RELEASE);
        return "(no guard page)";
    }
    unsigned char* data = base + dataPages * page - bytes.size();
    if (!bytes.empty()) std::memcpy(data, bytes.data(), bytes.size());
    std::string why = "(no reason given)";
    const bool accepted = CheckShaderTokens(data, bytes.size(), kind, &why, facts);
    VirtualFree(base, 0, MEM_RELEASE);
    return accepted ? "accepted" : why;
}

class ShaderTokens : public ::testing::Test {
protected:
    void SetUp() override {
        vertex_ = ReadWholeFile(StandardVertexShaderPath);
        fragment_ = ReadWholeFile(StandardFragmentShaderPath);
        ASSERT_GE(vertex_.size(), 16u) << StandardVertexShaderPath;
        ASSERT_GE(fragment_.size(), 16u) << StandardFragmentShaderPath;
        // Both begin with the version token and then the constant table's comment block.
        ASSERT_EQ(TokenAt(vertex_, 1) & 0xFFFF, 0xFFFEu);
        ASSERT_EQ(TokenAt(fragment_, 1) & 0xFFFF, 0xFFFEu);
    }

    std::string vertex_;
    std::string fragment_;
};

TEST_F(ShaderTokens, AcceptsBothBuiltShadersAsTheirOwnKindOnly) {
    EXPECT_EQ(Verdict(vertex_, kVertexShaderVersionType), "accepted");
    EXPECT_EQ(Verdict(fragment_, kPixelShaderVersionType), "accepted");
    EXPECT_EQ(Verdict(vertex_, kPixelShaderVersionType), "not a pixel shader");
    EXPECT_EQ(Verdict(fragment_, kVertexShaderVersionType), "not a vertex shader");
}

// Direct3D and D3DX stop reading at the end token, so stray bytes after it do no harm.
TEST_F(ShaderTokens, AcceptsOneToThreeStrayBytesAfterTheEndToken) {
    for (const std::string* file : {&vertex_, &fragment_}) {
        const uint32_t kind = TokenAt(*file, 0) >> 16;
        for (const char* tail : {"\xff", "\xff\xff", "\xfe\xff\x7f"})
            EXPECT_EQ(Verdict(*file + tail, kind), "accepted") << std::strlen(tail) << " bytes";
    }
}

TEST_F(ShaderTokens, RefusesEmptyBytesAndANullPointer) {
    EXPECT_EQ(Verdict("", kVertexShaderVersionType), "the file is empty");
    std::string why;
    EXPECT_FALSE(CheckShaderTokens(nullptr, 0, kPixelShaderVersionType, &why));
    EXPECT_EQ(why, "the file is empty");
    // The reason is optional.
    EXPECT_FALSE(CheckShaderTokens(nullptr, 0, kPixelShaderVersionType, nullptr));
}

TEST_F(ShaderTokens, RefusesEveryTruncationOfBothShaders) {
    for (const std::string* file : {&vertex_, &fragment_}) {
        uint32_t kind = TokenAt(*file, 0) >> 16;
        for (size_t size = 0; size < file->size(); ++size)
            EXPECT_NE(Verdict(file->substr(0, size), kind), "accepted") << "cut at " << size;
    }
}

TEST_F(ShaderTokens, NamesWhereATruncatedFileEnds) {
    const std::string& file = fragment_;
    size_t tableWords = 2 + (TokenAt(file, 1) >> 16);  // version, comment token, its words
    const char* const noEnd = "the file ends before its end token";
    const struct {
        size_t size;
        const char* reason;
    } cuts[] = {
        // Part of the end token is not the end token.
        {file.size() - 4, noEnd}, {file.size() - 1, noEnd}, {file.size() - 2, noEnd},
        {file.size() - 3, noEnd}, {12, "a comment block runs past the end of the file"},
        // Cut inside the first instruction after the table (a dcl: token, usage, register).
        {(tableWords + 2) * 4, "an instruction runs past the end of the file"},
        {4, noEnd}, {3, "the file is too short to be a shader"},
    };
    for (const auto& cut : cuts) {
        EXPECT_EQ(Verdict(file.substr(0, cut.size), kPixelShaderVersionType), cut.reason)
            << "cut at " << cut.size;
    }
}

TEST_F(ShaderTokens, RefusesForeignBytes) {
    EXPECT_EQ(Verdict("return { texture = \"a.bmp\" }\n", kVertexShaderVersionType),
              "the file does not begin with a shader version token");
    EXPECT_EQ(Verdict(TokenBytes({0xFFFE0104, 0x0000FFFF}), kVertexShaderVersionType),
              "the shader is of a model Direct3D 9 does not take");
    EXPECT_EQ(Verdict(TokenBytes({0xFFFF0400, 0x0000FFFF}), kPixelShaderVersionType),
              "the shader is of a model Direct3D 9 does not take");
    // An opcode no model has, and one that pixel shaders do not have.
    EXPECT_EQ(Verdict(TokenBytes({0xFFFE0300, 0x00000070, 0x0000FFFF}), kVertexShaderVersionType),
              "an instruction the shader model does not have");
    EXPECT_EQ(Verdict(TokenBytes({0xFFFF0300, 0x0200002E, 0x80010000, 0x80E40000, 0x0000FFFF}),
                      kPixelShaderVersionType),
              "an instruction the shader model does not have");
    // An operand count that claims more words than there are.
    EXPECT_EQ(Verdict(TokenBytes({0xFFFF0200, 0x0F000001, 0x0000FFFF}), kPixelShaderVersionType),
              "an instruction runs past the end of the file");

    // Random bytes, whether or not they start like a shader, never pass and never
    // make the check read outside them.
    uint32_t seed = 12345;
    auto next = [&seed] {
        seed = seed * 1664525u + 1013904223u;
        return seed >> 8;
    };
    for (int round = 0; round < 2000; ++round) {
        std::string bytes(4 * (1 + next() % 64), '\0');
        for (char& c : bytes) c = static_cast<char>(next() & 0xFF);
        // No end token by chance: the one word that would make the stream complete.
        for (size_t i = 0; i < bytes.size() / 4; ++i)
            if (TokenAt(bytes, i) == 0x0000FFFF) SetTokenAt(&bytes, i, 0x0000FFFD);
        if (round % 2 == 1) SetTokenAt(&bytes, 0, 0xFFFE0200);
        EXPECT_NE(Verdict(bytes, kVertexShaderVersionType), "accepted") << "round " << round;
    }
}

TEST_F(ShaderTokens, RefusesACommentBlockThatRunsPastTheEnd) {
    std::string file = vertex_;
    SetTokenAt(&file, 1, 0x7FFFFFFE);  // the constant table's comment, now 0x7FFF words long
    EXPECT_EQ(Verdict(file, kVertexShaderVersionType),
              "a comment block runs past the end of the file");
}

TEST_F(ShaderTokens, RefusesAConstantTableThatPointsOutsideItsBlock) {
    // Words: 0 version, 1 comment token, 2 "CTAB", 3.. the table (offsets count from word 3).
    const size_t table = 3;
    const uint32_t blockBytes = ((TokenAt(vertex_, 1) >> 16) - 1) * 4;
    const size_t firstConstant = table + TokenAt(vertex_, table + 4) / 4;
    const struct {
        size_t word;
        uint32_t value;
        const char* reason;
    } damages[] = {
        {table + 0, 27, "the constant table's header is damaged"},
        {table + 1, blockBytes, "the constant table points outside its comment block"},
        {table + 3, 1000, "the constant table points outside its comment block"},
        {table + 6, 0xFFFFFFF0u, "the constant table points outside its comment block"},
        {firstConstant + 0, blockBytes + 8, "the constant table points outside its comment block"},
        {firstConstant + 3, blockBytes - 8, "the constant table points outside its comment block"},
    };
    for (const auto& damage : damages) {
        std::string file = vertex_;
        SetTokenAt(&file, damage.word, damage.value);
        EXPECT_EQ(Verdict(file, kVertexShaderVersionType), damage.reason) << "word " << damage.word;
    }
    // The fragment shader's default value: its offset moved to the table's last bytes.
    std::string file = fragment_;
    const uint32_t fragmentBlock = ((TokenAt(file, 1) >> 16) - 1) * 4;
    const size_t colorModifier = table + TokenAt(file, table + 4) / 4;
    ASSERT_NE(TokenAt(file, colorModifier + 4), 0u) << "g_colorModifier should have a default";
    SetTokenAt(&file, colorModifier + 4, fragmentBlock - 8);
    EXPECT_EQ(Verdict(file, kPixelShaderVersionType),
              "the constant table points outside its comment block");
}

// Wine's assembler makes every model; the checker takes each, with and without the
// standard shaders' constant table in front.
TEST_F(ShaderTokens, AcceptsEveryInstructionAndRegisterOfEveryModel) {
    for (const CorpusShader& shader : ShaderCorpus()) {
        SCOPED_TRACE(shader.name);
        if (shader.tokens.empty()) continue;  // the corpus has said why
        const std::string& tokens = shader.tokens;
        const uint32_t kind = TokenAt(tokens, 0) >> 16;
        const std::string& donor = kind == kVertexShaderVersionType ? vertex_ : fragment_;
        EXPECT_EQ(Verdict(tokens, kind), "accepted");
        ShaderTokenFacts facts;
        EXPECT_EQ(Verdict(WithConstantTableOf(tokens, donor), kind, &facts), "accepted");
        EXPECT_EQ(facts.tableWord, 1u);
        EXPECT_EQ(facts.tableWords, 1u + (TokenAt(donor, 1) >> 16));
    }
    // Wine's assembler gets these two forms wrong: ps_2_0 sincos r0.xy, r1.x, c0, c1 and
    // vs_3_0 sgn r0, r1.
    EXPECT_EQ(Verdict(TokenBytes({0xFFFF0200, 0x04000025, 0x80030000, 0x80000001, 0xA0E40000,
                                  0xA0E40001, 0x0000FFFF}),
                      kPixelShaderVersionType),
              "accepted");
    EXPECT_EQ(Verdict(TokenBytes({0xFFFE0300, 0x02000022, 0x800F0000, 0x80E40001, 0x0000FFFF}),
                      kVertexShaderVersionType),
              "accepted");
}

// Literals of any bit pattern are well-formed, even those that read like a comment token,
// an end token or "CTAB" to a reader that takes every word for a token; the table is the
// one after them.
TEST_F(ShaderTokens, AcceptsLiteralsOfAnyBitPattern) {
    for (uint32_t literal : {0x0000FFFEu, 0x7FFFFFFEu, 0x3F80FFFEu, 0x0000FFFFu, 0x42415443u,
                             0xFFFFFFFFu, 0x80000000u, 0xFFFF0200u}) {
        SCOPED_TRACE(literal);
        std::string file = fragment_;
        // def c31, literal, "CTAB", literal, literal
        file.insert(4, TokenBytes({0x05000051, 0xA00F001F, literal, 0x42415443, literal, literal}));
        ShaderTokenFacts facts;
        EXPECT_EQ(Verdict(file, kPixelShaderVersionType, &facts), "accepted");
        EXPECT_EQ(facts.tableWord, 7u);
    }
}

// Constant tables whose offsets all stay inside the block, but which D3DX would follow
// without end (cycles), to a depth that overflows its stack, or into a tree exponential in
// the table's size (shared records), or that make GetConstantByName measure one long name
// again and again. The check refuses them, and its work stays within a fixed multiple of the
// file's size however they grow; tables D3DX reads in linear time pass.
TEST_F(ShaderTokens, ChecksEveryConstantTableInWorkLinearInItsSize) {
    const char* const expand =
        "the constant table's types expand to far more constants than it holds";
    const char* const deep = "the constant table's types nest too deeply or contain themselves";
    const char* const outside = "the constant table points outside its comment block";
    const char* const shape =
        "the constant table gives a constant the program sets a shape it cannot take";
    const struct {
        const char* name;
        const char* verdict;
        void (*make)(ConstantTableWriter& table, size_t bytes);
    } shapes[] = {
        {"a structure that contains itself", deep,
         [](ConstantTableWriter& t, size_t) {
             const uint32_t name = t.String("s");
             const uint32_t self = t.Type(5, 1, 4, 1, 1, 0);
             t.SetWord(self + 12, t.Members(1, name, self));
             t.Constant(0, name, 2, 0, 1, self);
         }},
        {"thirty levels of two members sharing one record", expand,
         [](ConstantTableWriter& t, size_t) {
             const uint32_t name = t.String("m");
             uint32_t below = t.Type(1, 1, 4, 1);
             for (int level = 0; level < 30; ++level)
                 below = t.Type(5, 1, 4, 1, 2, t.Members(2, name, below));
             t.Constant(0, name, 2, 0, 1, below);
         }},
        {"every constant an array of 65535 shared elements", expand,
         [](ConstantTableWriter& t, size_t) {
             const uint32_t name = t.String("a");
             const uint32_t array = t.Type(1, 1, 4, 65535);
             for (size_t i = 0; i < 4; ++i) t.Constant(i, name, 2, 0, 1, array);
         }},
        {"an array of structures of many shared members", expand,
         [](ConstantTableWriter& t, size_t bytes) {
             const uint32_t name = t.String("b");
             const uint32_t member = t.Type(0, 1, 1, 1);
             const uint16_t count = static_cast<uint16_t>(bytes / 16 < 65535 ? bytes / 16 : 65535);
             const uint32_t members = t.Members(count, name, member);
             t.Constant(0, name, 2, 0, 1, t.Type(5, 1, 1, 65535, count, members));
         }},
        {"a structure of 65535 members past the block", outside,
         [](ConstantTableWriter& t, size_t) {
             const uint32_t name = t.String("c");
             t.Constant(0, name, 2, 0, 1, t.Type(5, 1, 1, 1, 65535, t.Words(4, 0)));
         }},
        {"a colour modifier of sixteen rows", shape,
         [](ConstantTableWriter& t, size_t) {
             t.Constant(0, t.String("g_colorModifier"), 2, 0, 1, t.Type(2, 16, 1, 1));
         }},
        {"a transform made a structure", shape,
         [](ConstantTableWriter& t, size_t) {
             const uint32_t name = t.String("g_transform_modelToWorld");
             const uint32_t row = t.Type(1, 1, 4, 1);
             t.Constant(0, name, 2, 0, 4, t.Type(5, 1, 16, 1, 4, t.Members(4, name, row)));
         }},
        {"sixteen constants sharing one long name",
         "the constant table's names are far longer than the table",
         [](ConstantTableWriter& t, size_t bytes) {
             const uint32_t name = t.String(std::string(bytes / 2, 'n'));
             const uint32_t type = t.Type(1, 1, 4, 1);
             for (size_t i = 0; i < 16; ++i) t.Constant(i, name, 2, 0, 1, type);
         }},
        {"a long name and a long default value", "accepted",
         [](ConstantTableWriter& t, size_t bytes) {
             const uint32_t name = t.String(std::string(bytes / 2, 'n'));
             const uint32_t value = t.Words(4 * 64, 0x3F800000);
             t.Constant(0, name, 2, 0, 64, t.Type(1, 1, 4, 64), value);
         }},
        {"shared records as compilers write them", "accepted",
         [](ConstantTableWriter& t, size_t) {
             const uint32_t color = t.String("color");
             const uint32_t float4 = t.Type(1, 1, 4, 1);
             const uint32_t members = t.Members(2, color, float4);
             t.Constant(0, t.String("bones"), 2, 0, 200, t.Type(1, 1, 4, 200));
             t.Constant(1, t.String("lights"), 2, 200, 16, t.Type(5, 1, 8, 8, 2, members));
             t.Constant(2, t.String("g_colorModifier"), 2, 216, 1, float4);
             t.Constant(3, t.String("g_transform_modelToWorld"), 2, 217, 4, t.Type(3, 4, 4, 1));
         }},
    };
    for (const auto& s : shapes) {
        for (size_t bytes : {1024u, 16384u, 120000u}) {
            SCOPED_TRACE(std::string(s.name) + ", " + std::to_string(bytes) + " bytes");
            ConstantTableWriter table(16);
            s.make(table, bytes);
            if (table.Size() < bytes) table.Words((bytes - table.Size()) / 4, 0);
            const std::string file = ShaderWithBlock(vertex_, TokenBytes(table.Block()));
            ShaderTokenFacts facts;
            EXPECT_EQ(Verdict(file, kVertexShaderVersionType, &facts), s.verdict);
            EXPECT_LE(facts.work, 3 * file.size() + 16384) << "work " << facts.work;
        }
    }
}

}  // namespace
