#include "report.h"

#include <cmath>

namespace {
std::string Number(double value, const std::string& unit) {
    if (std::isnan(value)) return "-";
    char text[32];
    const char* format = "%.3f";
    if (unit == "count" || unit == "MB/s") format = "%.0f";
    if (unit == "us") format = "%.1f";
    std::snprintf(text, sizeof text, format, value);
    return text;
}

std::string JsonNumber(double value) {
    if (std::isnan(value) || std::isinf(value)) return "null";
    char text[32];
    std::snprintf(text, sizeof text, "%.6g", value);
    return text;
}

std::string JsonString(const std::string& text) {
    std::string quoted = "\"";
    for (char c : text) {
        if (c == '"' || c == '\\') quoted += '\\';
        quoted += c;
    }
    return quoted + "\"";
}
}  // namespace

double Ratio(const Figure& figure) {
    if (std::isnan(figure.floor) || figure.floor == 0.0) return std::nan("");
    return figure.program / figure.floor;
}

void Report::Heading(const std::string& title) { lines_.push_back({true, title, {}}); }

void Report::Add(const std::string& key, const std::string& label, const std::string& unit,
                 double program, double floor) {
    std::string section;
    for (auto line = lines_.rbegin(); line != lines_.rend(); ++line) {
        if (line->heading) {
            section = line->section;
            break;
        }
    }
    lines_.push_back({false, section, {key, label, unit, program, floor}});
}

void Report::Fact(const std::string& key, const std::string& value) {
    facts_.emplace_back(key, value);
}

void Report::Print(std::FILE* out) const {
    for (const auto& fact : facts_) {
        std::fprintf(out, "%s: %s\n", fact.first.c_str(), fact.second.c_str());
    }
    std::fprintf(out, "%-52s %-5s %11s %11s %7s\n", "", "unit", "program", "floor", "ratio");
    for (const Line& line : lines_) {
        if (line.heading) {
            std::fprintf(out, "%s\n", line.section.c_str());
            continue;
        }
        const Figure& f = line.figure;
        const double ratio = Ratio(f);
        char ratioText[32] = "-";
        if (!std::isnan(ratio)) std::snprintf(ratioText, sizeof ratioText, "%.2f", ratio);
        std::fprintf(out, "  %-50s %-5s %11s %11s %7s\n", f.label.c_str(), f.unit.c_str(),
                     Number(f.program, f.unit).c_str(), Number(f.floor, f.unit).c_str(),
                     ratioText);
    }
}

bool Report::WriteJson(const std::string& path) const {
    std::FILE* out = std::fopen(path.c_str(), "w");
    if (out == nullptr) return false;
    std::fprintf(out, "{\n");
    for (const auto& fact : facts_) {
        std::fprintf(out, "  %s: %s,\n", JsonString(fact.first).c_str(),
                     JsonString(fact.second).c_str());
    }
    std::fprintf(out, "  \"figures\": [");
    const char* separator = "\n";
    for (const Line& line : lines_) {
        if (line.heading) continue;
        const Figure& f = line.figure;
        std::fprintf(out,
                     "%s    {\"key\": %s, \"section\": %s, \"label\": %s, \"unit\": %s, "
                     "\"program\": %s, \"floor\": %s, \"ratio\": %s}",
                     separator, JsonString(f.key).c_str(), JsonString(line.section).c_str(),
                     JsonString(f.label).c_str(),
                     JsonString(f.unit).c_str(), JsonNumber(f.program).c_str(),
                     JsonNumber(f.floor).c_str(), JsonNumber(Ratio(f)).c_str());
        separator = ",\n";
    }
    std::fprintf(out, "\n  ]\n}\n");
    return std::fclose(out) == 0;
}
