// The stand-ins themselves: they sit in the executable's import entries only while the hooks
// live, pass calls on to the real functions, and fail exactly the call they were told to.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <string>

#include "support/import_hook.h"
#include "support/temp_folder.h"

namespace {
// Out of line: the compiler may reuse an imported function's address that it read before
// the hooks went in, within one function.
[[gnu::noinline]] HANDLE OpenForReading(const std::string& path) {
    return CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
}

TEST(FileCallHooks, StandInOnlyWhileInPlaceAndFailTheChosenCall) {
    TempFolder folder;
    const std::string path = folder.Write("twelve.bin", "twelve bytes");
    void* const realEntry = CurrentImport("kernel32.dll", "GetFileSizeEx");
    ASSERT_NE(realEntry, nullptr);
    HANDLE file = OpenForReading(path);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    LARGE_INTEGER size = {};
    {
        FileCallHooks hooks;
        ASSERT_TRUE(hooks.Installed());
        EXPECT_NE(CurrentImport("kernel32.dll", "GetFileSizeEx"), realEntry);

        hooks.FailCall(FileCall::GetFileSizeEx, 2, ERROR_ACCESS_DENIED);
        EXPECT_TRUE(GetFileSizeEx(file, &size));
        EXPECT_EQ(size.QuadPart, 12);
        SetLastError(ERROR_SUCCESS);
        EXPECT_FALSE(GetFileSizeEx(file, &size));
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
        EXPECT_TRUE(GetFileSizeEx(file, &size)) << "only the chosen call fails";
        EXPECT_EQ(hooks.Calls(FileCall::GetFileSizeEx), 3);
        // Read here too, so that this executable imports every call the hooks stand in for.
        char text[12] = {};
        DWORD read = 0;
        EXPECT_TRUE(ReadFile(file, text, sizeof text, &read, nullptr));
        EXPECT_EQ(std::string(text, read), "twelve bytes");
        EXPECT_EQ(hooks.Calls(FileCall::ReadFile), 1);

        hooks.FailCall(FileCall::Malloc, 1);
        void* refused = std::malloc(77);
        void* block = std::malloc(77);
        EXPECT_EQ(refused, nullptr);
        ASSERT_NE(block, nullptr);
        void* volatile again = block;
        std::free(block);
        // A second free is caught rather than passed to the heap.
        std::free(again);
        int blocksOf77 = 0;
        for (const HookedBlock& seen : hooks.Blocks()) {
            if (seen.size != 77) continue;
            ++blocksOf77;
            EXPECT_EQ(seen.address, again);
            EXPECT_EQ(seen.frees, 2);
        }
        EXPECT_EQ(blocksOf77, 1);
        EXPECT_EQ(hooks.RefusedSizes(), std::vector<size_t>{77});

        // A failing CloseHandle reports the failure but leaves the file closed.
        HANDLE second = OpenForReading(path);
        ASSERT_NE(second, INVALID_HANDLE_VALUE);
        hooks.FailCall(FileCall::CloseHandle, 1, ERROR_INVALID_HANDLE);
        EXPECT_FALSE(CloseHandle(second));
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
        EXPECT_EQ(hooks.Opened(), std::vector<HANDLE>{second});
        EXPECT_EQ(hooks.Closed(), std::vector<HANDLE>{second});
        EXPECT_FALSE(hooks.Overflowed());
    }
    EXPECT_EQ(CurrentImport("kernel32.dll", "GetFileSizeEx"), realEntry);
    EXPECT_TRUE(GetFileSizeEx(file, &size));
    EXPECT_TRUE(CloseHandle(file));
    EXPECT_TRUE(FileIsClosed(path));
}
}  // namespace
