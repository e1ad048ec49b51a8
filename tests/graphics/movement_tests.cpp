#include <gtest/gtest.h>

#include "graphics/movement.h"

namespace {
const KeySteps none = StepsForKeys(false, false, false, false, false, false, false, false);
const KeySteps right = StepsForKeys(false, true, false, false, false, false, false, false);
}  // namespace

TEST(MovementLaw, AHeldKeyAddsOneUnitPerSecondPlusWhatIsCarriedOver) {
    Vector3 movement = {0, 0, 0};
    Vector3 position = {0, 0, 0};
    ApplyMovement(movement, position, right.object, 0.02f);
    EXPECT_FLOAT_EQ(movement.x, 0.02f);
    EXPECT_FLOAT_EQ(position.x, 0.02f);
    ApplyMovement(movement, position, right.object, 0.02f);
    EXPECT_FLOAT_EQ(movement.x, 0.0204f);  // (0.02 + 1) * 0.02
    EXPECT_FLOAT_EQ(position.x, 0.0404f);
    EXPECT_EQ(movement.y, 0.0f);
    EXPECT_EQ(movement.z, 0.0f);
}

TEST(MovementLaw, AfterReleaseTheDriftDecaysByTEachFrame) {
    Vector3 movement = {0, 0, 0};
    Vector3 position = {0, 0, 0};
    ApplyMovement(movement, position, right.object, 0.02f);
    ApplyMovement(movement, position, right.object, 0.02f);
    const float carried = movement.x;
    ApplyMovement(movement, position, none.object, 0.02f);
    EXPECT_FLOAT_EQ(movement.x, carried * 0.02f);
    ApplyMovement(movement, position, none.object, 0.02f);
    EXPECT_FLOAT_EQ(movement.x, carried * 0.02f * 0.02f);
    EXPECT_FLOAT_EQ(position.x, 0.0404f + carried * 0.02f + carried * 0.02f * 0.02f);
}

TEST(MovementLaw, OppositeKeysCancelButTheCarriedMovementStillDecays) {
    const KeySteps all = StepsForKeys(true, true, true, true, true, true, true, true);
    EXPECT_EQ(all.object.x, 0.0f);
    EXPECT_EQ(all.object.z, 0.0f);
    EXPECT_EQ(all.camera.x, 0.0f);
    EXPECT_EQ(all.camera.y, 0.0f);
    Vector3 movement = {0.5f, 0, 0};
    Vector3 position = {0, 0, 0};
    ApplyMovement(movement, position, all.object, 0.1f);
    EXPECT_FLOAT_EQ(movement.x, 0.05f);
    EXPECT_FLOAT_EQ(position.x, 0.05f);
}

TEST(MovementLaw, KeysMoveTheirOwnAxes) {
    const KeySteps up = StepsForKeys(false, false, true, false, false, false, false, false);
    const KeySteps down = StepsForKeys(false, false, false, true, false, false, false, false);
    const KeySteps a = StepsForKeys(false, false, false, false, true, false, false, false);
    const KeySteps d = StepsForKeys(false, false, false, false, false, true, false, false);
    const KeySteps w = StepsForKeys(false, false, false, false, false, false, true, false);
    const KeySteps s = StepsForKeys(false, false, false, false, false, false, false, true);
    EXPECT_EQ(right.object.x, 1.0f);
    EXPECT_EQ(up.object.z, 1.0f);
    EXPECT_EQ(down.object.z, -1.0f);
    EXPECT_EQ(a.camera.x, -1.0f);
    EXPECT_EQ(d.camera.x, 1.0f);
    EXPECT_EQ(w.camera.y, 1.0f);
    EXPECT_EQ(s.camera.y, -1.0f);
    // Nothing moves the cube up or the camera forwards.
    for (const KeySteps& k : {right, up, down, a, d, w, s}) {
        EXPECT_EQ(k.object.y, 0.0f);
        EXPECT_EQ(k.camera.z, 0.0f);
    }
}

TEST(MovementLaw, ANoTimeFrameMovesNothing) {
    Vector3 movement = {0.3f, 0, 0};
    Vector3 position = {1, 2, 3};
    ApplyMovement(movement, position, right.object, 0.0f);
    EXPECT_EQ(movement.x, 0.0f);
    EXPECT_EQ(position.x, 1.0f);
}
