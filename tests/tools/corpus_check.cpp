// Every model of the import library's test corpus (a test-only package) converts with
// "--fit 2" to a mesh file that the program loads, its positions inside the fit and every
// closed part with its outside out (but in the sources listed as inside out), or is refused
// with its name and a reason and the output left as it was; none crashes or outlasts the
// tool's own time bound. The normal run sweeps every fourth model in sorted order and those
// named below; MIRELTH_WHOLE_CORPUS=1 in the environment sweeps all. Ends with the figures.
#include "host_check.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <map>
#include <regex>
#include <set>
#include <sstream>

namespace fs = std::filesystem;

namespace {
constexpr int kToolBoundSeconds = 30;  // the tool stops an import itself well before this
constexpr double kFitBound = 1.0001;
constexpr size_t kSampleEvery = 4;

// A few hundred bytes that ask the library for more memory than there is.
const std::map<std::string, std::string> kRefusedFor = {
    {"invalid/OutOfMemory.off", "went past its memory bound"}};
// Sources whose own triangles face inward: each encloses a negative volume in the file's own
// coordinates, under node transforms whose determinants are all positive.
const std::map<std::string, std::string> kInsideOut = {
    {"FBX/animation_with_skeleton.fbx", "the cube's faces run clockwise seen from outside"},
    {"BLEND/TorusLightsCams_250_compressed.blend", "the torus's faces run clockwise seen from outside"}};

std::string Lower(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}
}  // namespace

TEST(mesh_tool, corpus) {
    const std::string corpus = Setting("MIRELTH_MODEL_CORPUS");
    ASSERT_TRUE(fs::is_directory(corpus)) << "no model corpus at " << corpus
                                          << " (scripts/setup.sh installs it)";
    const char* whole = std::getenv("MIRELTH_WHOLE_CORPUS");
    const size_t every = whole && std::string(whole) == "1" ? 1 : kSampleEvery;
    const std::string out = Scratch("corpus") + "/model.mesh.bin";

    // The extensions that mesh_tool takes as models: the lines of its help that list them.
    std::set<std::string> extensions;
    std::string help = RunTool({Tool("mesh_tool"), "--help"}).out;
    const std::regex kListLine("\n    (\\.[^\n]*)");
    for (std::sregex_iterator line(help.begin(), help.end(), kListLine), end; line != end; ++line) {
        std::istringstream words((*line)[1].str());
        for (std::string word; words >> word;) extensions.insert(Lower(word));
    }
    std::vector<std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(corpus))
        if (!entry.is_directory() && extensions.count(Lower(entry.path().extension().string())))
            files.push_back(fs::relative(entry.path(), corpus).string());
    std::sort(files.begin(), files.end());

    int converted = 0, refused = 0, closed = 0;
    std::map<std::string, int> reasons;
    for (size_t number = 0; number < files.size(); ++number) {
        const std::string& file = files[number];
        const bool refusedFor = kRefusedFor.count(file), insideOut = kInsideOut.count(file);
        if (number % every && !refusedFor && !insideOut) continue;
        SCOPED_TRACE(file);
        const std::string path = corpus + "/" + file;
        WriteText(out, "earlier output");
        ToolRun run = RunTool({Tool("mesh_tool"), "--fit", "2", path, out}, kToolBoundSeconds);
        if (run.status == 1) {
            ++refused;
            const std::string start = "mesh_tool: " + path + ": ";
            EXPECT_TRUE(run.errors.rfind(start, 0) == 0 && ReadText(out) == "earlier output" &&
                        !fs::exists(out + ".tmp"))
                << "refused without its name, or the output was touched: " << run.errors;
            std::string reason = run.errors.substr(std::min(start.size(), run.errors.size()));
            ++reasons[reason.substr(0, reason.find(':'))];
            if (refusedFor) {
                EXPECT_TRUE(Matches(run.errors, kRefusedFor.at(file))) << run.errors;
            }
            continue;
        }
        if (run.status != 0) {
            ADD_FAILURE() << "mesh_tool ended with " << run.status << ": " << run.errors;
            continue;
        }
        ++converted;
        EXPECT_FALSE(refusedFor) << "converted, but should be refused";
        ToolRun info = RunTool({Tool("mesh_tool"), "info", out});
        std::smatch bounds, parts;
        const std::regex kBounds(
            "bounds: x ([^ ]+) to ([^ ]+), y ([^ ]+) to ([^ ]+), z ([^ ]+) to ([^\n]+)\n");
        if (info.status != 0 || !std::regex_search(info.out, bounds, kBounds)) {
            ADD_FAILURE() << "the program would refuse the mesh file: " << info.errors;
            continue;
        }
        for (size_t i = 1; i <= 6; ++i) {
            double value = std::strtod(bounds[i].str().c_str(), nullptr);
            EXPECT_TRUE(value >= -kFitBound && value <= kFitBound)
                << "a position outside the fit: " << info.out;
        }
        const std::regex kParts("closed: ([0-9]+), closed and inside out[^:]*: ([0-9]+)");
        std::regex_search(info.out, parts, kParts);
        closed += std::atoi(parts[1].str().c_str());
        const int inverted = std::atoi(parts[2].str().c_str());
        EXPECT_EQ(inverted > 0, insideOut) << inverted << " closed parts inside out";
        if (inverted > 0 && insideOut)
            std::cout << "inside out, as its source is: " << file << ": " << kInsideOut.at(file) << "\n";
    }
    std::cout << converted + refused << " models: " << converted << " converted (" << closed
              << " closed parts), " << refused << " refused\n";
    for (const auto& [reason, count] : reasons) std::cout << "  refused, " << reason << ": " << count << "\n";
}
