// Reports made comparable across cases: the case's own file name and every number replaced,
// so that "index 7 names vertex 9" and "index 2 names vertex 4" count as one kind of report.
#pragma once

#include <string>

std::string NormalizeReport(const std::string& report);
