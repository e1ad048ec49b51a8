// Start-up: from CreateProcess in the benchmark to the return of the child's first Present,
// and the steps in between as the child stamps them (startup_report.h). The children, all
// started from this executable's folder with the current folder as their working directory,
// take turns, run by run: the program's start-up build, the minimal Direct3D 9 program, and
// the fair floor once with the files the materials name and once with each other texture.
#pragma once

#include <string>
#include <vector>

struct StartupTimes {
    std::string name;                       // what the child is, for the report
    std::vector<std::string> steps;         // in the order of the child's stamps
    std::vector<std::vector<double>> stepMs;  // per step, per run: ms since the step before
    std::vector<double> totalMs;            // per run: CreateProcess to the first frame
};

struct StartupChild {
    std::string name;
    std::string exe;        // file name in this executable's folder
    std::string arguments;  // command-line arguments, already quoted
};

struct StartupComparison {
    bool ok;
    std::string error;
    int runs;  // measured runs of each, after one unmeasured run of each
    std::vector<StartupTimes> children;  // in the order given
};

StartupComparison CompareStartup(const std::vector<StartupChild>& children, int runs);

class Report;
// Runs the comparison `runs` times and adds its figures to `report`. False with the reason in
// *error when the material files cannot be read or a child fails.
bool ReportStartup(int runs, Report* report, std::string* error);
