#include "support/program_test.h"

#include <new>

#include "app/application.h"
#include "app/main_window.h"
#include "support/direct3d_seam.h"
#include "graphics/graphics.h"
#include "graphics/scene.h"

namespace {
// A fault that keeps the message loop from ending shows up as this many frames.
constexpr unsigned RunawayFrames = 5000;

template <typename T>
void Reconstruct(T& object) {
    object.~T();
    new (&object) T();
}

// One reference held on a proxy and one on the real object behind it.
template <typename Proxy, typename Real>
void HoldBoth(Proxy* proxy, Proxy*& heldProxy, Real*& heldReal) {
    heldProxy = proxy;
    heldProxy->AddRef();
    heldReal = proxy->Real();
    heldReal->AddRef();
}

// Drops both; the real object's last Release must return 0.
template <typename Proxy, typename Real>
void DropBoth(Proxy*& heldProxy, Real*& heldReal, const char* what) {
    if (heldProxy != nullptr) heldProxy->Release();
    heldProxy = nullptr;
    if (heldReal != nullptr) {
        EXPECT_EQ(heldReal->Release(), 0u) << "something still holds " << what;
    }
    heldReal = nullptr;
}

// Held under the name "owner.member".
template <typename T>
void Hold(std::vector<HeldObject>& held, const char* owner, const char* member, T* object) {
    if (object == nullptr) return;
    object->AddRef();
    held.push_back({std::string(owner) + "." + member, object});
}
}  // namespace

void ProgramTest::SetUp() {
    ApplicationState = ApplicationRecord{};
    GraphicsState = GraphicsRecord{};
    // In construction order, as the runtime makes them before WinMain.
    Reconstruct(cubeMaterial);
    Reconstruct(planeMaterial);
    Reconstruct(cubeMesh);
    Reconstruct(planeMesh);

    Seam() = Direct3DSeam{};
    Seam().prepare = [this](Direct3DProxy* direct3d) {
        HoldBoth(direct3d, interface_, realInterface_);
        direct3d->OnDeviceCreated([this](DeviceProxy* device) {
            HoldBoth(device, device_, realDevice_);
            device->OnCall(ProxyCall::Present, [this] {
                if (++framesPresented_ == RunawayFrames) PostQuitMessage(99);
            });
            if (prepareDevice_) prepareDevice_(device);
        });
        if (prepareInterface_) prepareInterface_(direct3d);
    };
}

void ProgramTest::TearDown() {
    if (GraphicsState.direct3d != nullptr) ShutDownGraphics();
    ReleaseScene();
    if (ApplicationState.mainWindow != nullptr && IsWindow(ApplicationState.mainWindow)) {
        DestroyWindow(ApplicationState.mainWindow);
    }
    ApplicationState.mainWindow = nullptr;
    UnregisterClassA(MainWindowClassName, Instance());
    DrainMessages();
    ExpectLastReleases();
    Seam() = Direct3DSeam{};
}

bool ProgramTest::StartWindow() {
    if (RegisterMainWindowClass(Instance()) == 0) return false;
    ApplicationState.mainWindow = CreateMainWindow(Instance(), SW_SHOWNORMAL);
    return ApplicationState.mainWindow != nullptr;
}

bool ProgramTest::StartGraphics() { return InitializeGraphics(ApplicationState.mainWindow); }

void ProgramTest::EscapeAnsweredYes() {
    const HWND window = ApplicationState.mainWindow;
    boxes_.QueueAnswer(IDYES);
    PostMessageA(window, WM_CHAR, 27, 0);
    RunMessageLoop();
    EXPECT_EQ(ApplicationState.mainWindow, window);
    ASSERT_EQ(boxes_.Boxes().size(), 1u) << Describe(boxes_.Boxes());
    EXPECT_EQ(boxes_.Boxes()[0].caption, "Exit Program?");
    EXPECT_EQ(boxes_.Boxes()[0].owner, window);
    boxes_.Clear();
    ASSERT_EQ(ApplicationState.exitCode, 1);
}

ULONG ProgramTest::References(IUnknown* object) {
    object->AddRef();
    return object->Release();
}

std::vector<HeldObject> ProgramTest::HoldSceneObjects() {
    std::vector<HeldObject> held;
    const std::pair<const char*, Material*> materials[] = {{"planeMaterial", &planeMaterial},
                                                           {"cubeMaterial", &cubeMaterial}};
    for (const auto& [name, material] : materials) {
        Hold(held, name, "vertexShader", material->vertexShader);
        Hold(held, name, "fragmentShader", material->fragmentShader);
        Hold(held, name, "vertexConstantTable", material->vertexConstantTable);
        Hold(held, name, "fragmentConstantTable", material->fragmentConstantTable);
        Hold(held, name, "texture", material->texture);
    }
    const std::pair<const char*, Mesh*> meshes[] = {{"cubeMesh", &cubeMesh},
                                                    {"planeMesh", &planeMesh}};
    for (const auto& [name, mesh] : meshes) {
        Hold(held, name, "vertexBuffer", mesh->vertexBuffer);
        Hold(held, name, "indexBuffer", mesh->indexBuffer);
        Hold(held, name, "vertexDeclaration", mesh->vertexDeclaration);
    }
    return held;
}

void ProgramTest::ExpectEachReleasedOnce(std::vector<HeldObject>& held) {
    for (const HeldObject& h : held) {
        EXPECT_EQ(h.object->Release(), 0u) << h.name << " was not released by the program";
    }
    held.clear();
}

void ProgramTest::ExpectLastReleases() {
    DropBoth(device_, realDevice_, "the device");
    DropBoth(interface_, realInterface_, "the interface");
}
