#include "issue_parts.h"

#include <vector>

#include "floor_matrices.h"
#include "graphics/graphics.h"
#include "graphics/movement.h"
#include "graphics/scene.h"
#include "graphics/transforms.h"
#include "timing.h"

namespace {
constexpr int Batches = 5;
constexpr int RepetitionsPerBatch = 2000;

// Keeps results alive, so that the compiler cannot drop the work that made them.
volatile float sink;

// Microseconds per call of `part`: the median of a few batches, after one unmeasured batch.
template <typename Part>
double MicrosecondsPer(Part part) {
    std::vector<double> batches;
    for (int batch = -1; batch < Batches; ++batch) {
        const int64_t start = Ticks();
        for (int i = 0; i < RepetitionsPerBatch; ++i) part();
        const double elapsed = TicksToMilliseconds(Ticks() - start) * 1000.0;
        if (batch >= 0) batches.push_back(elapsed / RepetitionsPerBatch);
    }
    return Median(batches);
}
}  // namespace

IssueParts MeasureIssueParts(FloorScene& floor) {
    const Camera& camera = GraphicsState.camera;
    DrawTransforms program = TransformsFor(camera, cubeMesh.position);
    IssueParts parts{};

    parts.keyPollUs = MicrosecondsPer([] {
        const KeySteps steps = PollKeySteps();
        sink = steps.object.x + steps.camera.y;
    });
    parts.programMatricesUs = MicrosecondsPer([&] {
        for (const Mesh* mesh : {&planeMesh, &cubeMesh}) {
            program = TransformsFor(camera, mesh->position);
            sink = program.viewToScreen._11 + program.worldToView._41 + program.modelToWorld._41;
        }
    });
    parts.floorMatricesUs = MicrosecondsPer([&] {
        float view[16];
        float projection[16];
        float plane[16];
        float cube[16];
        PerspectiveMatrix(camera.fieldOfView, 1.3333334f, camera.nearPlane, camera.farPlane,
                          projection);
        TranslationMatrix(-camera.position.x, -camera.position.y, -camera.position.z, view);
        TranslationMatrix(planeMesh.position.x, planeMesh.position.y, planeMesh.position.z, plane);
        TranslationMatrix(cubeMesh.position.x, cubeMesh.position.y, cubeMesh.position.z, cube);
        sink = projection[0] + view[14] + plane[12] + cube[14];
    });
    parts.programTransformsUs = MicrosecondsPer([&] {
        planeMaterial.SetTransforms(program.worldToView, program.viewToScreen,
                                    program.modelToWorld);
        cubeMaterial.SetTransforms(program.worldToView, program.viewToScreen,
                                   program.modelToWorld);
    });
    parts.floorTransformsUs = MicrosecondsPer([&] {
        floor.SetCubeTransforms(program.worldToView, program.viewToScreen, program.modelToWorld);
        floor.SetCubeTransforms(program.worldToView, program.viewToScreen, program.modelToWorld);
    });
    return parts;
}
