#include "issue_parts.h"

#include <d3dx9.h>

#include <vector>

#include "floor_matrices.h"
#include "graphics/graphics.h"
#include "graphics/movement.h"
#include "graphics/scene.h"
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
    const D3DXVECTOR3 cameraPlace(camera.position.x, camera.position.y, camera.position.z);
    const D3DXVECTOR3 cubePlace(cubeMesh.position.x, cubeMesh.position.y, cubeMesh.position.z);
    D3DXMATRIX viewToScreen;
    D3DXMATRIX placement;
    D3DXMATRIX modelToWorld;
    IssueParts parts{};

    parts.keyPollUs = MicrosecondsPer([] {
        const KeySteps steps = PollKeySteps();
        sink = steps.object.x + steps.camera.y;
    });
    parts.programMatricesUs = MicrosecondsPer([&] {
        for (int draw = 0; draw < 2; ++draw) {
            D3DXMatrixPerspectiveFovLH(&viewToScreen, camera.fieldOfView, 1.3333334f,
                                       camera.nearPlane, camera.farPlane);
            D3DXMatrixTransformation(&placement, nullptr, nullptr, nullptr, nullptr, nullptr,
                                     &cameraPlace);
            D3DXMatrixTransformation(&modelToWorld, nullptr, nullptr, nullptr, nullptr, nullptr,
                                     &cubePlace);
            sink = viewToScreen._11 + placement._41 + modelToWorld._41;
        }
    });
    parts.floorMatricesUs = MicrosecondsPer([&] {
        float view[16];
        float projection[16];
        float plane[16];
        float cube[16];
        PerspectiveMatrix(camera.fieldOfView, 1.3333334f, camera.nearPlane, camera.farPlane,
                          projection);
        TranslationMatrix(-cameraPlace.x, -cameraPlace.y, -cameraPlace.z, view);
        TranslationMatrix(0.0f, 0.0f, 0.0f, plane);
        TranslationMatrix(cubePlace.x, cubePlace.y, cubePlace.z, cube);
        sink = projection[0] + view[14] + plane[12] + cube[14];
    });
    parts.programTransformsUs = MicrosecondsPer([&] {
        planeMaterial.SetTransforms(placement, viewToScreen, modelToWorld);
        cubeMaterial.SetTransforms(placement, viewToScreen, modelToWorld);
    });
    parts.floorTransformsUs = MicrosecondsPer([&] {
        floor.SetCubeTransforms(placement, viewToScreen, modelToWorld);
        floor.SetCubeTransforms(placement, viewToScreen, modelToWorld);
    });
    return parts;
}
