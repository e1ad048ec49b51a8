// Reading a readable asset source: lines split into words, with comments dropped.
//
// A line whose first non-blank character is '#' is a comment. Elsewhere a '#' that stands
// alone (followed by a blank or the end of the line) starts a comment that runs to the end
// of the line, so "#RRGGBB" stays a word. Blank lines are skipped; CR and tab are blanks.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct SourceLine {
    int number = 0;                  // 1-based line number in the file
    std::vector<std::string> words;  // never empty
};

// Reads the whole file. On failure returns false with `error` naming the file.
bool ReadSourceLines(const std::string& path, std::vector<SourceLine>& lines,
                     std::string& error);

// "path:line: message", the form every complaint about the source takes.
std::string SourceError(const std::string& path, int line, const std::string& message);

// True when `line` has exactly `count` words (its keyword included). Otherwise sets `error`
// to a complaint that names the line and shows `usage`, and returns false.
bool CheckWordCount(const std::string& path, const SourceLine& line, std::size_t count,
                    const char* usage, std::string& error);

// Each parser takes the whole word or nothing.
bool ParseFloat(const std::string& word, float& value);  // finite decimal number
bool ParseInteger(const std::string& word, int& value);  // decimal, optional '-'
bool ParseUnsigned(const std::string& word, std::uint32_t& value);  // decimal
// '#' and exactly `digits` hex digits: "#RRGGBB" with 6, "#AARRGGBB" with 8.
bool ParseHexColor(const std::string& word, std::size_t digits, std::uint32_t& value);
