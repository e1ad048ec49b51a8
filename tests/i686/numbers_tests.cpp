// Numbers that must come out the same in the 32-bit build as in the 64-bit one once a device
// exists. A Direct3D 9 device made without D3DCREATE_FPU_PRESERVE leaves the x87 unit in
// single precision, so any double arithmetic still done on the x87 after that goes wrong.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "support/material_test_support.h"
#include "material/material.h"
#include "support/capture.h"
#include "support/lua_chunk.h"
#include "support/temp_folder.h"
#include "support/test_device.h"
#include "time/frame_clock.h"

namespace {
// A material whose first colour-modifier value is the sum of the bits of the checks that hold,
// so that one wrong step of Lua or of the C library it calls shows which one went wrong.
const char NumericConstants[] = R"(g_colorModifier = (function()
    local bits = 0
    local function check(bit, holds) if holds then bits = bits + bit end end
    local sum = 0
    for i = 1, 10 do sum = sum + 0.1 end
    check(1, sum == 0.99999999999999989 and 0.1 + 0.2 == 0.30000000000000004)
    local steps = 0
    for x = 0, 1, 0.1 do steps = steps + 1 end
    check(2, steps == 11 and 1 / 3 == 0.33333333333333331)
    local t = {}
    for i = 1, 1000 do t[i] = i * 0.5 end
    check(4, #t == 1000 and t[1] == 0.5 and t[1000] == 500 and t[0.5 * 2000] == 500)
    t[2^31] = 'a'; t[2^31 + 1] = 'b'; t[2^53] = 'c'; t[-2^31] = 'd'; t[2^32] = 'e'
    check(8, t[2147483648] == 'a' and t[2147483649] == 'b' and t[9007199254740992] == 'c'
             and t[-2147483648] == 'd' and t[4294967296] == 'e')
    local far = {}
    for i = 1, 20000 do far[i * 1048576] = i end
    check(16, far[5 * 2^20] == 5 and far[20000 * 2^20] == 20000 and far[2^20 + 0.5] == nil)
    check(32, 0.1 .. '' == '0.1' and 1e15 .. '' == '1e+15' and 2^53 .. '' == '9.007199254741e+15'
              and 1 / 3 .. '' == '0.33333333333333')
    check(64, '0.1' + 0 == 0.1 and '1e-7' * 1 == 1e-7 and '0x10' + 0 == 16
              and '123456789012' + 0 == 123456789012)
    check(128, 7.5 % 2 == 1.5 and -7.5 % 2 == 0.5 and 2^10 == 1024 and 2^-1 == 0.5
               and 9^0.5 == 3)
    return { bits, 0.1, 1 / 3 }
end)())";
constexpr float AllChecks = 255.0f;

bool X87InSinglePrecision() {
#if defined(__i386__)
    unsigned short control;
    __asm__ volatile("fnstcw %0" : "=m"(control));
    return (control & 0x300) == 0;
#else
    return true;  // no x87 arithmetic here
#endif
}

class NumbersTest : public DeviceTest {
protected:
    void SetUp() override {
        DeviceTest::SetUp();
        // What makes these checks worth running in the 32-bit build.
        ASSERT_TRUE(X87InSinglePrecision()) << "the device did not change the x87 precision";
    }
    void TearDown() override {
        EXPECT_TRUE(boxes_.Boxes().empty()) << Describe(boxes_.Boxes());
        EXPECT_EQ(errors_.Text(), "");
        // The device's own state is left as it was.
        EXPECT_TRUE(X87InSinglePrecision());
        DeviceTest::TearDown();
    }
    StandardErrorCapture errors_;
};

TEST_F(NumbersTest, ProjectMaterialsReadTheirColourModifiers) {
    Material cube, plane;
    EXPECT_TRUE(cube.Load("data/material1.material"));
    EXPECT_TRUE(plane.Load("data/material2.material"));
    const float warm[3] = {1.0f, 0.75f, 0.5f}, cool[3] = {0.5f, 0.75f, 1.0f};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(cube.colorModifier[i], warm[i]) << i;
        EXPECT_EQ(plane.colorModifier[i], cool[i]) << i;
    }
    // Precompiled, as this build's luac would write it: its header says how wide size_t is
    // (4 bytes here), and the checks of precompiled chunks read every size that wide.
    TempFolder folder;
    for (bool strip : {false, true}) {
        const std::string path = folder.Write(
            "compiled.material", CompileChunk(ReadWholeFile("data/material1.material"), strip));
        Material compiled;
        EXPECT_TRUE(compiled.Load(path.c_str())) << strip;
        for (int i = 0; i < 3; ++i) EXPECT_EQ(compiled.colorModifier[i], warm[i]) << strip << i;
    }
}

TEST_F(NumbersTest, NumericMaterialFileReadsExactly) {
    TempFolder folder;
    const std::string path = folder.Write("numbers.material", StandardMaterialText(NumericConstants));
    Material material;
    EXPECT_TRUE(material.Load(path.c_str()));
    const int missing = static_cast<int>(AllChecks - material.colorModifier[0]);
    EXPECT_EQ(material.colorModifier[0], AllChecks) << "checks that failed, as bits: " << missing;
    EXPECT_EQ(material.colorModifier[1], 0.1f);
    EXPECT_EQ(material.colorModifier[2], static_cast<float>(1.0 / 3.0));
}

TEST_F(NumbersTest, ElapsedSecondsIsRightToDoublePrecision) {
    // Restarted now, so that the clock's own division also runs after the device exists.
    FrameClock = {};
    UpdateFrameClock();
    Sleep(250);
    UpdateFrameClock();
    LARGE_INTEGER frequency;
    ASSERT_TRUE(QueryPerformanceFrequency(&frequency));
    const int64_t ticks = FrameClock.currentSample - FrameClock.previousSample;
    // Wine's counter runs at 10 MHz; 1e-7 is the double nearest to its period, a constant
    // of the compiler that no run-time precision can change.
    if (frequency.QuadPart == 10000000) {
        EXPECT_EQ(FrameClock.secondsPerTick, 1e-7);
    }
    EXPECT_EQ(FrameClock.secondsPerTick, 1.0 / static_cast<double>(frequency.QuadPart));
    EXPECT_EQ(ElapsedSeconds(),
              static_cast<float>(static_cast<double>(ticks) * FrameClock.secondsPerTick));
    EXPECT_GE(ElapsedSeconds(), 0.24f);
    EXPECT_LT(ElapsedSeconds(), 5.0f);
}
}  // namespace
