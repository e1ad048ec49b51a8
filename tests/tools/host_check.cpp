#include "host_check.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <regex>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {
constexpr int kStoppedByTimeBound = 124;

std::string Quoted(const std::string& word) {
    std::string quoted = "'";
    for (char c : word) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

std::string Stripped(const std::string& text) {
    const char* blanks = " \t\r\n";
    size_t first = text.find_first_not_of(blanks);
    if (first == std::string::npos) return "";
    return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}
}  // namespace

ToolRun RunTool(const std::vector<std::string>& command, int seconds) {
    static int runs = 0;
    // Checks run side by side in one folder: the process id keeps their captures apart.
    std::string capture = "run" + std::to_string(getpid()) + "_" + std::to_string(++runs);
    capture = fs::absolute(capture).string();
    std::string line = "timeout -k 5 " + std::to_string(seconds);
    for (const std::string& word : command) line += " " + Quoted(word);
    line += " >" + Quoted(capture + ".out") + " 2>" + Quoted(capture + ".err");
    int status = std::system(line.c_str());
    ToolRun run;
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : kStoppedByTimeBound;
    run.out = ReadText(capture + ".out");
    run.errors = Stripped(ReadText(capture + ".err"));
    fs::remove(capture + ".out");
    fs::remove(capture + ".err");
    return run;
}

std::string Tool(const std::string& name) { return MIRELTH_TOOLS_DIR "/" + name; }
std::string SourcePath(const std::string& relative) { return MIRELTH_SOURCE_DIR "/" + relative; }

std::string Setting(const char* name) {
    const char* value = std::getenv(name);
    if (!value || !*value) ADD_FAILURE() << name << " is not set: run this through ctest";
    return value ? value : "";
}

std::string Scratch(const std::string& name) {
    fs::path folder = fs::absolute(name);
    fs::remove_all(folder);
    fs::create_directories(folder);
    return folder.string();
}

std::string Convert(const std::string& tool, std::vector<std::string> arguments,
                    const std::string& output) {
    arguments.insert(arguments.begin(), Tool(tool));
    arguments.push_back(output);
    ToolRun run = RunTool(arguments);
    EXPECT_EQ(run.status, 0) << arguments[arguments.size() - 2] << " refused: " << run.errors;
    return output;
}

std::string Made(const std::string& tool, const std::string& source, const std::string& name,
                 std::vector<std::string> options) {
    options.push_back(SourcePath(source));
    return Convert(tool, options, Scratch(name) + "/" + name);
}

std::vector<uint8_t> ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

std::string ReadText(const std::string& path) {
    std::vector<uint8_t> bytes = ReadBytes(path);
    return std::string(bytes.begin(), bytes.end());
}

void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

void WriteText(const std::string& path, const std::string& text) {
    WriteBytes(path, std::vector<uint8_t>(text.begin(), text.end()));
}

std::vector<uint8_t> FromHex(const std::string& hex) {
    std::string digits;
    for (char c : hex)
        if (std::isxdigit(static_cast<unsigned char>(c))) digits += c;
    std::vector<uint8_t> bytes;
    for (size_t at = 0; at + 1 < digits.size(); at += 2)
        bytes.push_back(static_cast<uint8_t>(std::stoul(digits.substr(at, 2), nullptr, 16)));
    return bytes;
}

bool Matches(const std::string& text, const std::string& pattern) {
    return std::regex_search(text, std::regex(pattern));
}

void ExpectRefusals(const std::string& tool, const std::string& folder, const char* extension,
                    const std::vector<Refusal>& cases, bool earlier, bool anchored) {
    const std::string kEarlier = "earlier output";
    for (const Refusal& refusal : cases) {
        SCOPED_TRACE(refusal.name);
        std::string input = folder + "/" + refusal.name + extension;
        std::string output = input + ".out";
        WriteText(input, refusal.text);
        if (earlier) WriteText(output, kEarlier);
        ToolRun run = RunTool({Tool(tool), input, output});
        EXPECT_NE(run.status, 0) << "accepted";
        std::string start = input + ":" + (refusal.line ? std::to_string(refusal.line) + ":" : "") + " ";
        size_t at = run.errors.find(start);
        EXPECT_TRUE(anchored ? at == 0 : at != std::string::npos) << start << " in " << run.errors;
        EXPECT_TRUE(Matches(run.errors, refusal.reason)) << refusal.reason << " in " << run.errors;
        if (earlier)
            EXPECT_EQ(ReadText(output), kEarlier) << "the output was touched";
        else
            EXPECT_FALSE(fs::exists(output)) << "an output file was written";
        EXPECT_FALSE(fs::exists(output + ".tmp")) << "a temporary file was left";
    }
}
