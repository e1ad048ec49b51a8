// Where the program's issue time (a frame up to Present) goes beyond the floor's: each part
// of RenderFrame that the two do differently, timed alone over many repetitions, as the
// cost per frame (two draws).
#pragma once

#include "floor_scene.h"

struct IssueParts {
    double keyPollUs;            // PollKeySteps, eight GetAsyncKeyState calls; the floor polls none
    double programMatricesUs;    // the frame's own TransformsFor, once per draw
    double floorMatricesUs;      // one perspective and three translations, inline
    double programTransformsUs;  // Material::SetTransforms of both materials (six SetMatrix)
    double floorTransformsUs;    // six SetVertexShaderConstantF
};

// The scene must be set up and `floor` loaded.
IssueParts MeasureIssueParts(FloorScene& floor);
