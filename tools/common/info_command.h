// What the tools' "info" commands share: reading the file whole, and the closing verdict.
#pragma once

#include <string>
#include <vector>

// Reads all of `path`. On failure returns false with `error` saying so ("cannot open the
// <kind> file <path>").
bool ReadWholeFile(const std::string& path, const char* kind, std::vector<unsigned char>& bytes,
                   std::string& error);

// Ends an info command: `accepted` ends the report on standard output with the line
// `acceptedLine`, status 0; otherwise "<tool>: <refusal>" goes to standard error, status 1.
int FinishInfo(const char* tool, bool accepted, const std::string& refusal,
               const char* acceptedLine);
