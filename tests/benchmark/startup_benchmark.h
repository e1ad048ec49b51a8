// Start-up: from CreateProcess in the benchmark to the return of the child's first Present
// (the child's own counter stamp), for the program's start-up build and the minimal
// Direct3D 9 program, both started from this executable's folder with the current folder
// as their working directory.
#pragma once

#include <string>

struct StartupComparison {
    bool ok;
    std::string error;
    int runs;            // measured runs of each, after one unmeasured run of each
    double programMs;    // median
    double floorMs;      // median
    double programMinMs;
    double floorMinMs;
};

StartupComparison CompareStartup(int runs);
