// What the host checks of the tools share: running a tool, reading and writing bytes, the
// folders the main build passes in through the environment.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct ToolRun {
    int status = -1;  // the exit status; 124 when the time bound stopped it
    std::string out;
    std::string errors;  // standard error, blanks at both ends stripped
};

// Runs `command` (a program and its arguments) within `seconds`.
ToolRun RunTool(const std::vector<std::string>& command, int seconds = 60);
// The path of one of the asset tools built beside this program.
std::string Tool(const std::string& name);
std::string SourcePath(const std::string& relative);
// A variable the main build sets for the test; the check fails when it is missing.
std::string Setting(const char* name);
// A fresh, empty scratch folder of this name in the working directory.
std::string Scratch(const std::string& name);
// Runs the asset tool `tool` on `arguments` then `output`, which it must write; gives `output`.
std::string Convert(const std::string& tool, std::vector<std::string> arguments,
                    const std::string& output);
// Converts `source` (from the source tree) after `options` into a fresh scratch folder
// named like the output file `name`; gives the output's path.
std::string Made(const std::string& tool, const std::string& source, const std::string& name,
                 std::vector<std::string> options = {});

std::vector<uint8_t> ReadBytes(const std::string& path);
std::string ReadText(const std::string& path);
void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes);
void WriteText(const std::string& path, const std::string& text);
// The bytes that hex digits spell, blanks ignored.
std::vector<uint8_t> FromHex(const std::string& hex);
bool Matches(const std::string& text, const std::string& pattern);

// A bad source that `tool` must refuse: non-zero exit, a message with `start` (at its very
// beginning when `anchored`) and a reason matching `reason`, and the output file untouched
// (left as it was when `earlier` is set, else never written) with no temporary beside it.
struct Refusal {
    std::string name;
    std::string text;
    int line;  // the line the message names; 0: a model file, named without a line
    std::string reason;
};
void ExpectRefusals(const std::string& tool, const std::string& folder, const char* extension,
                    const std::vector<Refusal>& cases, bool earlier, bool anchored);
