#include "source_lines.h"

#include <charconv>
#include <cmath>
#include <fstream>

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

std::vector<std::string> SplitWords(const std::string& text) {
    std::vector<std::string> words;
    std::size_t i = 0;
    while (i < text.size()) {
        while (i < text.size() && IsBlank(text[i])) ++i;
        if (i == text.size()) break;
        if (text[i] == '#' && (words.empty() || i + 1 == text.size() || IsBlank(text[i + 1]))) {
            break;  // comment
        }
        std::size_t end = i;
        while (end < text.size() && !IsBlank(text[end])) ++end;
        words.push_back(text.substr(i, end - i));
        i = end;
    }
    return words;
}

bool IsHexDigit(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

}  // namespace

bool ReadSourceLines(const std::string& path, std::vector<SourceLine>& lines,
                     std::string& error) {
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        error = path + ": cannot open the file for reading";
        return false;
    }
    std::string text;
    int number = 0;
    while (std::getline(file, text)) {
        ++number;
        SourceLine line;
        line.number = number;
        line.words = SplitWords(text);
        if (!line.words.empty()) lines.push_back(std::move(line));
    }
    if (file.bad()) {
        error = path + ": read error";
        return false;
    }
    return true;
}

std::string SourceError(const std::string& path, int line, const std::string& message) {
    return path + ":" + std::to_string(line) + ": " + message;
}

bool CheckWordCount(const std::string& path, const SourceLine& line, std::size_t count,
                    const char* usage, std::string& error) {
    if (line.words.size() == count) return true;
    const char* problem = line.words.size() < count ? "missing values" : "too many values";
    error = SourceError(path, line.number, std::string(problem) + ", expected: " + usage);
    return false;
}

bool ParseFloat(const std::string& word, float& value) {
    const char* end = word.data() + word.size();
    float parsed = 0.0f;
    const auto result = std::from_chars(word.data(), end, parsed);
    if (result.ec != std::errc() || result.ptr != end || !std::isfinite(parsed)) return false;
    value = parsed;
    return true;
}

bool ParseInteger(const std::string& word, int& value) {
    const char* end = word.data() + word.size();
    int parsed = 0;
    const auto result = std::from_chars(word.data(), end, parsed);
    if (result.ec != std::errc() || result.ptr != end) return false;
    value = parsed;
    return true;
}

bool ParseUnsigned(const std::string& word, std::uint32_t& value) {
    const char* end = word.data() + word.size();
    std::uint32_t parsed = 0;
    const auto result = std::from_chars(word.data(), end, parsed);
    if (result.ec != std::errc() || result.ptr != end) return false;
    value = parsed;
    return true;
}

bool ParseHexColor(const std::string& word, std::size_t digits, std::uint32_t& value) {
    if (word.size() != digits + 1 || word[0] != '#') return false;
    std::uint32_t parsed = 0;
    for (std::size_t i = 1; i < word.size(); ++i) {
        if (!IsHexDigit(word[i])) return false;
        const char c = word[i];
        const int digit = c <= '9' ? c - '0' : (c | 0x20) - 'a' + 10;
        parsed = (parsed << 4) | static_cast<std::uint32_t>(digit);
    }
    value = parsed;
    return true;
}
