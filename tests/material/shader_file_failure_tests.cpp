// ReadShaderFile failing once the file is open: its size cannot be read, no memory for the
// bytes, the read fails, the close fails. Each is made to happen by a stand-in in front of
// the real function, and seen from ReadShaderFile and through both Material loaders on a
// real device: the description, the block freed once, the handle closed once.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "material/material.h"
#include "material/shader_program.h"
#include "platform/windows_error.h"
#include "support/import_hook.h"
#include "support/temp_folder.h"
#include "support/test_device.h"
#include "support/material_test_support.h"

namespace {
struct Failure {
    const char* name;
    FileCall call;
    DWORD error;  // the last error the failing call leaves; none for malloc
    const char* report;  // what the description says before the system's text
};
// Codes that differ from one another and from anything the real calls would leave.
const Failure Failures[] = {
    {"size", FileCall::GetFileSizeEx, ERROR_ACCESS_DENIED,
     "Windows failed to get the size of shader: "},
    {"memory", FileCall::Malloc, 0, nullptr},
    {"read", FileCall::ReadFile, ERROR_READ_FAULT,
     "Windows failed to read the contents of shader: "},
    {"close", FileCall::CloseHandle, ERROR_INVALID_HANDLE,
     "Windows failed to close the shader file handle: "},
};
constexpr DWORD CloseError = ERROR_INVALID_HANDLE;

std::string DescriptionOf(const Failure& failure, const std::string& path, size_t size) {
    if (failure.call == FileCall::Malloc) {
        return "Failed to allocate " + std::to_string(size) +
               " bytes to read in the shader program " + path;
    }
    return failure.report + FormatWindowsError(failure.error);
}

// What the hooks saw of one file: its handle and its block of `size` bytes.
struct FileUse {
    int opens = 0;
    int closes = 0;         // CloseHandle calls, with any handle
    int closesOfFile = 0;   // of them, with the handle the open gave
    int blocks = 0;         // blocks of the file's size from malloc
    int frees = 0;          // free calls with those blocks
    std::vector<size_t> refused;
};

FileUse UseSeen(const FileCallHooks& hooks, size_t size) {
    FileUse use;
    const std::vector<HANDLE> opened = hooks.Opened();
    use.opens = static_cast<int>(opened.size());
    for (HANDLE closed : hooks.Closed()) {
        ++use.closes;
        if (!opened.empty() && closed == opened[0]) ++use.closesOfFile;
    }
    for (const HookedBlock& block : hooks.Blocks()) {
        if (block.size != size) continue;
        ++use.blocks;
        use.frees += block.frees;
    }
    use.refused = hooks.RefusedSizes();
    return use;
}

// The handle was opened once and closed exactly once, by a call that went to that handle.
void ExpectClosedOnce(const FileUse& use) {
    EXPECT_EQ(use.opens, 1);
    EXPECT_EQ(use.closes, 1);
    EXPECT_EQ(use.closesOfFile, 1);
}

// The block, if malloc was asked for one, was refused or freed exactly once.
void ExpectBlockGone(const Failure& failure, const FileUse& use, size_t size) {
    if (failure.call == FileCall::GetFileSizeEx) {
        EXPECT_EQ(use.blocks, 0) << "no block without a size";
        EXPECT_TRUE(use.refused.empty());
    } else if (failure.call == FileCall::Malloc) {
        EXPECT_EQ(use.blocks, 0);
        EXPECT_EQ(use.refused, std::vector<size_t>{size});
    } else {
        EXPECT_EQ(use.blocks, 1);
        EXPECT_EQ(use.frees, 1);
    }
}

TEST(ShaderFileFailure, EachFailureAfterTheOpenIsDescribedAndCleanedUp) {
    TempFolder folder;
    std::string contents;  // of a size no string or record of the test has
    for (size_t i = 0; i < 1237; ++i) contents += static_cast<char>(i * 13 + 5);
    const std::string path = folder.Write("failing.shader", contents);

    for (const Failure& failure : Failures) {
        // Alone; with the close failing too; and with no description asked for.
        for (int variant = 0; variant < 3; ++variant) {
            const bool closeFailsToo = variant == 1;
            const bool describe = variant != 2;
            if (closeFailsToo && failure.call == FileCall::CloseHandle) continue;
            SCOPED_TRACE(std::string(failure.name) + (closeFailsToo ? ", close fails too" : "") +
                         (describe ? "" : ", no description"));
            void* bytes = reinterpret_cast<void*>(1);
            uint32_t size = 99;
            std::string description = "previous content";
            bool read = true;
            FileUse use;
            {
                FileCallHooks hooks;
                ASSERT_TRUE(hooks.Installed());
                hooks.FailCall(failure.call, 1, failure.error);
                if (closeFailsToo) hooks.FailCall(FileCall::CloseHandle, 1, CloseError);
                read = ReadShaderFile(path.c_str(), &bytes, describe ? &description : nullptr,
                                      &size);
                use = UseSeen(hooks, contents.size());
                // Not tried again. (malloc is called for strings too.)
                if (failure.call != FileCall::Malloc) {
                    EXPECT_EQ(hooks.Calls(failure.call), 1);
                }
                EXPECT_FALSE(hooks.Overflowed());
            }
            EXPECT_FALSE(read);
            // The first failure's description stands, whatever the close did after it.
            EXPECT_EQ(description, describe ? DescriptionOf(failure, path, contents.size())
                                            : "previous content");
            ExpectClosedOnce(use);
            if (failure.call == FileCall::CloseHandle) {
                // The read was good: the bytes are kept for the caller to free.
                ASSERT_NE(bytes, nullptr);
                EXPECT_EQ(size, contents.size());
                EXPECT_EQ(std::memcmp(bytes, contents.data(), contents.size()), 0);
                EXPECT_EQ(use.blocks, 1);
                EXPECT_EQ(use.frees, 0);
                std::free(bytes);
            } else {
                EXPECT_EQ(bytes, nullptr);
                EXPECT_EQ(size, 0u);
                ExpectBlockGone(failure, use, contents.size());
            }
        }
    }
}

TEST(ShaderFileFailure, FailedOpenSkipsEveryLaterStepAndTheClose) {
    TempFolder folder;
    const std::string missing = folder.PathOf("missing.shader");
    void* bytes = reinterpret_cast<void*>(1);
    std::string description;
    bool read = true;
    int laterCalls = 0;
    std::vector<HANDLE> closed;
    {
        FileCallHooks hooks;
        ASSERT_TRUE(hooks.Installed());
        // Any of them reached would fail and change the description. (Not malloc: building
        // the open failure's description takes memory.)
        const FileCall later[] = {FileCall::GetFileSizeEx, FileCall::ReadFile,
                                  FileCall::CloseHandle};
        for (FileCall call : later) hooks.FailCall(call, 1, ERROR_INVALID_HANDLE);
        read = ReadShaderFile(missing.c_str(), &bytes, &description);
        for (FileCall call : later) laterCalls += hooks.Calls(call);
        closed = hooks.Closed();
        EXPECT_EQ(hooks.Calls(FileCall::CreateFileA), 1);
    }
    EXPECT_FALSE(read);
    EXPECT_EQ(bytes, nullptr);
    EXPECT_EQ(laterCalls, 0);
    EXPECT_EQ(closed.size(), 0u) << "the close step runs only for an opened file";
    EXPECT_EQ(description, "Windows failed to open the shader file: " +
                               FormatWindowsError(ERROR_FILE_NOT_FOUND));
}

// The two loaders on a real device, reading a copy of a built shader.
class ShaderLoadFailureTest : public DeviceTest {
protected:
    // Loads `kind` from a copy of its built shader with the hooks alone, which makes the
    // shader (`made` checks it), then with each failure, which fails the load (`left` checks
    // what the material kept); and checks what the hooks saw.
    template <class Made, class Left>
    void ExpectEachFailure(const ShaderKind& kind, Made made, Left left) {
        const std::string contents = ReadWholeFile(kind.builtPath);
        ASSERT_GT(contents.size(), 8u) << "the build makes " << kind.builtPath;
        const std::string path = folder_.Write(std::string(kind.name) + ".shader", contents);
        std::vector<const Failure*> failures = {nullptr};
        for (const Failure& failure : Failures) failures.push_back(&failure);
        for (const Failure* failure : failures) {
            SCOPED_TRACE(failure != nullptr ? failure->name : "no failure");
            boxes_.Clear();
            Material material;
            if (failure != nullptr) material.samplerIndex = 3;
            material.*kind.path = path;
            bool loaded = false;
            FileUse use;
            {
                FileCallHooks hooks;
                EXPECT_TRUE(hooks.Installed());
                if (failure != nullptr) hooks.FailCall(failure->call, 1, failure->error);
                loaded = (material.*kind.load)();
                use = UseSeen(hooks, contents.size());
            }
            ExpectClosedOnce(use);
            if (failure == nullptr) {
                EXPECT_TRUE(loaded) << "the hooks alone change nothing";
                EXPECT_EQ(use.blocks, 1);
                EXPECT_EQ(use.frees, 1);
                EXPECT_TRUE(boxes_.Boxes().empty());
                made(material);
                continue;
            }
            EXPECT_FALSE(loaded);
            // After a failed close the loader frees the block that the reader kept.
            ExpectBlockGone(*failure, use, contents.size());
            ExpectOneBox(kind.caption, DescriptionOf(*failure, path, contents.size()));
            left(material);
        }
    }

    TempFolder folder_;
};

TEST_F(ShaderLoadFailureTest, FragmentShaderReadFailuresAreReportedAndCreateNothing) {
    ExpectEachFailure(
        FragmentShaderKind, [](const Material& made) { EXPECT_NE(made.fragmentShader, nullptr); },
        [](const Material& left) {
            EXPECT_EQ(left.fragmentShader, nullptr);
            EXPECT_EQ(left.fragmentConstantTable, nullptr);
            EXPECT_EQ(left.colorModifierHandle, nullptr);
            EXPECT_EQ(left.samplerIndex, 3u);
        });
}

TEST_F(ShaderLoadFailureTest, VertexShaderReadFailuresAreReportedAndCreateNothing) {
    ExpectEachFailure(
        VertexShaderKind, [](const Material& made) { EXPECT_NE(made.vertexShader, nullptr); },
        [](const Material& left) {
            EXPECT_EQ(left.vertexShader, nullptr);
            EXPECT_EQ(left.vertexConstantTable, nullptr);
            EXPECT_EQ(left.worldToViewHandle, nullptr);
            EXPECT_EQ(left.viewToScreenHandle, nullptr);
            EXPECT_EQ(left.modelToWorldHandle, nullptr);
        });
}
}  // namespace
