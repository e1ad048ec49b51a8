// The least a program does to show the scene's first frame: the program's own window and
// device, then the files that the material files name and the two meshes loaded
// straight through Direct3D and D3DX in the scene's order (FloorScene), the colour
// modifiers set, the scene drawn once and presented. No Lua: the benchmark reads the
// material files and passes what they name:
//   mirelth_startup_fair_floor PLANE_TEXTURE PLANE_VERTEX PLANE_FRAGMENT
//                              CUBE_TEXTURE CUBE_VERTEX CUBE_FRAGMENT CUBE_MESH PLANE_MESH
// Reports each step's end and quits.
#include <windows.h>

#include <d3d9.h>

#include <cstdlib>
#include <string>

#include "app/main_window.h"
#include "floor_scene.h"
#include "startup_report.h"

namespace {
MaterialDescription Described(char** files) {
    MaterialDescription description;
    description.texture = files[0];
    description.vertexShader = files[1];
    description.fragmentShader = files[2];
    return description;
}
}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand) {
    ReportStep("process start");
    if (__argc != 9) return 2;
    HWND window = RegisterMainWindowClass(instance) != 0
                      ? CreateMainWindow(instance, showCommand)
                      : nullptr;
    ReportStep("window");
    GraphicsState.direct3d = window != nullptr ? Direct3DCreate9(D3D_SDK_VERSION) : nullptr;
    if (GraphicsState.direct3d == nullptr) return 1;
    int status = 1;
    if (CreateGraphicsDevice(window)) {
        IDirect3DDevice9* device = GraphicsState.device;
        ReportStep("device");
        std::string error;
        {
            FloorScene scene;
            if (scene.Load(device, Described(__argv + 1), __argv[8], Described(__argv + 4),
                           __argv[7], ReportStep, &error)) {
                const Camera camera = {{0.0f, 0.0f, -10.0f}, 0.1f, 100.0f, 1.0471976f};
                scene.Place(camera, {0.0f, 0.0f, 0.0f}, {0.0f, 0.0f, 0.0f});
                scene.MakeCurrent();
                scene.DrawFrame();
                ReportStep("first frame");
                status = 0;
            } else {
                ReportStep(("failed: " + error).c_str());
            }
        }
        device->Release();
    }
    GraphicsState.direct3d->Release();
    DestroyWindow(window);
    return status;
}
