// The scene's frame written straight against Direct3D 9: the same two meshes, shaders,
// textures and constants as RenderFrame draws, with the matrices worked out inline and
// written with SetVertexShaderConstantF. The least a frame of this scene can cost.
#pragma once

#include <d3d9.h>

#include <string>

#include "floor_assets.h"
#include "graphics/graphics.h"

class FloorScene {
public:
    FloorScene() = default;
    ~FloorScene() { Release(); }
    FloorScene(const FloorScene&) = delete;
    FloorScene& operator=(const FloorScene&) = delete;

    // The plane is drawn first and the cube second, as in the scene.
    bool Load(IDirect3DDevice9* device, const char* planeMaterial, const char* planeMesh,
              const char* cubeMaterial, const char* cubeMesh, std::string* error);
    // The same from what the material files name, in the scene's order of loading: the
    // plane's material, the cube's, the cube's mesh, the plane's. Each step done is told to
    // `done` (which may be null) by the name the program's start-up gives it.
    bool Load(IDirect3DDevice9* device, const MaterialDescription& planeMaterial,
              const char* planeMesh, const MaterialDescription& cubeMaterial,
              const char* cubeMesh, FloorStepDone done, std::string* error);
    void Place(const Camera& camera, const Vector3& planePosition, const Vector3& cubePosition);
    // What the scene sets once and every frame relies on: the vertex declaration and the
    // colour modifiers, cube first and plane last as scene set-up writes them.
    void MakeCurrent();
    // Clear, the two draws and Present.
    void DrawFrame();
    void Release();
    // The three matrices of one draw into the cube's registers, as a draw writes them.
    void SetCubeTransforms(const float* worldToView, const float* viewToScreen,
                           const float* modelToWorld) {
        SetTransforms(cube_, worldToView, viewToScreen, modelToWorld);
    }

private:
    void Draw(const FloorObject& object, const Vector3& position, const float* worldToView,
              const float* viewToScreen);
    void SetTransforms(const FloorObject& object, const float* worldToView,
                       const float* viewToScreen, const float* modelToWorld);

    IDirect3DDevice9* device_ = nullptr;
    IDirect3DVertexDeclaration9* declaration_ = nullptr;
    FloorObject plane_;
    FloorObject cube_;
    Camera camera_ = {};
    Vector3 planePosition_ = {};
    Vector3 cubePosition_ = {};
};
