#include "time/frame_clock.h"

#include <windows.h>

FrameClockRecord FrameClock;

void StartFrameClock() {
    LARGE_INTEGER frequency;
    if (!QueryPerformanceFrequency(&frequency) || frequency.QuadPart == 0) return;
    FrameClock.secondsPerTick = 1.0 / static_cast<double>(frequency.QuadPart);
    LARGE_INTEGER count;
    if (QueryPerformanceCounter(&count)) {
        FrameClock.startCount = count.QuadPart;
        FrameClock.valid = true;
    }
}

void UpdateFrameClock() {
    if (!FrameClock.valid) StartFrameClock();
    FrameClock.previousSample = FrameClock.currentSample;
    LARGE_INTEGER count;
    // The counter does not fail once its frequency is known; if it ever did, the
    // samples stay as they were and the frame counts as taking no time.
    if (QueryPerformanceCounter(&count)) {
        FrameClock.currentSample = count.QuadPart - FrameClock.startCount;
    }
}

float ElapsedSeconds() {
    if (!FrameClock.valid) StartFrameClock();
    const int64_t ticks = FrameClock.currentSample - FrameClock.previousSample;
    return static_cast<float>(static_cast<double>(ticks) * FrameClock.secondsPerTick);
}
