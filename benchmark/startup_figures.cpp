// The start-up comparison's figures: the program against both floors, step by step against
// the fair floor, and the texture's two file formats.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "floor_assets.h"
#include "graphics/scene.h"
#include "report.h"
#include "startup_benchmark.h"
#include "timing.h"

namespace {
// The fair floor's arguments: what the two material files name, then the two meshes.
// `otherTexture` gives each texture the other format's name (".bmp" and ".dds" swapped).
bool FairFloorArguments(bool otherTexture, std::string* arguments) {
    MaterialDescription plane;
    MaterialDescription cube;
    if (!ReadMaterialDescription(PlaneMaterialPath, &plane) ||
        !ReadMaterialDescription(CubeMaterialPath, &cube)) {
        return false;
    }
    const auto quoted = [](const std::string& text) { return "\"" + text + "\" "; };
    const auto texture = [otherTexture](std::string path) {
        const size_t dot = path.size() >= 4 ? path.size() - 4 : 0;
        if (otherTexture && path.compare(dot, 4, ".bmp") == 0) return path.replace(dot, 4, ".dds");
        if (otherTexture && path.compare(dot, 4, ".dds") == 0) return path.replace(dot, 4, ".bmp");
        return path;
    };
    *arguments = quoted(texture(plane.texture)) + quoted(plane.vertexShader) +
                 quoted(plane.fragmentShader) + quoted(texture(cube.texture)) +
                 quoted(cube.vertexShader) + quoted(cube.fragmentShader) +
                 quoted(CubeMeshPath) + quoted(PlaneMeshPath);
    return true;
}

double MedianOf(std::vector<double> samples) { return Median(samples); }
double FastestOf(const std::vector<double>& samples) {
    return *std::min_element(samples.begin(), samples.end());
}

std::string Percent(double part, double whole) {
    char text[16];
    std::snprintf(text, sizeof text, "%.0f%%", 100.0 * part / whole);
    return text;
}
}  // namespace

bool ReportStartup(int runs, Report* report, std::string* error) {
    std::string fair;
    std::string fairOther;
    if (!FairFloorArguments(false, &fair) || !FairFloorArguments(true, &fairOther)) {
        *error = "cannot read the material files";
        return false;
    }
    const bool programTakesDds = fair.find(".dds\"") != std::string::npos;
    const std::vector<StartupChild> children = {
        {"program", "mirelth_startup_probe.exe", ""},
        {"minimal floor", "mirelth_startup_floor.exe", ""},
        {"fair floor", "mirelth_startup_fair_floor.exe", fair},
        {"fair floor, other texture format", "mirelth_startup_fair_floor.exe", fairOther}};
    const StartupComparison startup = CompareStartup(children, runs);
    report->Heading("Start-up: process creation to the return of the first Present (" +
                    std::to_string(runs) + " runs each, taking turns)");
    if (!startup.ok) {
        *error = startup.error;
        return false;
    }
    const StartupTimes& program = startup.children[0];
    const StartupTimes& minimal = startup.children[1];
    const StartupTimes& floor = startup.children[2];
    report->Add("startup.median", "against the minimal floor, median", "ms",
                MedianOf(program.totalMs), MedianOf(minimal.totalMs));
    report->Add("startup.fastest", "against the minimal floor, fastest", "ms",
                FastestOf(program.totalMs), FastestOf(minimal.totalMs));
    report->Add("startup.fair.median", "against the fair floor, median", "ms",
                MedianOf(program.totalMs), MedianOf(floor.totalMs));
    report->Add("startup.fair.fastest", "against the fair floor, fastest", "ms",
                FastestOf(program.totalMs), FastestOf(floor.totalMs));

    report->Heading("Start-up by step against the fair floor, median (share of the median "
                    "total: program, fair floor)");
    const double programTotal = MedianOf(program.totalMs);
    const double floorTotal = MedianOf(floor.totalMs);
    for (size_t i = 0; i < program.steps.size(); ++i) {
        const std::string& step = program.steps[i];
        const double programMs = MedianOf(program.stepMs[i]);
        double floorMs = std::nan("");
        std::string shares = Percent(programMs, programTotal) + ", -";
        for (size_t j = 0; j < floor.steps.size(); ++j) {
            if (floor.steps[j] != step) continue;
            floorMs = MedianOf(floor.stepMs[j]);
            shares = Percent(programMs, programTotal) + ", " + Percent(floorMs, floorTotal);
        }
        std::string key = step;
        std::replace(key.begin(), key.end(), ' ', '_');
        report->Add("startup.step." + key, step + " (" + shares + ")", "ms", programMs,
                    floorMs);
    }

    // The texture's two formats side by side, each loaded by the fair floor.
    const StartupTimes& dds = startup.children[programTakesDds ? 2 : 3];
    const StartupTimes& bmp = startup.children[programTakesDds ? 3 : 2];
    report->Heading(std::string("Texture file: BMP against DDS in the fair floor, median (the "
                                "materials name the ") +
                    (programTakesDds ? "DDS)" : "BMP)"));
    for (const char* owner : {"plane", "cube"}) {
        const std::string step = std::string(owner) + " material and texture";
        for (size_t j = 0; j < bmp.steps.size() && j < dds.steps.size(); ++j) {
            if (bmp.steps[j] != step || dds.steps[j] != step) continue;
            report->Add(std::string("texture.") + owner,
                        std::string(owner) + "'s texture, BMP vs DDS", "ms",
                        MedianOf(bmp.stepMs[j]), MedianOf(dds.stepMs[j]));
        }
    }
    report->Add("texture.startup", "whole start-up, BMP vs DDS", "ms", MedianOf(bmp.totalMs),
                MedianOf(dds.totalMs));
    return true;
}

