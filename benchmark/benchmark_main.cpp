// The benchmark: every figure next to its floor measured in the same run on the same device.
// Run from the build tree (scripts/benchmark.sh does):
//   mirelth_benchmark [JSON path [note on the host, kept with the figures]]
#include <windows.h>

#include <cmath>
#include <cstdio>
#include <string>

#include "app/application.h"
#include "app/main_window.h"
#include "floor_scene.h"
#include "frame_benchmark.h"
#include "graphics/graphics.h"
#include "graphics/scene.h"
#include "grid_mesh.h"
#include "issue_parts.h"
#include "load_benchmark.h"
#include "report.h"
#include "startup_benchmark.h"
#include "support/message_box_hook.h"
#include "support/temp_folder.h"
#include "timing.h"

namespace {
const double None = std::nan("");

// Sized to keep the whole run well under three minutes under Wine with llvmpipe.
constexpr int StartupRuns = 5;
constexpr int WarmUpFrames = 60;
constexpr int FrameRounds = 4;
constexpr int FramesPerRound = 150;
constexpr int MaterialLoads = 1000;

struct ScaleStep {
    const char* name;  // "10k"
    uint32_t side;     // of the vertex grid
    int loadRepetitions;
    int framesPerRound;
};
const ScaleStep ScaleSteps[] = {
    {"10k", 100, 15, 100}, {"100k", 317, 9, 40}, {"1M", 1000, 5, 12}};

double MegabytesPerSecond(uint64_t bytes, double milliseconds) {
    return static_cast<double>(bytes) / 1.0e6 / (milliseconds / 1000.0);
}

std::string AdapterDescription() {
    D3DADAPTER_IDENTIFIER9 identifier = {};
    if (GraphicsState.direct3d == nullptr ||
        FAILED(GraphicsState.direct3d->GetAdapterIdentifier(D3DADAPTER_DEFAULT, 0, &identifier))) {
        return "unknown";
    }
    return identifier.Description;
}

class Benchmark {
public:
    int Run(const std::string& jsonPath, const std::string& hostNote);

private:
    bool Fail(const std::string& what) {
        std::fprintf(stderr, "benchmark: %s\n", what.c_str());
        failed_ = true;
        return false;
    }
    bool StartProgram();
    bool MeasureStartup();
    bool MeasureFrames();
    bool MeasureLoading();
    bool MeasureScale();
    bool MeasureMaterials();
    void AddFrames(const std::string& key, const std::string& what, const FrameComparison& f,
                   bool withPercentiles);

    Report report_;
    MessageBoxHook boxes_;
    TempFolder folder_;
    bool failed_ = false;
};

bool Benchmark::StartProgram() {
    // The program's own start-up, without its message loop.
    HINSTANCE instance = GetModuleHandleA(nullptr);
    if (RegisterMainWindowClass(instance) == 0) return Fail("no window class");
    ApplicationState.mainWindow = CreateMainWindow(instance, SW_SHOWNORMAL);
    if (ApplicationState.mainWindow == nullptr) return Fail("no main window");
    if (!InitializeGraphics(ApplicationState.mainWindow)) return Fail("no Direct3D 9 device");
    if (!boxes_.Boxes().empty()) return Fail("the scene did not load quietly");
    report_.Fact("adapter", AdapterDescription() + " (as Direct3D reports it)");
    return true;
}

bool Benchmark::MeasureStartup() {
    std::string error;
    return ReportStartup(StartupRuns, &report_, &error) || Fail("start-up: " + error);
}

void Benchmark::AddFrames(const std::string& key, const std::string& what,
                          const FrameComparison& f, bool withPercentiles) {
    report_.Add(key + ".median", what + "frame, median", "ms", f.program.medianMs,
                f.floor.medianMs);
    if (withPercentiles) {
        report_.Add(key + ".p95", what + "frame, 95th percentile", "ms", f.program.p95Ms,
                    f.floor.p95Ms);
    }
    report_.Add(key + ".issue.median", what + "issue (up to Present), median", "ms",
                f.program.issueMedianMs, f.floor.issueMedianMs);
    if (withPercentiles) {
        report_.Add(key + ".issue.p95", what + "issue (up to Present), 95th pct", "ms",
                    f.program.issueP95Ms, f.floor.issueP95Ms);
    }
    report_.Add(key + ".pixels_differing", what + "pixels unlike the floor's", "count",
                f.differingPixels, None);
}

bool Benchmark::MeasureFrames() {
    FloorScene floor;
    std::string error;
    if (!floor.Load(GraphicsState.device, PlaneMaterialPath, PlaneMeshPath, CubeMaterialPath,
                    CubeMeshPath, &error)) {
        return Fail("floor: " + error);
    }
    floor.Place(GraphicsState.camera, planeMesh.position, cubeMesh.position);
    const FrameComparison frames = CompareFrames(floor, WarmUpFrames, FrameRounds, FramesPerRound);
    report_.Heading("Frame: RenderFrame against the floor loop (" +
                    std::to_string(FrameRounds * FramesPerRound) + " frames each)");
    if (!frames.ok) return Fail("frames: " + frames.error);
    AddFrames("frame", "", frames, true);
    report_.Heading("Allocations by the program's code during those " +
                    std::to_string(frames.frames) + " frames (must be 0)");
    report_.Add("allocations.operator_new", "operator new", "count",
                static_cast<double>(frames.allocations.operatorNew), None);
    report_.Add("allocations.c_heap", "malloc, calloc, realloc", "count",
                static_cast<double>(frames.allocations.cHeap), None);
    const IssueParts parts = MeasureIssueParts(floor);
    report_.Heading("Issue time by part, per frame (each part timed alone)");
    report_.Add("issue_parts.key_poll", "key poll (8 GetAsyncKeyState; floor: none)", "us",
                parts.keyPollUs, None);
    report_.Add("issue_parts.matrices", "matrices (D3DX calls vs inline)", "us",
                parts.programMatricesUs, parts.floorMatricesUs);
    report_.Add("issue_parts.transforms", "transforms (6 SetMatrix vs 6 SetVS...ConstantF)",
                "us", parts.programTransformsUs, parts.floorTransformsUs);
    if (frames.litPixels < 1000) return Fail("the program's frame is nearly black");
    if (frames.allocations.operatorNew + frames.allocations.cHeap != 0) {
        return Fail("the frame allocates");
    }
    return true;
}

bool Benchmark::MeasureLoading() {
    const ScaleStep& largest = ScaleSteps[2];
    GridMeshFile file;
    if (!WriteGridMesh(folder_.PathOf("grid-1M.mesh.bin"), largest.side, &file)) {
        return Fail("cannot write the generated mesh");
    }
    const MeshLoadComparison load = CompareMeshLoad(file, largest.loadRepetitions);
    report_.Heading("Loading: a " + std::to_string(file.vertexCount) + "-vertex, " +
                    std::to_string(file.indexCount) + "-index mesh (" +
                    std::to_string(file.bytes) + " bytes, median of " +
                    std::to_string(largest.loadRepetitions) + ")");
    if (!load.ok) return Fail("loading: " + load.error);
    const double meshLoad = MegabytesPerSecond(file.bytes, load.meshLoadMs);
    report_.Add("load.mesh_vs_read", "Mesh::Load vs one read into memory", "MB/s", meshLoad,
                MegabytesPerSecond(file.bytes, load.readMs));
    report_.Add("load.mesh_vs_direct", "Mesh::Load vs one read into each buffer", "MB/s",
                meshLoad, MegabytesPerSecond(file.bytes, load.directMs));
    return true;
}

bool Benchmark::MeasureMaterials() {
    const MaterialLoadComparison materials = CompareMaterialLoad(CubeMaterialPath, MaterialLoads);
    report_.Heading("Material file, " + std::to_string(MaterialLoads) +
                    " loads (floor: one read of the file and its texture)");
    if (!materials.ok) return Fail("materials: " + materials.error);
    report_.Add("material.load", "Material::Load, median per load", "us", materials.loadUs,
                materials.floorUs);
    return true;
}

bool Benchmark::MeasureScale() {
    report_.Heading("Scale: a generated grid mesh drawn as the cube, and loaded");
    IDirect3DDevice9* device = GraphicsState.device;
    for (const ScaleStep& step : ScaleSteps) {
        GridMeshFile file;
        const std::string name = std::string("grid-") + step.name + ".mesh.bin";
        if (!WriteGridMesh(folder_.PathOf(name), step.side, &file)) {
            return Fail("cannot write " + name);
        }
        const std::string key = std::string("scale.") + step.name;
        const std::string what = std::to_string(file.vertexCount) + " vertices: ";
        const MeshLoadComparison load = CompareMeshLoad(file, step.loadRepetitions);
        if (!load.ok) return Fail("scale: " + load.error);

        cubeMesh.Release();
        cubeMesh.Load(file.path.c_str());
        FloorScene floor;
        std::string error;
        if (!floor.Load(device, PlaneMaterialPath, PlaneMeshPath, CubeMaterialPath,
                        file.path.c_str(), &error)) {
            return Fail("scale floor: " + error);
        }
        floor.Place(GraphicsState.camera, planeMesh.position, cubeMesh.position);
        const FrameComparison frames = CompareFrames(floor, 5, 2, step.framesPerRound);
        if (!frames.ok) return Fail("scale frames: " + frames.error);
        AddFrames(key, what, frames, false);
        report_.Add(key + ".load", what + "Mesh::Load vs one read", "ms", load.meshLoadMs,
                    load.readMs);
        report_.Add(key + ".load_direct", what + "Mesh::Load vs reads into buffers", "ms",
                    load.meshLoadMs, load.directMs);
    }
    cubeMesh.Release();
    cubeMesh.Load(CubeMeshPath);
    return true;
}

int Benchmark::Run(const std::string& jsonPath, const std::string& hostNote) {
    if (!hostNote.empty()) report_.Fact("host", hostNote);
    char frequency[32];
    std::snprintf(frequency, sizeof frequency, "%.0f Hz", CounterFrequency());
    report_.Fact("counter", std::string("QueryPerformanceCounter at ") + frequency);
    report_.Fact("ratio",
                 "program / floor: above 1 the program costs more "
                 "(for MB/s, below 1 it is slower)");
    const int64_t start = Ticks();
    // Start-up first, while this process has no device of its own. A failed part stops the
    // run; what was measured until then is still printed.
    if (MeasureStartup() && StartProgram() && MeasureFrames() && MeasureLoading() &&
        MeasureScale()) {
        MeasureMaterials();
    }
    ShutDownApplication(GetModuleHandleA(nullptr));
    for (const SeenMessageBox& box : boxes_.Boxes()) {
        Fail("message box \"" + box.caption + "\": " + box.text);
    }
    char duration[32];
    std::snprintf(duration, sizeof duration, "%.1f s",
                  TicksToMilliseconds(Ticks() - start) / 1000.0);
    report_.Fact("run_time", duration);
    report_.Print(stdout);
    if (!report_.WriteJson(jsonPath)) Fail("cannot write " + jsonPath);
    std::printf("figures written to %s\n", jsonPath.c_str());
    return failed_ ? 1 : 0;
}
}  // namespace

int main(int argc, char** argv) {
    Benchmark benchmark;
    return benchmark.Run(argc > 1 ? argv[1] : "benchmark.json", argc > 2 ? argv[2] : "");
}
