#include "frame_benchmark.h"

#include <windows.h>

#include <algorithm>
#include <vector>

#include "graphics/graphics.h"
#include "graphics/scene.h"
#include "present_timer.h"
#include "support/test_device.h"
#include "timing.h"

namespace {
void StorePixels(IDirect3DDevice9* device, void* pixels) {
    *static_cast<std::vector<uint32_t>*>(pixels) = ReadBackBuffer(device);
}

// The back buffer just before the next timed Present, after which a discarded back buffer
// may read back as anything.
void CaptureNextFrame(std::vector<uint32_t>* pixels) { CaptureNextPresent(StorePixels, pixels); }

// Pixels whose red, green or blue differ by more than `tolerance`; every pixel when the
// sizes differ.
int PixelsApart(const std::vector<uint32_t>& a, const std::vector<uint32_t>& b, int tolerance) {
    if (a.size() != b.size()) return static_cast<int>(std::max(a.size(), b.size()));
    int apart = 0;
    for (size_t i = 0; i < a.size(); ++i) apart += ColorsNear(a[i], b[i], tolerance) ? 0 : 1;
    return apart;
}

int LitPixels(const std::vector<uint32_t>& pixels) {
    return static_cast<int>(std::count_if(pixels.begin(), pixels.end(),
                                          [](uint32_t pixel) { return (pixel & 0xFFFFFFu) != 0; }));
}

class Samples {
public:
    explicit Samples(size_t capacity) {
        total_.reserve(capacity);
        issue_.reserve(capacity);
    }
    void Add(int64_t start, int64_t beforePresent, int64_t end) {
        total_.push_back(TicksToMilliseconds(end - start));
        issue_.push_back(TicksToMilliseconds(beforePresent - start));
    }
    FrameFigures Figures() {
        return {Median(total_), Quantile(total_, 0.95), Median(issue_), Quantile(issue_, 0.95)};
    }

private:
    std::vector<double> total_;
    std::vector<double> issue_;
};

// As the message loop does between frames; not part of a frame's time.
void HandleOneMessage() {
    MSG message;
    if (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

template <typename DrawFrame>
bool RunFrames(int count, DrawFrame drawFrame, Samples* samples, AllocationCounts* allocations) {
    for (int i = 0; i < count; ++i) {
        HandleOneMessage();
        const uint64_t presents = TimedPresents();
        const AllocationCounts before = CountAllocations();
        const int64_t start = Ticks();
        drawFrame();
        const int64_t end = Ticks();
        const AllocationCounts made = AllocationsSince(before);
        if (TimedPresents() != presents + 1) return false;
        if (allocations != nullptr) {
            allocations->operatorNew += made.operatorNew;
            allocations->cHeap += made.cHeap;
        }
        if (samples != nullptr) samples->Add(start, LastPresentStamp(), end);
    }
    return true;
}

FrameComparison Failed(const std::string& error) {
    FrameComparison comparison{};
    comparison.error = error;
    return comparison;
}
}  // namespace

void MakeSceneCurrent() {
    GraphicsState.device->SetVertexDeclaration(planeMesh.vertexDeclaration);
    cubeMaterial.ApplyColorModifier();
    planeMaterial.ApplyColorModifier();
}

FrameComparison CompareFrames(FloorScene& floor, int warmUpFrames, int rounds, int framesPerRound) {
    IDirect3DDevice9* device = GraphicsState.device;
    const auto program = [] { RenderFrame(); };
    const auto floorFrame = [&floor] { floor.DrawFrame(); };
    StartTimingPresents(device);

    // One frame of each, read back: the floor must draw what the program draws.
    std::vector<uint32_t> programPicture;
    std::vector<uint32_t> floorPicture;
    MakeSceneCurrent();
    bool ran = RunFrames(warmUpFrames, program, nullptr, nullptr);
    CaptureNextFrame(&programPicture);
    ran = ran && RunFrames(1, program, nullptr, nullptr);
    floor.MakeCurrent();
    ran = ran && RunFrames(warmUpFrames, floorFrame, nullptr, nullptr);
    CaptureNextFrame(&floorPicture);
    ran = ran && RunFrames(1, floorFrame, nullptr, nullptr);
    if (!ran || programPicture.empty() || floorPicture.empty()) {
        StopTimingPresents(device);
        return Failed(ran ? "the back buffer could not be read"
                          : "a frame did not call Present once");
    }

    FrameComparison comparison{};
    comparison.frames = rounds * framesPerRound;
    comparison.differingPixels = PixelsApart(programPicture, floorPicture, 8);
    comparison.litPixels = LitPixels(programPicture);

    Samples programSamples(static_cast<size_t>(comparison.frames));
    Samples floorSamples(static_cast<size_t>(comparison.frames));
    for (int round = 0; round < rounds && ran; ++round) {
        MakeSceneCurrent();
        ran = RunFrames(framesPerRound, program, &programSamples, &comparison.allocations);
        floor.MakeCurrent();
        ran = ran && RunFrames(framesPerRound, floorFrame, &floorSamples, nullptr);
    }
    StopTimingPresents(device);
    MakeSceneCurrent();
    if (!ran) return Failed("a frame did not call Present once");
    comparison.ok = true;
    comparison.program = programSamples.Figures();
    comparison.floor = floorSamples.Figures();
    return comparison;
}
