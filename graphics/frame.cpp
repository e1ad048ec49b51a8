#include <d3dx9.h>

#include "graphics/graphics.h"
#include "graphics/movement.h"
#include "graphics/scene.h"
#include "graphics/transforms.h"
#include "time/frame_clock.h"

namespace {
D3DXMATRIX Translation(const Vector3& position) {
    D3DXMATRIX placement;
    const D3DXVECTOR3 translation(position.x, position.y, position.z);
    D3DXMatrixTransformation(&placement, nullptr, nullptr, nullptr, nullptr, nullptr,
                             &translation);
    return placement;
}

// The inverse of a rigid placement: the rotation transposed, the translation undone.
D3DXMATRIX RigidInverse(const D3DXMATRIX& c) {
    D3DXMATRIX inverse;
    inverse._11 = c._11; inverse._12 = c._21; inverse._13 = c._31; inverse._14 = 0.0f;
    inverse._21 = c._12; inverse._22 = c._22; inverse._23 = c._32; inverse._24 = 0.0f;
    inverse._31 = c._13; inverse._32 = c._23; inverse._33 = c._33; inverse._34 = 0.0f;
    inverse._41 = -(c._11 * c._41) - c._12 * c._42 - c._13 * c._43;
    inverse._42 = -(c._21 * c._41) - c._22 * c._42 - c._23 * c._43;
    inverse._43 = -(c._31 * c._41) - c._32 * c._42 - c._33 * c._43;
    inverse._44 = 1.0f;
    return inverse;
}

void DrawRenderable(Material& material, Mesh& mesh) {
    // A material whose shaders failed to load would draw through the fixed-function
    // pipeline with untransformed positions: its failure was reported, so leave it out.
    if (material.vertexShader == nullptr || material.fragmentShader == nullptr) return;
    material.Bind();
    const DrawTransforms transforms = TransformsFor(GraphicsState.camera, mesh.position);
    material.SetTransforms(transforms.worldToView, transforms.viewToScreen,
                           transforms.modelToWorld);
    mesh.Draw();
}
}  // namespace

DrawTransforms TransformsFor(const Camera& camera, const Vector3& position) {
    DrawTransforms transforms;
    D3DXMatrixPerspectiveFovLH(&transforms.viewToScreen, camera.fieldOfView, 1.3333334f,
                               camera.nearPlane, camera.farPlane);
    transforms.worldToView = RigidInverse(Translation(camera.position));
    transforms.modelToWorld = Translation(position);
    return transforms;
}

void RenderFrame() {
    UpdateFrameClock();
    const KeySteps steps = PollKeySteps();
    const float t = ElapsedSeconds();
    ApplyMovement(GraphicsState.objectMovement, cubeMesh.position, steps.object, t);
    ApplyMovement(GraphicsState.cameraMovement, GraphicsState.camera.position, steps.camera,
                  ElapsedSeconds());

    IDirect3DDevice9* device = GraphicsState.device;
    device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, D3DCOLOR_ARGB(255, 0, 0, 0),
                  1.0f, 0);
    device->BeginScene();
    DrawRenderable(planeMaterial, planeMesh);
    DrawRenderable(cubeMaterial, cubeMesh);
    device->EndScene();
    device->Present(nullptr, nullptr, nullptr, nullptr);
}
