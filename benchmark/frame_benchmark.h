// RenderFrame against the floor loop on the same device: whole frames and the part before
// Present, the program's allocations, and whether both drew the same picture.
#pragma once

#include <cstdint>
#include <string>

#include "support/allocation_counter.h"
#include "floor_scene.h"

struct FrameFigures {
    double medianMs;
    double p95Ms;
    double issueMedianMs;  // from the start of the frame to just before Present
    double issueP95Ms;
};

struct FrameComparison {
    bool ok;
    std::string error;
    int frames;                     // measured frames of each side
    FrameFigures program;
    FrameFigures floor;
    AllocationCounts allocations;   // made during the program's measured frames
    int differingPixels;            // more than a small tolerance apart in the two pictures
    int litPixels;                  // not black in the program's picture
};

// The scene must be set up (InitializeGraphics) and `floor` loaded with the same files and
// placed like the scene. Warms both up, then alternates blocks of frames.
FrameComparison CompareFrames(FloorScene& floor, int warmUpFrames, int rounds, int framesPerRound);

// What SetUpScene leaves in the device for RenderFrame: the last mesh's declaration and the
// colour modifiers, cube first and plane last.
void MakeSceneCurrent();
