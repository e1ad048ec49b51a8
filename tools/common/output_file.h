// Writing a tool's output so that a failed run never leaves a partial file behind.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Writes `bytes` to "<path>.tmp" and renames it over `path`. On failure removes the
// temporary file, leaves `path` as it was and returns false with `error` naming `path`.
bool WriteFileAtomically(const std::string& path, const std::vector<std::uint8_t>& bytes,
                         std::string& error);
