#include "support/campaign/report_text.h"

#include <cctype>

namespace {
// The files a case writes are all named "case.*"; Lua may shorten the folder in front of
// the name to "...", so the whole path token up to the name goes.
const char* const CaseFiles[] = {"case.material", "case.mesh.bin", "case.shader",
                                 "case.texture"};
constexpr size_t LongestReport = 160;

bool PathCharacter(char c) { return c != ' ' && c != '\'' && c != '"' && c != '\n' && c != '('; }
}  // namespace

std::string NormalizeReport(const std::string& report) {
    std::string text = report;
    for (const char* name : CaseFiles) {
        const std::string file = name;
        for (size_t at = text.find(file); at != std::string::npos; at = text.find(file, at)) {
            size_t start = at;
            while (start > 0 && PathCharacter(text[start - 1])) --start;
            text.replace(start, at + file.size() - start, "<file>");
            at = start + 6;
        }
    }
    std::string normal;
    for (size_t i = 0; i < text.size() && normal.size() < LongestReport; ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (std::isdigit(c)) {
            if (normal.empty() || normal.back() != '#') normal += '#';
        } else if (c == '\n' || c == '\r' || c == '\t') {
            normal += ' ';
        } else if (c < 32 || c >= 127) {
            normal += '?';
        } else {
            normal += static_cast<char>(c);
        }
    }
    while (!normal.empty() && normal.back() == ' ') normal.pop_back();
    return normal;
}
