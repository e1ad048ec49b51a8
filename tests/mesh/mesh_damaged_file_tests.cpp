// Files that are missing, short, inconsistent or too large: each is refused with a box
// that names it, and nothing is left to draw.
#include <windows.h>

#include "mesh_test.h"

namespace {
class MeshRefusalTest : public MeshTest {
protected:
    // Loads `path` and checks that it was refused with exactly this text.
    void ExpectRefused(const std::string& path, const std::string& text) {
        Mesh mesh;
        mesh.position = {1.0f, 2.0f, 3.0f};
        EXPECT_TRUE(mesh.Load(path.c_str()));
        ExpectOneBox("No Mesh", text);
        if (HasFatalFailure()) return;
        EXPECT_EQ(mesh.vertexBuffer, nullptr);
        EXPECT_EQ(mesh.indexBuffer, nullptr);
        EXPECT_EQ(Proxy()->LiveBuffers(), 0u);
        EXPECT_EQ(mesh.vertexCount, 0u);
        EXPECT_EQ(mesh.indexCount, 0u);
        EXPECT_EQ(mesh.primitiveCount, 0u);
        EXPECT_EQ(mesh.position.x, 0.0f);
        EXPECT_FALSE(mesh.fileStream.is_open());
        EXPECT_TRUE(DrawDoesNothing(mesh));
    }
    // A refusal made before any Direct3D work: not a single device call.
    void ExpectRefusedUntouched(const std::string& path, const std::string& text) {
        ExpectRefused(path, text);
        EXPECT_TRUE(Proxy()->Log().empty()) << Proxy()->Log().size() << " device calls";
    }
    std::string Damaged(const std::string& path, const std::string& rest) const {
        return "The mesh file " + path + " is damaged: " + rest;
    }
    // Writes `bytes` as `name`, expects it refused as damaged before any Direct3D work, and
    // forgets its box.
    void ExpectDamagedUntouched(const char* name, const std::string& bytes,
                                const std::string& rest) {
        const std::string path = folder_.Write(name, bytes);
        ExpectRefusedUntouched(path, Damaged(path, rest));
        boxes_.Clear();
    }
};

// Sets the size of the file at `path`; a tail it grows by reads as zeros (and is sparse).
bool ResizeFile(const std::string& path, LONGLONG bytes) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    LARGE_INTEGER size;
    size.QuadPart = bytes;
    const bool done = SetFilePointerEx(file, size, nullptr, FILE_BEGIN) && SetEndOfFile(file);
    CloseHandle(file);
    return done;
}

TEST_F(MeshRefusalTest, MissingFile) {
    const std::string path = folder_.PathOf("missing.mesh.bin");
    ExpectRefusedUntouched(path, "Windows failed to open the mesh file " + path);
}

TEST_F(MeshRefusalTest, FileShorterThanItsHeader) {
    ExpectDamagedUntouched("empty.mesh.bin", "", "it holds 0 bytes, fewer than its 8-byte header");
    ExpectDamagedUntouched("five.mesh.bin", std::string("\x03\x00\x00\x00\x03", 5),
                           "it holds 5 bytes, fewer than its 8-byte header");
}

TEST_F(MeshRefusalTest, CountsPromisingMoreThanTheFileHolds) {
    const std::string file = OneTriangleFile();
    ExpectDamagedUntouched("cut.mesh.bin", file.substr(0, 58),
                           "it holds 58 bytes but its counts need 92");
    // One index short: the whole index array must be there, not only whole triangles.
    ExpectDamagedUntouched("short.mesh.bin", file.substr(0, 88),
                           "it holds 88 bytes but its counts need 92");
    ExpectDamagedUntouched("more.mesh.bin", MeshFileBytes(3, 6, TriangleVertices(), {0, 1, 2}),
                           "it holds 92 bytes but its counts need 104");
}

TEST_F(MeshRefusalTest, CountsWhoseByteLengthsOverflow32Bits) {
    // 24 x 0x0AAAAAAB and 12 x (0x40000002 / 3) are 2^32 + 8: taken in 32 bits they would
    // make 8-byte buffers and the reads would run far past them.
    ExpectDamagedUntouched("vertices.mesh.bin",
                           MeshFileBytes(0x0AAAAAABu, 3, TriangleVertices(), {0, 1, 2}),
                           "it holds 92 bytes but its counts need 4294967324");
    ExpectDamagedUntouched("indices.mesh.bin",
                           MeshFileBytes(3, 0x40000002u, TriangleVertices(), {0, 1, 2}),
                           "it holds 92 bytes but its counts need 4294967384");
}

TEST_F(MeshRefusalTest, AFileLargeEnoughForCountsNoBufferCanTake) {
    // A sparse file really holding 0x0AAAAAAB vertices: 8 + 2^32 + 8 bytes.
    const std::string path = folder_.Write("huge.mesh.bin", MeshFileBytes(0x0AAAAAABu, 0, {}, {}));
    ASSERT_TRUE(ResizeFile(path, 8 + 24 * LONGLONG{0x0AAAAAAB}));
    ExpectRefusedUntouched(path, "The mesh file " + path +
                                     " is too large: its counts need buffers of 4294967304 and 0 "
                                     "bytes, more than Direct3D can make");
}

TEST_F(MeshRefusalTest, AnIndexThatIsNotBelowTheVertexCount) {
    const std::string three =
        folder_.Write("three.mesh.bin", MeshFileBytes(3, 3, TriangleVertices(), {0, 1, 3}));
    ExpectRefused(three, Damaged(three, "index 2 names vertex 3 but the file has 3 vertices"));
    // Checked before the device could draw them: both buffers were made and let go.
    EXPECT_EQ(Proxy()->Buffers().size(), 2u);
    EXPECT_EQ(Proxy()->Calls(ProxyCall::DrawIndexedPrimitive), 0u);
    boxes_.Clear();
    const std::string huge =
        folder_.Write("huge-index.mesh.bin",
                      MeshFileBytes(3, 6, TriangleVertices(), {0, 1, 2, 0xFFFFFFFFu, 1, 2}));
    ExpectRefused(huge,
                  Damaged(huge, "index 3 names vertex 4294967295 but the file has 3 vertices"));
    boxes_.Clear();
    const std::string none = folder_.Write("none.mesh.bin", MeshFileBytes(0, 3, {}, {0, 0, 0}));
    // No vertices: every index is out of range, whichever step stops the load.
    Mesh mesh;
    mesh.Load(none.c_str());
    EXPECT_EQ(mesh.indexBuffer, nullptr);
    EXPECT_TRUE(DrawDoesNothing(mesh));
}

TEST_F(MeshRefusalTest, AFileThatShrinksWhileItIsRead) {
    // Bigger than the stream's own buffer, so the vertex read goes to the file itself.
    std::vector<MeshVertex> vertices(1000, TriangleVertices()[0]);
    const std::string path =
        folder_.Write("shrinking.mesh.bin", MeshFileBytes(1000, 3, vertices, {0, 1, 2}));
    Proxy()->OnCall(ProxyCall::VertexBufferLock, [&path] { ResizeFile(path, 1000); });
    ExpectRefused(path, "Windows failed to read the mesh file " + path);
    EXPECT_EQ(Proxy()->Calls(ProxyCall::CreateIndexBuffer), 0u);
}
}  // namespace
