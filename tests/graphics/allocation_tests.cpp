// The frame allocates nothing: frames of the real scene from the build's data/, counted by
// the replaced allocation functions of support/allocation_counter.cpp.
#include <gtest/gtest.h>

#include <lua.hpp>

#include <cstdlib>
#include <string>

#include "graphics/scene.h"
#include "material/shader_program.h"
#include "support/allocation_counter.h"
#include "support/device_proxy.h"
#include "support/test_device.h"

namespace {
constexpr int FrameCount = 300;

// Through a volatile pointer, so that the compiler cannot drop an unused block.
void* (*volatile callocFunction)(size_t, size_t) = std::calloc;
}  // namespace

// A count of 0 means something only if the counter sees every way the program's code
// reaches the heap: operator new, malloc (shader files), realloc (Lua) and calloc.
TEST(AllocationCounterTest, SeesEveryWayTheProgramsCodeAllocates) {
    AllocationCounts before = CountAllocations();
    std::string text(64, 'x');
    EXPECT_GE(AllocationsSince(before).operatorNew, 1u) << "a 64-character string";

    before = CountAllocations();
    void* bytes = nullptr;
    ASSERT_TRUE(ReadShaderFile("data/standard_vertex.shader", &bytes))
        << "run with the build tree as the working directory";
    std::free(bytes);
    EXPECT_GE(AllocationsSince(before).cHeap, 1u) << "ReadShaderFile's malloc";

    before = CountAllocations();
    lua_State* L = luaL_newstate();
    ASSERT_NE(L, nullptr);
    lua_close(L);
    EXPECT_GE(AllocationsSince(before).cHeap, 1u) << "Lua's allocator (realloc)";

    before = CountAllocations();
    void* zeroed = callocFunction(4, 16);
    std::free(zeroed);
    EXPECT_EQ(AllocationsSince(before).cHeap, 1u) << "calloc";
}

namespace {
class FrameAllocationTest : public DeviceTest {
protected:
    void SetUp() override {
        DeviceTest::SetUp();
        ASSERT_FALSE(HasFatalFailure());
        const AllocationCounts before = CountAllocations();
        SetUpScene();
        setUpAllocations_ = AllocationsSince(before);
    }
    void TearDown() override {
        ReleaseScene();
        DeviceTest::TearDown();
    }

    AllocationCounts setUpAllocations_{};
};
}  // namespace

TEST_F(FrameAllocationTest, FramesOfTheRealSceneAllocateNothing) {
    ASSERT_TRUE(boxes_.Boxes().empty()) << Describe(boxes_.Boxes());
    ASSERT_EQ(cubeMesh.vertexCount, 24u) << "the scene's data did not load";
    ASSERT_GT(planeMesh.vertexCount, 0u);
    ASSERT_NE(cubeMaterial.vertexShader, nullptr);
    ASSERT_NE(planeMaterial.fragmentShader, nullptr);
    EXPECT_GT(setUpAllocations_.operatorNew + setUpAllocations_.cHeap, 0u)
        << "loading the scene allocates, so the counter should have seen it";

    // From the very first frame: a lazily made buffer would be an allocation too.
    const AllocationCounts before = CountAllocations();
    for (int frame = 0; frame < FrameCount; ++frame) RenderFrame();
    const AllocationCounts made = AllocationsSince(before);
    EXPECT_EQ(made.operatorNew, 0u) << "operator new calls in " << FrameCount << " frames";
    EXPECT_EQ(made.cHeap, 0u) << "malloc, calloc and realloc calls in " << FrameCount
                              << " frames";

    // The frames drew the scene: the cube in the middle, the plane at the bottom. Read just
    // before Present, after which a discarded back buffer may read back black; the proxy
    // that catches Present allocates, so it comes after the counted frames.
    std::vector<uint32_t> pixels;
    {
        ScopedDeviceProxy proxy;
        proxy->OnCall(ProxyCall::Present, [this, &pixels] { pixels = ReadBackBuffer(); });
        RenderFrame();
    }
    ASSERT_EQ(pixels.size(), 800u * 600u);
    EXPECT_NE(PixelAt(pixels, 400, 300) & 0xFFFFFFu, 0u) << "no cube";
    EXPECT_NE(PixelAt(pixels, 400, 590) & 0xFFFFFFu, 0u) << "no plane";
    EXPECT_EQ(PixelAt(pixels, 10, 10) & 0xFFFFFFu, 0u) << "the sky is not black";
}
