// How keys move the cube and the camera: a key poll and a pure movement law.
#pragma once

#include "graphics/graphics.h"

// What the held keys add this frame: arrows to the cube, A/D/W/S to the camera.
struct KeySteps {
    Vector3 object;
    Vector3 camera;
};

// Polls Left, Right, Up, Down, A, D, W, S with GetAsyncKeyState, in that order.
KeySteps PollKeySteps();

// The key steps for a set of key states in the same order (true = held).
KeySteps StepsForKeys(bool left, bool right, bool up, bool down, bool a, bool d, bool w, bool s);

// m <- (m + steps) * t, then p <- p + m. The movement is kept, so it decays over later frames.
void ApplyMovement(Vector3& movement, Vector3& position, const Vector3& steps, float t);
