#include "startup_benchmark.h"

#include <windows.h>

#include <utility>
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

// The child's stamps, with their counter values turned into milliseconds since
// CreateProcess; empty with `error` set when the child fails, hangs or reports nothing.
std::vector<std::pair<std::string, double>> TimeOneStart(const std::string& exe,
                                                         const std::string& arguments,
                                                         std::string* error) {
    std::vector<std::pair<std::string, double>> steps;
    SECURITY_ATTRIBUTES inheritable = {sizeof inheritable, nullptr, TRUE};
    HANDLE readEnd = nullptr;
    HANDLE writeEnd = nullptr;
    if (!CreatePipe(&readEnd, &writeEnd, &inheritable, 1 << 16)) {
        *error = "cannot make a pipe";
        return steps;
    }
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = writeEnd;
    startup.hStdError = writeEnd;
    PROCESS_INFORMATION process = {};
    std::string command = "\"" + exe + "\" " + arguments;
    const int64_t start = Ticks();
    const BOOL created = CreateProcessA(nullptr, &command[0], nullptr, nullptr, TRUE, 0, nullptr,
                                        nullptr, &startup, &process);
    CloseHandle(writeEnd);
    if (!created) {
        CloseHandle(readEnd);
        *error = "cannot start " + exe;
        return steps;
    }
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
        const std::vector<StartupStamp> stamps = ParseSteps(output);
        if (status != 0 || stamps.empty() || stamps.back().name != "first frame" ||
            stamps.front().ticks < start) {
            *error = exe + " ended with status " + std::to_string(status) +
                     " and wrote: " + output;
        } else {
            for (const StartupStamp& stamp : stamps) {
                steps.emplace_back(stamp.name, TicksToMilliseconds(stamp.ticks - start));
            }
        }
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    CloseHandle(readEnd);
    return steps;
}

// Adds one run's stamps; false when the child stamped other steps than its first run did.
bool AddRun(const std::vector<std::pair<std::string, double>>& stamps, StartupTimes* times) {
    if (times->steps.empty()) {
        for (const auto& stamp : stamps) times->steps.push_back(stamp.first);
        times->stepMs.resize(stamps.size());
    }
    if (stamps.size() != times->steps.size()) return false;
    double before = 0.0;
    for (size_t i = 0; i < stamps.size(); ++i) {
        if (stamps[i].first != times->steps[i]) return false;
        times->stepMs[i].push_back(stamps[i].second - before);
        before = stamps[i].second;
    }
    times->totalMs.push_back(before);
    return true;
}
}  // namespace

StartupComparison CompareStartup(const std::vector<StartupChild>& children, int runs) {
    StartupComparison comparison{};
    comparison.runs = runs;
    const std::string folder = ThisFolder();
    comparison.children.resize(children.size());
    // The first run of each loads files and DLLs into the caches: not measured.
    for (int run = -1; run < runs; ++run) {
        for (size_t i = 0; i < children.size(); ++i) {
            const std::string exe = folder + "\\" + children[i].exe;
            const auto stamps = TimeOneStart(exe, children[i].arguments, &comparison.error);
            if (stamps.empty()) return comparison;
            StartupTimes& times = comparison.children[i];
            times.name = children[i].name;
            if (run >= 0 && !AddRun(stamps, &times)) {
                comparison.error = exe + " stamped other steps than before";
                return comparison;
            }
        }
    }
    comparison.ok = true;
    return comparison;
}
