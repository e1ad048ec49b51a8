// The program as it ships (app/main.cpp, the same code and resources), linked with its
// start-up calls wrapped (-Wl,--wrap=..., see CMakeLists.txt) so that the end of each step
// is reported: the entry point reached, the window made, the device made, each material file
// run, its texture's header checked, its texture and shaders loaded, each mesh loaded, the
// first frame presented. Then it closes the window as a user would, so that the program ends
// by its own path. Nothing else changes.
#include <windows.h>

#include <string>

#include "app/application.h"
#include "graphics/scene.h"
#include "startup_report.h"

namespace {
const char* Owner(const Material* material) {
    return material == &planeMaterial ? "plane" : material == &cubeMaterial ? "cube" : "other";
}

void ReportMaterialStep(const Material* material, const char* what) {
    ReportStep((std::string(Owner(material)) + " " + what).c_str());
}

// The material being loaded, whose texture's header is checked within its load.
const Material* loading = nullptr;
}  // namespace

extern "C" {
ATOM __real__Z23RegisterMainWindowClassP11HINSTANCE__(HINSTANCE instance);
bool __real__Z18InitializeGraphicsP6HWND__(HWND window);
void __real__Z10SetUpScenev();
bool __real__ZN8Material4LoadEPKc(Material* self, const char* path);
bool __real__ZN8Material18LoadFragmentShaderEv(Material* self);
bool __real__ZN8Material16LoadVertexShaderEv(Material* self);
bool __real__ZN4Mesh4LoadEPKc(Mesh* self, const char* path);
void __real__Z11RenderFramev();

ATOM __wrap__Z23RegisterMainWindowClassP11HINSTANCE__(HINSTANCE instance) {
    ReportStep("process start");
    return __real__Z23RegisterMainWindowClassP11HINSTANCE__(instance);
}

bool __wrap__Z18InitializeGraphicsP6HWND__(HWND window) {
    ReportStep("window");
    return __real__Z18InitializeGraphicsP6HWND__(window);
}

void __wrap__Z10SetUpScenev() {
    ReportStep("device");
    __real__Z10SetUpScenev();
}

const char* __real__Z18TextureFileProblemPKc(const char* path);

// The texture header check is a step of its own, between running the material file and
// D3DX's reading of the texture.
const char* __wrap__Z18TextureFileProblemPKc(const char* path) {
    ReportMaterialStep(loading, "material file");
    const char* problem = __real__Z18TextureFileProblemPKc(path);
    ReportMaterialStep(loading, "texture header check");
    return problem;
}

bool __wrap__ZN8Material4LoadEPKc(Material* self, const char* path) {
    loading = self;
    const bool loaded = __real__ZN8Material4LoadEPKc(self, path);
    ReportMaterialStep(self, "material and texture");
    return loaded;
}

bool __wrap__ZN8Material18LoadFragmentShaderEv(Material* self) {
    const bool loaded = __real__ZN8Material18LoadFragmentShaderEv(self);
    ReportMaterialStep(self, "fragment shader");
    return loaded;
}

bool __wrap__ZN8Material16LoadVertexShaderEv(Material* self) {
    const bool loaded = __real__ZN8Material16LoadVertexShaderEv(self);
    ReportMaterialStep(self, "vertex shader");
    return loaded;
}

bool __wrap__ZN4Mesh4LoadEPKc(Mesh* self, const char* path) {
    const bool loaded = __real__ZN4Mesh4LoadEPKc(self, path);
    ReportStep(self == &cubeMesh ? "cube mesh" : self == &planeMesh ? "plane mesh" : "other mesh");
    return loaded;
}

void __wrap__Z11RenderFramev() {
    __real__Z11RenderFramev();
    static bool reported = false;
    if (reported) return;
    reported = true;
    ReportStep("first frame");
    PostMessageA(ApplicationState.mainWindow, WM_CLOSE, 0, 0);
}
}
