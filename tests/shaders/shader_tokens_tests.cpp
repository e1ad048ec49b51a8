// CheckShaderTokens on the built shaders, on damaged copies of them and on foreign bytes.
// Every check runs on a copy that ends right at a page the process may not touch, so a
// read past the end crashes the test instead of passing unnoticed.
#include "material/shader_tokens.h"
#include "support/temp_folder.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

const char VertexShaderPath[] = "data/standard_vertex.shader";
const char FragmentShaderPath[] = "data/standard_fragment.shader";

// Bytes placed so that their last byte is followed by a no-access page.
class GuardedBytes {
public:
    explicit GuardedBytes(const std::string& bytes) {
        SYSTEM_INFO info;
        GetSystemInfo(&info);
        size_t page = info.dwPageSize;
        size_t dataPages = (bytes.size() + page - 1) / page;
        size_t total = (dataPages + 1) * page;
        base_ = static_cast<unsigned char*>(
            VirtualAlloc(nullptr, total, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
        DWORD previous = 0;
        if (base_ == nullptr ||
            !VirtualProtect(base_ + dataPages * page, page, PAGE_NOACCESS, &previous)) {
            ADD_FAILURE() << "cannot set up a guard page";
            return;
        }
        data_ = base_ + dataPages * page - bytes.size();
        if (!bytes.empty()) std::memcpy(data_, bytes.data(), bytes.size());
        size_ = bytes.size();
    }
    ~GuardedBytes() {
        if (base_ != nullptr) VirtualFree(base_, 0, MEM_RELEASE);
    }
    GuardedBytes(const GuardedBytes&) = delete;
    GuardedBytes& operator=(const GuardedBytes&) = delete;

    const void* Data() const { return data_; }
    size_t Size() const { return size_; }

private:
    unsigned char* base_ = nullptr;
    unsigned char* data_ = nullptr;
    size_t size_ = 0;
};

// The reason CheckShaderTokens gives for `bytes`, or "accepted".
std::string Verdict(const std::string& bytes, uint32_t kind) {
    GuardedBytes guarded(bytes);
    std::string why = "(no reason given)";
    if (CheckShaderTokens(guarded.Data(), guarded.Size(), kind, &why)) return "accepted";
    return why;
}

std::string Words(const std::vector<uint32_t>& words) {
    return std::string(reinterpret_cast<const char*>(words.data()), words.size() * 4);
}

uint32_t WordAt(const std::string& bytes, size_t index) {
    uint32_t word;
    std::memcpy(&word, bytes.data() + index * 4, 4);
    return word;
}

void SetWordAt(std::string* bytes, size_t index, uint32_t word) {
    std::memcpy(&(*bytes)[index * 4], &word, 4);
}

class ShaderTokens : public ::testing::Test {
protected:
    void SetUp() override {
        vertex_ = ReadWholeFile(VertexShaderPath);
        fragment_ = ReadWholeFile(FragmentShaderPath);
        ASSERT_GE(vertex_.size(), 16u) << VertexShaderPath;
        ASSERT_GE(fragment_.size(), 16u) << FragmentShaderPath;
        // Both begin with the version token and then the constant table's comment block.
        ASSERT_EQ(WordAt(vertex_, 1) & 0xFFFF, 0xFFFEu);
        ASSERT_EQ(WordAt(fragment_, 1) & 0xFFFF, 0xFFFEu);
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
        uint32_t kind = WordAt(*file, 0) >> 16;
        for (size_t size = 0; size < file->size(); ++size)
            EXPECT_NE(Verdict(file->substr(0, size), kind), "accepted") << "cut at " << size;
    }
}

TEST_F(ShaderTokens, NamesWhereATruncatedFileEnds) {
    const std::string& file = fragment_;
    size_t tableWords = 2 + (WordAt(file, 1) >> 16);  // version, comment token, its words
    EXPECT_EQ(Verdict(file.substr(0, file.size() - 4), kPixelShaderVersionType),
              "the file ends before its end token");
    EXPECT_EQ(Verdict(file.substr(0, file.size() - 2), kPixelShaderVersionType),
              "the file's size is not a whole number of 32-bit tokens");
    EXPECT_EQ(Verdict(file.substr(0, 12), kPixelShaderVersionType),
              "a comment block runs past the end of the file");
    // Cut inside the first instruction after the table (a dcl: token, usage, register).
    EXPECT_EQ(Verdict(file.substr(0, (tableWords + 2) * 4), kPixelShaderVersionType),
              "an instruction runs past the end of the file");
    EXPECT_EQ(Verdict(file.substr(0, 4), kPixelShaderVersionType),
              "the file ends before its end token");
    EXPECT_EQ(Verdict(file.substr(0, 3), kPixelShaderVersionType),
              "the file is too short to be a shader");
}

TEST_F(ShaderTokens, RefusesForeignBytes) {
    EXPECT_EQ(Verdict("return { texture = \"a.bmp\" }\n", kVertexShaderVersionType),
              "the file does not begin with a shader version token");
    EXPECT_EQ(Verdict(Words({0xFFFE0101, 0x0000FFFF}), kVertexShaderVersionType),
              "the shader is not shader model 2 or 3");
    // An operand count that claims more words than there are.
    EXPECT_EQ(Verdict(Words({0xFFFF0200, 0x0F000001, 0x0000FFFF}), kPixelShaderVersionType),
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
            if (WordAt(bytes, i) == 0x0000FFFF) SetWordAt(&bytes, i, 0x0000FFFD);
        if (round % 2 == 1) SetWordAt(&bytes, 0, 0xFFFE0200);
        EXPECT_NE(Verdict(bytes, kVertexShaderVersionType), "accepted") << "round " << round;
    }
}

TEST_F(ShaderTokens, RefusesACommentBlockThatRunsPastTheEnd) {
    std::string file = vertex_;
    SetWordAt(&file, 1, 0x7FFFFFFE);  // the constant table's comment, now 0x7FFF words long
    EXPECT_EQ(Verdict(file, kVertexShaderVersionType),
              "a comment block runs past the end of the file");
}

TEST_F(ShaderTokens, RefusesAConstantTableThatPointsOutsideItsBlock) {
    // Words: 0 version, 1 comment token, 2 "CTAB", 3.. the table (offsets count from word 3).
    const size_t table = 3;
    const uint32_t blockBytes = ((WordAt(vertex_, 1) >> 16) - 1) * 4;
    struct Damage {
        size_t word;
        uint32_t value;
        const char* reason;
    };
    const size_t firstConstant = table + WordAt(vertex_, table + 4) / 4;
    const Damage damages[] = {
        {table + 0, 27, "the constant table's header is damaged"},
        {table + 1, blockBytes, "the constant table points outside its comment block"},
        {table + 3, 1000, "the constant table points outside its comment block"},
        {table + 6, 0xFFFFFFF0u, "the constant table points outside its comment block"},
        {firstConstant + 0, blockBytes + 8, "the constant table points outside its comment block"},
        {firstConstant + 3, blockBytes - 8, "the constant table points outside its comment block"},
    };
    for (const Damage& damage : damages) {
        std::string file = vertex_;
        SetWordAt(&file, damage.word, damage.value);
        EXPECT_EQ(Verdict(file, kVertexShaderVersionType), damage.reason) << "word " << damage.word;
    }
    // The fragment shader's default value: its offset moved to the table's last bytes.
    std::string file = fragment_;
    const uint32_t fragmentBlock = ((WordAt(file, 1) >> 16) - 1) * 4;
    const size_t colorModifier = table + WordAt(file, table + 4) / 4;
    ASSERT_NE(WordAt(file, colorModifier + 4), 0u) << "g_colorModifier should have a default";
    SetWordAt(&file, colorModifier + 4, fragmentBlock - 8);
    EXPECT_EQ(Verdict(file, kPixelShaderVersionType),
              "the constant table points outside its comment block");
}

}  // namespace
