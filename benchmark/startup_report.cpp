#include "startup_report.h"

#include <windows.h>

#include <cstdio>
#include <sstream>

void ReportStep(const char* name) {
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    char line[128];
    const int length = std::snprintf(line, sizeof line, "step %lld %s\n",
                                     static_cast<long long>(now.QuadPart), name);
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), line, static_cast<DWORD>(length), &written,
              nullptr);
}

std::vector<StartupStamp> ParseSteps(const std::string& text) {
    std::vector<StartupStamp> stamps;
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        std::istringstream words(line);
        std::string tag;
        StartupStamp stamp;
        if (words >> tag >> stamp.ticks && tag == "step" && std::getline(words >> std::ws, stamp.name)) {
            if (!stamp.name.empty() && stamp.name.back() == '\r') stamp.name.pop_back();
            stamps.push_back(stamp);
        }
    }
    return stamps;
}
