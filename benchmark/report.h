// The benchmark's figures, each next to its floor with their ratio, printed as one table
// and written as JSON with the same values.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

struct Figure {
    std::string key;    // stable name for the JSON, such as "frame.median"
    std::string label;  // what the table shows
    std::string unit;   // "ms", "us", "MB/s", "count", ...
    double program;
    double floor;       // NaN when the figure has no floor
};

class Report {
public:
    void Heading(const std::string& title);
    void Add(const std::string& key, const std::string& label, const std::string& unit,
             double program, double floor);
    // Context kept with the figures: "adapter", "counter", ... (keys as in JSON).
    void Fact(const std::string& key, const std::string& value);
    void Print(std::FILE* out) const;
    bool WriteJson(const std::string& path) const;

private:
    struct Line {
        bool heading;
        std::string section;  // the heading's title, or the heading the figure is under
        Figure figure;
    };
    std::vector<Line> lines_;
    std::vector<std::pair<std::string, std::string>> facts_;
};

// program / floor: above 1 the program costs more (for MB/s, below 1 it is slower).
double Ratio(const Figure& figure);
