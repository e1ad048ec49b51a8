#include "campaign_test.h"

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>

#include "cases.h"
#include "material_text.h"
#include "material/shader_program.h"
#include "support/campaign/report_text.h"

namespace {
// The case being run, written out if the process dies in it: a crash is the one outcome
// that the checks cannot report themselves.
std::string runningCase;
const char* runningStep = "";

void WriteRunningCase(const char* what) {
    const std::string text = std::string("\ncampaign: the process ") + what + " in " +
                             runningStep + " of this case:\n" + runningCase + "\n";
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_ERROR_HANDLE), text.data(), static_cast<DWORD>(text.size()),
              &written, nullptr);
}

LONG WINAPI NoteCrash(EXCEPTION_POINTERS*) {
    WriteRunningCase("crashed");
    return EXCEPTION_CONTINUE_SEARCH;
}

void NoteAbort(int) { WriteRunningCase("aborted"); }

uint64_t NumberFromEnvironment(const char* name, uint64_t fallback) {
    const char* text = std::getenv(name);
    uint64_t value = 0;
    return text != nullptr && ParseNumber(text, &value) ? value : fallback;
}

// From the environment, with small defaults for the ordinary test run:
// MIRELTH_CAMPAIGN_SEED (1), MIRELTH_CAMPAIGN_SECONDS per family (8),
// MIRELTH_CAMPAIGN_CASES per family (400), MIRELTH_CAMPAIGN_FIRST, the number of the first
// case (0; to go on past a case that crashed).
struct CampaignSettings {
    uint64_t seed = NumberFromEnvironment("MIRELTH_CAMPAIGN_SEED", 1);
    uint64_t seconds = NumberFromEnvironment("MIRELTH_CAMPAIGN_SECONDS", 8);
    uint64_t cases = NumberFromEnvironment("MIRELTH_CAMPAIGN_CASES", 400);
    uint64_t first = NumberFromEnvironment("MIRELTH_CAMPAIGN_FIRST", 0);
};
}  // namespace

void NoteStep(const char* step) { runningStep = step; }

void CampaignTest::SetUp() {
    DeviceTest::SetUp();
    if (HasFatalFailure()) return;
    SetUnhandledExceptionFilter(&NoteCrash);
    std::signal(SIGABRT, &NoteAbort);
    // Materials are drawn with the shipped cube, as the scene draws them.
    cube_.Load("data/cube.mesh.bin");
    ASSERT_NE(cube_.indexBuffer, nullptr) << "the shipped cube did not load";
    boxes_.Clear();
}

void CampaignTest::TearDown() {
    cube_.Release();
    std::signal(SIGABRT, SIG_DFL);
    SetUnhandledExceptionFilter(nullptr);
    runningCase.clear();
    DeviceTest::TearDown();
}

std::string CampaignTest::MaterialNaming(const char* slot, const std::string& path) {
    MaterialParts parts;
    SetSlot(parts, slot, "'" + path + "'");
    return folder_.Write("case.material", parts.Text());
}

CaseResult CampaignTest::RunCase(const Recipe& recipe) {
    runningCase = recipe.ToText();
    const std::string bytes = recipe.Bytes();
    // Bytes that are exactly a shipped file of the kind being loaded must load cleanly.
    const auto same = [&bytes](const char* file) { return bytes == DataFile(file); };
    // The device's references are back where they were once the object is released.
    const ULONG before = DeviceReferences();
    const auto checked = [this, before](CaseResult result) {
        const ULONG after = DeviceReferences();
        const std::string change = std::to_string(before) + " to " + std::to_string(after);
        result.ProblemIf(after != before, "device references went from " + change);
        return result;
    };
    switch (recipe.loader) {
        case Loader::Mesh: {
            const bool valid = same("data/cube.mesh.bin") || same("data/plane.mesh.bin");
            return checked(RunMesh(folder_.Write("case.mesh.bin", bytes), bytes, valid));
        }
        case Loader::Material: {
            bool valid = same("data/material1.material") || same("data/material2.material");
            for (bool strip : {false, true}) {
                valid = valid || bytes == CompiledDataFile("data/material1.material", strip) ||
                        bytes == CompiledDataFile("data/material2.material", strip);
            }
            return checked(RunMaterial(folder_.Write("case.material", bytes), valid));
        }
        case Loader::VertexShader:
        case Loader::FragmentShader: {
            const bool vertex = recipe.loader == Loader::VertexShader;
            const std::string shader = folder_.Write("case.shader", bytes);
            // A generator marks the well-formed shaders it makes: they too must load cleanly.
            const bool valid =
                (vertex ? same("data/standard_vertex.shader")
                        : same("data/standard_fragment.shader") ||
                              same("data/cube_fragment.shader")) ||
                recipe.note.find(WellFormed) != std::string::npos;
            const char* slot = vertex ? "shaders.vertexShader" : "shaders.fragmentShader";
            CaseResult result = checked(RunMaterial(MaterialNaming(slot, shader), valid));
            // The reader itself takes any file whole.
            NoteStep("ReadShaderFile");
            void* read = nullptr;
            uint32_t size = 0;
            std::string description;
            if (!ReadShaderFile(shader.c_str(), &read, &description, &size) || size != bytes.size() ||
                (size > 0 && std::string(static_cast<const char*>(read), size) != bytes)) {
                result.problems.push_back("ReadShaderFile did not give the file's bytes: " +
                                          description);
            }
            std::free(read);
            return result;
        }
        case Loader::Texture: {
            const std::string texture = folder_.Write("case.texture", bytes);
            // A texture that fails to load is silent by design, so any outcome is clean.
            return checked(RunMaterial(MaterialNaming("texture", texture),
                                       same("data/checker.dds") || same("data/checker.bmp")));
        }
    }
    return {};
}

void CampaignTest::Judge(const Recipe& recipe, const CaseResult& result) {
    ++casesRun_;
    for (const std::string& report : result.reports) ++reportCounts_[NormalizeReport(report)];
    if (result.problems.empty()) return;
    ++casesFailed_;
    // The first failures in full; after that the count says enough.
    if (casesFailed_ > 10) return;
    std::string text = "case with problems:\n";
    for (const std::string& problem : result.problems) text += "  - " + problem + "\n";
    text += "reports:\n";
    for (const std::string& report : result.reports) text += "  " + report.substr(0, 300) + "\n";
    ADD_FAILURE() << text << "recipe (keep it as tests/app/campaign/regressions/NAME.txt):\n"
                  << recipe.ToText();
}

void CampaignTest::RunCampaign(const char* family, Recipe (*make)(uint64_t, uint64_t)) {
    const CampaignSettings settings;
    const auto start = std::chrono::steady_clock::now();
    const auto elapsed = [start] {
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    };
    for (uint64_t n = settings.first; n - settings.first < settings.cases && elapsed() < settings.seconds;
         ++n) {
        Recipe recipe = make(settings.seed, n);
        recipe.note = std::string(family) + " case " + std::to_string(n) + " of seed " +
                      std::to_string(settings.seed) + "\n" + recipe.note;
        Judge(recipe, RunCase(recipe));
    }
    char title[200];
    std::snprintf(title, sizeof title, "campaign %s: seed %llu, %llu cases in %.1f s", family,
                  static_cast<unsigned long long>(settings.seed),
                  static_cast<unsigned long long>(casesRun_), elapsed());
    PrintSummary(title);
}

void CampaignTest::PrintSummary(const std::string& title) const {
    std::vector<std::pair<uint64_t, std::string>> byCount;
    for (const auto& entry : reportCounts_) byCount.push_back({entry.second, entry.first});
    std::sort(byCount.rbegin(), byCount.rend());
    std::printf("%s, %zu distinct reports, %llu with problems, none crashed\n", title.c_str(),
                byCount.size(), static_cast<unsigned long long>(casesFailed_));
    for (const auto& entry : byCount) {
        std::printf("  %6llu  %s\n", static_cast<unsigned long long>(entry.first),
                    entry.second.c_str());
    }
    std::fflush(stdout);
}
