// The performance counter and the statistics the benchmark reports.
#pragma once

#include <cstdint>
#include <vector>

int64_t Ticks();
double TicksToMilliseconds(int64_t ticks);
double CounterFrequency();
// The value at fraction q (0 to 1) of the samples by nearest rank; sorts them in place.
double Quantile(std::vector<double>& samples, double q);
double Median(std::vector<double>& samples);
