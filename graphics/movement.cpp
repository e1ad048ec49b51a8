#include "graphics/movement.h"

#include <windows.h>

namespace {
// Only the "down now" bit counts; bit 0 alone says the key was pressed some time since
// the last call, which is not a held key.
bool Held(int virtualKey) { return (GetAsyncKeyState(virtualKey) & 0xFFFE) != 0; }
}  // namespace

KeySteps StepsForKeys(bool left, bool right, bool up, bool down, bool a, bool d, bool w, bool s) {
    KeySteps steps = {};
    if (left) steps.object.x -= 1.0f;
    if (right) steps.object.x += 1.0f;
    if (up) steps.object.z += 1.0f;
    if (down) steps.object.z -= 1.0f;
    if (a) steps.camera.x -= 1.0f;
    if (d) steps.camera.x += 1.0f;
    if (w) steps.camera.y += 1.0f;
    if (s) steps.camera.y -= 1.0f;
    return steps;
}

KeySteps PollKeySteps() {
    // Evaluated in order: one GetAsyncKeyState call per key, as the table of keys lists them.
    const bool left = Held(VK_LEFT);
    const bool right = Held(VK_RIGHT);
    const bool up = Held(VK_UP);
    const bool down = Held(VK_DOWN);
    const bool a = Held('A');
    const bool d = Held('D');
    const bool w = Held('W');
    const bool s = Held('S');
    return StepsForKeys(left, right, up, down, a, d, w, s);
}

void ApplyMovement(Vector3& movement, Vector3& position, const Vector3& steps, float t) {
    movement.x = (movement.x + steps.x) * t;
    movement.y = (movement.y + steps.y) * t;
    movement.z = (movement.z + steps.z) * t;
    position.x += movement.x;
    position.y += movement.y;
    position.z += movement.z;
}
