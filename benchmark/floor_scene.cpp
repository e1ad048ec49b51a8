#include "floor_scene.h"

#include "floor_matrices.h"
#include "mesh/mesh.h"

bool FloorScene::Load(IDirect3DDevice9* device, const char* planeMaterial, const char* planeMesh,
                      const char* cubeMaterial, const char* cubeMesh, std::string* error) {
    MaterialDescription plane;
    MaterialDescription cube;
    if (!ReadMaterialDescription(planeMaterial, &plane) ||
        !ReadMaterialDescription(cubeMaterial, &cube)) {
        *error = "cannot read the material files";
        return false;
    }
    return Load(device, plane, planeMesh, cube, cubeMesh, nullptr, error);
}

bool FloorScene::Load(IDirect3DDevice9* device, const MaterialDescription& planeMaterial,
                      const char* planeMesh, const MaterialDescription& cubeMaterial,
                      const char* cubeMesh, FloorStepDone done, std::string* error) {
    Release();
    device_ = device;
    if (FAILED(device->CreateVertexDeclaration(MeshVertexElements, &declaration_))) {
        *error = "cannot make the vertex declaration";
        return false;
    }
    const auto report = [done](const char* step) {
        if (done != nullptr) done(step);
    };
    if (!LoadFloorMaterial(device, planeMaterial, "plane", done, &plane_, error) ||
        !LoadFloorMaterial(device, cubeMaterial, "cube", done, &cube_, error) ||
        !LoadFloorMesh(device, cubeMesh, &cube_, error)) {
        return false;
    }
    report("cube mesh");
    if (!LoadFloorMesh(device, planeMesh, &plane_, error)) return false;
    report("plane mesh");
    return true;
}

void FloorScene::Place(const Camera& camera, const Vector3& planePosition,
                       const Vector3& cubePosition) {
    camera_ = camera;
    planePosition_ = planePosition;
    cubePosition_ = cubePosition;
}

void FloorScene::MakeCurrent() {
    device_->SetVertexDeclaration(declaration_);
    device_->SetPixelShaderConstantF(cube_.colorRegister, cube_.colorModifier, 1);
    device_->SetPixelShaderConstantF(plane_.colorRegister, plane_.colorModifier, 1);
}

void FloorScene::DrawFrame() {
    float worldToView[16];
    float viewToScreen[16];
    TranslationMatrix(-camera_.position.x, -camera_.position.y, -camera_.position.z,
                      worldToView);
    PerspectiveMatrix(camera_.fieldOfView, 1.3333334f, camera_.nearPlane, camera_.farPlane,
                      viewToScreen);
    device_->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, D3DCOLOR_ARGB(255, 0, 0, 0),
                   1.0f, 0);
    device_->BeginScene();
    Draw(plane_, planePosition_, worldToView, viewToScreen);
    Draw(cube_, cubePosition_, worldToView, viewToScreen);
    device_->EndScene();
    device_->Present(nullptr, nullptr, nullptr, nullptr);
}

void FloorScene::Draw(const FloorObject& object, const Vector3& position,
                      const float* worldToView, const float* viewToScreen) {
    float modelToWorld[16];
    TranslationMatrix(position.x, position.y, position.z, modelToWorld);
    device_->SetVertexShader(object.vertexShader);
    device_->SetPixelShader(object.pixelShader);
    device_->SetTexture(object.sampler, object.texture);
    SetTransforms(object, worldToView, viewToScreen, modelToWorld);
    device_->SetStreamSource(0, object.vertexBuffer, 0, sizeof(MeshVertex));
    device_->SetIndices(object.indexBuffer);
    device_->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, object.vertexCount, 0,
                                  object.primitiveCount);
}

void FloorScene::SetTransforms(const FloorObject& object, const float* worldToView,
                               const float* viewToScreen, const float* modelToWorld) {
    SetMatrixConstant(device_, object.worldToViewRegister, worldToView, object.columnMajor);
    SetMatrixConstant(device_, object.viewToScreenRegister, viewToScreen, object.columnMajor);
    SetMatrixConstant(device_, object.modelToWorldRegister, modelToWorld, object.columnMajor);
}

void FloorScene::Release() {
    ReleaseFloorObject(&plane_);
    ReleaseFloorObject(&cube_);
    if (declaration_ != nullptr) {
        device_->SetVertexDeclaration(nullptr);
        declaration_->Release();
        declaration_ = nullptr;
    }
}
