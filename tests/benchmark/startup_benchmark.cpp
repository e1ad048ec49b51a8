#include "startup_benchmark.h"

#include <windows.h>

#include <algorithm>
#include <vector>

#include "startup_report.h"
#include "timing.h"

namespace {
const DWORD ChildTimeoutMilliseconds = 60000;

std::string ThisFolder() {
    char path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder(path, length);
    const size_t slash = folder.find_last_of("\\/");
    return slash == std::string::npos ? std::string(".") : folder.substr(0, slash);
}

// Milliseconds from CreateProcess to the child's first Present; negative with `error` set
// when the child fails, hangs or reports nothing.
double TimeOneStart(const std::string& exe, std::string* error) {
    SECURITY_ATTRIBUTES inheritable = {sizeof inheritable, nullptr, TRUE};
    HANDLE readEnd = nullptr;
    HANDLE writeEnd = nullptr;
    if (!CreatePipe(&readEnd, &writeEnd, &inheritable, 1 << 16)) {
        *error = "cannot make a pipe";
        return -1.0;
    }
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = writeEnd;
    startup.hStdError = writeEnd;
    PROCESS_INFORMATION process = {};
    std::string command = "\"" + exe + "\"";
    const int64_t start = Ticks();
    const BOOL created = CreateProcessA(nullptr, &command[0], nullptr, nullptr, TRUE, 0, nullptr,
                                        nullptr, &startup, &process);
    CloseHandle(writeEnd);
    if (!created) {
        CloseHandle(readEnd);
        *error = "cannot start " + exe;
        return -1.0;
    }
    double milliseconds = -1.0;
    DWORD status = 1;
    if (WaitForSingleObject(process.hProcess, ChildTimeoutMilliseconds) != WAIT_OBJECT_0) {
        TerminateProcess(process.hProcess, 1);
        WaitForSingleObject(process.hProcess, ChildTimeoutMilliseconds);
        *error = exe + " did not end within a minute";
    } else {
        GetExitCodeProcess(process.hProcess, &status);
        std::string output;
        char chunk[4096];
        DWORD got = 0;
        while (ReadFile(readEnd, chunk, sizeof chunk, &got, nullptr) && got > 0) {
            output.append(chunk, got);
        }
        const int64_t presented = ParseFirstPresent(output.c_str());
        if (status != 0 || presented < start) {
            *error = exe + " ended with status " + std::to_string(status) +
                     " and wrote: " + output;
        } else {
            milliseconds = TicksToMilliseconds(presented - start);
        }
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    CloseHandle(readEnd);
    return milliseconds;
}
}  // namespace

StartupComparison CompareStartup(int runs) {
    StartupComparison comparison{};
    comparison.runs = runs;
    const std::string folder = ThisFolder();
    const std::string program = folder + "\\mirelth_startup_probe.exe";
    const std::string floor = folder + "\\mirelth_startup_floor.exe";
    std::vector<double> programTimes;
    std::vector<double> floorTimes;
    // The first run of each loads files and DLLs into the caches: not measured.
    for (int run = -1; run < runs; ++run) {
        const double programTime = TimeOneStart(program, &comparison.error);
        const double floorTime = TimeOneStart(floor, &comparison.error);
        if (programTime < 0.0 || floorTime < 0.0) return comparison;
        if (run < 0) continue;
        programTimes.push_back(programTime);
        floorTimes.push_back(floorTime);
    }
    comparison.programMinMs = *std::min_element(programTimes.begin(), programTimes.end());
    comparison.floorMinMs = *std::min_element(floorTimes.begin(), floorTimes.end());
    comparison.programMs = Median(programTimes);
    comparison.floorMs = Median(floorTimes);
    comparison.ok = true;
    return comparison;
}
