// How the start-up programs tell the benchmark when each step of their start-up ended: one
// line "step <performance counter> <name>" on standard output per step, the last one
// "first frame", written right after the first Present returned.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

void ReportStep(const char* name);

struct StartupStamp {
    std::string name;
    int64_t ticks;
};
// The stamps in `text`, in the order they were written.
std::vector<StartupStamp> ParseSteps(const std::string& text);
