// Captures what the program writes to std::cerr while the object lives.
#pragma once

#include <iostream>
#include <sstream>
#include <string>

class StandardErrorCapture {
public:
    StandardErrorCapture() : previous_(std::cerr.rdbuf(captured_.rdbuf())) {}
    ~StandardErrorCapture() { std::cerr.rdbuf(previous_); }
    StandardErrorCapture(const StandardErrorCapture&) = delete;
    StandardErrorCapture& operator=(const StandardErrorCapture&) = delete;

    std::string Text() const { return captured_.str(); }
    void Clear() { captured_.str(std::string()); }

private:
    std::ostringstream captured_;
    std::streambuf* previous_;
};
