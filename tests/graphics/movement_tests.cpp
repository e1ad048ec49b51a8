#include <gtest/gtest.h>

#include "graphics/movement.h"

namespace {
enum Key { Left, Right, Up, Down, A, D, W, S, NoKey };

// The steps with only `key` held (none for NoKey).
KeySteps Held(Key key) {
    bool held[NoKey + 1] = {};
    held[key] = true;
    return StepsForKeys(held[Left], held[Right], held[Up], held[Down], held[A], held[D], held[W],
                        held[S]);
}
}  // namespace

TEST(MovementLaw, AHeldKeyAddsOneUnitPerSecondPlusWhatIsCarriedOver) {
    Vector3 movement = {0, 0, 0};
    Vector3 position = {0, 0, 0};
    ApplyMovement(movement, position, Held(Right).object, 0.02f);
    EXPECT_FLOAT_EQ(movement.x, 0.02f);
    EXPECT_FLOAT_EQ(position.x, 0.02f);
    ApplyMovement(movement, position, Held(Right).object, 0.02f);
    EXPECT_FLOAT_EQ(movement.x, 0.0204f);  // (0.02 + 1) * 0.02
    EXPECT_FLOAT_EQ(position.x, 0.0404f);
    EXPECT_EQ(movement.y, 0.0f);
    EXPECT_EQ(movement.z, 0.0f);
}

TEST(MovementLaw, AfterReleaseTheDriftDecaysByTEachFrame) {
    Vector3 movement = {0, 0, 0};
    Vector3 position = {0, 0, 0};
    ApplyMovement(movement, position, Held(Right).object, 0.02f);
    ApplyMovement(movement, position, Held(Right).object, 0.02f);
    const float carried = movement.x;
    ApplyMovement(movement, position, Held(NoKey).object, 0.02f);
    EXPECT_FLOAT_EQ(movement.x, carried * 0.02f);
    ApplyMovement(movement, position, Held(NoKey).object, 0.02f);
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
    EXPECT_EQ(Held(Right).object.x, 1.0f);
    EXPECT_EQ(Held(Up).object.z, 1.0f);
    EXPECT_EQ(Held(Down).object.z, -1.0f);
    EXPECT_EQ(Held(A).camera.x, -1.0f);
    EXPECT_EQ(Held(D).camera.x, 1.0f);
    EXPECT_EQ(Held(W).camera.y, 1.0f);
    EXPECT_EQ(Held(S).camera.y, -1.0f);
    // Nothing moves the cube up or the camera forwards.
    for (Key key : {Right, Up, Down, A, D, W, S}) {
        EXPECT_EQ(Held(key).object.y, 0.0f) << key;
        EXPECT_EQ(Held(key).camera.z, 0.0f) << key;
    }
}

TEST(MovementLaw, ANoTimeFrameMovesNothing) {
    Vector3 movement = {0.3f, 0, 0};
    Vector3 position = {1, 2, 3};
    ApplyMovement(movement, position, Held(Right).object, 0.0f);
    EXPECT_EQ(movement.x, 0.0f);
    EXPECT_EQ(position.x, 1.0f);
}
