#include "graphics/scene.h"

#include "graphics/graphics.h"

// Defined together so that they are constructed in this order and destroyed in reverse.
Material cubeMaterial;
Material planeMaterial;
Mesh cubeMesh;
Mesh planeMesh;

const char PlaneMaterialPath[] = "data/material2.material";
const char CubeMaterialPath[] = "data/material1.material";
const char CubeMeshPath[] = "data/cube.mesh.bin";
const char PlaneMeshPath[] = "data/plane.mesh.bin";

void SetUpScene() {
    // Each loader reports its own failures; the scene goes on with whatever loaded.
    planeMaterial.Load(PlaneMaterialPath);
    planeMaterial.LoadFragmentShader();
    planeMaterial.LoadVertexShader();
    cubeMaterial.Load(CubeMaterialPath);
    cubeMaterial.LoadFragmentShader();
    cubeMaterial.LoadVertexShader();
    cubeMesh.Load(CubeMeshPath);
    planeMesh.Load(PlaneMeshPath);
    Camera& camera = GraphicsState.camera;
    camera.position = {0.0f, 0.0f, -10.0f};
    camera.nearPlane = 0.1f;
    camera.farPlane = 100.0f;
    camera.fieldOfView = 1.0471976f;  // pi / 3
    // Last, so that where both shaders use one register the plane's value stays.
    cubeMaterial.ApplyColorModifier();
    planeMaterial.ApplyColorModifier();
}

void ReleaseScene() {
    planeMesh.Release();
    cubeMesh.Release();
    planeMaterial.Release();
    cubeMaterial.Release();
}
