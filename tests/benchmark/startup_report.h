// How the two start-up programs tell the benchmark when their first frame was presented:
// one line "first-present <performance counter>" on standard output.
#pragma once

#include <cstdint>

void ReportFirstPresent();
// The counter value from such a line, or -1 when `text` holds none.
int64_t ParseFirstPresent(const char* text);
