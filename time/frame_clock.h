// Measures the time between frames with the performance counter.
#pragma once

#include <cstdint>

struct FrameClockRecord {
    bool valid;             // a frequency and a start count are known
    int64_t startCount;     // counter value when the clock started
    double secondsPerTick;  // 1 / frequency; 0 until started
    int64_t previousSample; // ticks since startCount at the update before the latest
    int64_t currentSample;  // ticks since startCount at the latest update
};

// Zero before WinMain runs.
extern FrameClockRecord FrameClock;

void StartFrameClock();
void UpdateFrameClock();  // once per frame
float ElapsedSeconds();   // seconds between the last two updates
