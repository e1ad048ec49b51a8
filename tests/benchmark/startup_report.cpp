#include "startup_report.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {
const char Tag[] = "first-present ";
}

void ReportFirstPresent() {
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    char line[64];
    const int length = std::snprintf(line, sizeof line, "%s%lld\n", Tag,
                                     static_cast<long long>(now.QuadPart));
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), line, static_cast<DWORD>(length), &written,
              nullptr);
}

int64_t ParseFirstPresent(const char* text) {
    const char* found = std::strstr(text, Tag);
    if (found == nullptr) return -1;
    return std::strtoll(found + sizeof Tag - 1, nullptr, 10);
}
