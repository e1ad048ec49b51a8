#include <gtest/gtest.h>
#include <windows.h>

#include "time/frame_clock.h"

namespace {
int64_t Now() {
    LARGE_INTEGER count;
    QueryPerformanceCounter(&count);
    return count.QuadPart;
}
}  // namespace

TEST(FrameClock, StartsFromTheCounterAndCountsTicksFromThere) {
    FrameClock = FrameClockRecord{};
    StartFrameClock();
    ASSERT_TRUE(FrameClock.valid);
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    EXPECT_DOUBLE_EQ(FrameClock.secondsPerTick, 1.0 / static_cast<double>(frequency.QuadPart));
    EXPECT_EQ(FrameClock.currentSample, 0);
    UpdateFrameClock();
    EXPECT_GE(FrameClock.currentSample, 0);
    EXPECT_LE(FrameClock.currentSample, Now() - FrameClock.startCount);
}

TEST(FrameClock, EveryCallBetweenTwoUpdatesGivesTheSameValue) {
    FrameClock = FrameClockRecord{};
    StartFrameClock();
    UpdateFrameClock();
    Sleep(5);
    UpdateFrameClock();
    const float first = ElapsedSeconds();
    Sleep(20);
    EXPECT_EQ(ElapsedSeconds(), first);
    EXPECT_EQ(ElapsedSeconds(), first);
}

TEST(FrameClock, APauseBetweenUpdatesIsCountedWhole) {
    FrameClock = FrameClockRecord{};
    StartFrameClock();
    UpdateFrameClock();
    const int64_t before = Now();
    Sleep(250);
    const int64_t after = Now();
    UpdateFrameClock();
    const double pause = static_cast<double>(after - before) * FrameClock.secondsPerTick;
    EXPECT_GE(ElapsedSeconds(), static_cast<float>(pause) * 0.999f);
    // The elapsed time spans exactly the ticks between the two samples.
    EXPECT_FLOAT_EQ(ElapsedSeconds(),
                    static_cast<float>(static_cast<double>(FrameClock.currentSample -
                                                           FrameClock.previousSample) *
                                       FrameClock.secondsPerTick));
}

TEST(FrameClock, AnUnstartedClockStartsOnItsFirstUpdate) {
    FrameClock = FrameClockRecord{};
    UpdateFrameClock();
    EXPECT_TRUE(FrameClock.valid);
    EXPECT_EQ(FrameClock.previousSample, 0);
    EXPECT_GE(ElapsedSeconds(), 0.0f);
}
