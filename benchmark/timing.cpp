#include "timing.h"

#include <windows.h>

#include <algorithm>
#include <cmath>

int64_t Ticks() {
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return now.QuadPart;
}

double CounterFrequency() {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(frequency.QuadPart);
}

double TicksToMilliseconds(int64_t ticks) {
    static const double millisecondsPerTick = 1000.0 / CounterFrequency();
    return static_cast<double>(ticks) * millisecondsPerTick;
}

double Quantile(std::vector<double>& samples, double q) {
    if (samples.empty()) return std::nan("");
    std::sort(samples.begin(), samples.end());
    const double rank = std::ceil(q * static_cast<double>(samples.size()));
    const size_t index = rank < 1.0 ? 0 : static_cast<size_t>(rank) - 1;
    return samples[std::min(index, samples.size() - 1)];
}

double Median(std::vector<double>& samples) { return Quantile(samples, 0.5); }
