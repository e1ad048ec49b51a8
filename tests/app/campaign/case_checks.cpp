// What must hold after one damaged file went through a loader.
#include <d3dx9.h>

#include <algorithm>

#include "campaign_test.h"
#include "material/asset_file.h"
#include "material/material.h"
#include "support/device_proxy.h"
#include "support/shader_corpus.h"

namespace {
// Boxes of the Direct3D failures after which a mesh keeps its file open until released.
bool DirectXFailure(const SeenMessageBox& box) { return box.text.rfind("DirectX failed", 0) == 0; }

const DeviceProxy::Buffer* RecordOf(const DeviceProxy& proxy, const void* buffer) {
    for (const DeviceProxy::Buffer& record : proxy.Buffers()) {
        if (record.wrapper == buffer && record.alive) return &record;
    }
    return nullptr;
}

// Reports the boxes. Every box an asset loader shows is an error or warning owned by the
// rendering window, with one OK button.
void TakeBoxes(const std::vector<SeenMessageBox>& boxes, HWND window, CaseResult& result) {
    for (const SeenMessageBox& box : boxes) {
        result.reports.push_back("box " + box.caption + " | " + box.text);
        result.ProblemIf(box.owner != window, "a box not owned by the window: " + box.caption);
        result.ProblemIf(box.icon != MB_ICONERROR && box.icon != MB_ICONWARNING,
                         std::string("a box with the ") + IconName(box.icon) + " icon");
        result.ProblemIf(box.buttons != MB_OK, "a box with more than an OK button");
        result.ProblemIf(box.text.empty() || box.caption.empty(), "a box without text");
    }
}
}  // namespace

CaseResult CampaignTest::RunMesh(const std::string& path, const std::string& bytes, bool valid) {
    CaseResult result;
    std::vector<std::string>& problems = result.problems;
    boxes_.Clear();
    errors_.Clear();
    ScopedDeviceProxy proxy;
    Mesh mesh;
    NoteStep("Mesh::Load");
    result.ProblemIf(!mesh.Load(path.c_str()), "Load returned false");
    const std::vector<SeenMessageBox> boxes = boxes_.Boxes();
    TakeBoxes(boxes, Window(), result);
    result.ProblemIf(!errors_.Text().empty(), "a mesh wrote to standard error");

    const DeviceProxy::Buffer* vertices = RecordOf(*proxy.Get(), mesh.vertexBuffer);
    const DeviceProxy::Buffer* indices = RecordOf(*proxy.Get(), mesh.indexBuffer);
    result.ProblemIf(mesh.primitiveCount != mesh.indexCount / 3,
                     "primitiveCount is not indexCount / 3");
    if (mesh.vertexBuffer != nullptr &&
        (vertices == nullptr || vertices->length != uint64_t{mesh.vertexCount} * 24)) {
        problems.push_back("the vertex buffer's size does not match vertexCount");
    }
    if (mesh.indexBuffer != nullptr &&
        (indices == nullptr || indices->length != uint64_t{mesh.primitiveCount} * 12)) {
        problems.push_back("the index buffer's size does not match primitiveCount");
    }
    result.ProblemIf(
        proxy->LiveBuffers() != (mesh.vertexBuffer ? 1u : 0u) + (mesh.indexBuffer ? 1u : 0u),
        "a buffer lives that the mesh does not hold");
    const bool keptOpen = std::any_of(boxes.begin(), boxes.end(), DirectXFailure);
    result.ProblemIf(mesh.fileStream.is_open() && !keptOpen, "the file was left open");

    NoteStep("Mesh::Draw");
    proxy->BeginScene();
    mesh.Draw();
    proxy->EndScene();
    const bool drawn = !proxy->DrawIndexedCalls().empty();
    if (drawn && bytes.size() < 8) {
        problems.push_back("drawn from a file without a header");
    } else if (drawn) {
        // Drawn means loaded: the file really holds what its header says, byte for byte.
        const uint64_t v = TokenAt(bytes, 0), i = TokenAt(bytes, 1);
        const uint64_t triangleBytes = i / 3 * 12;
        result.ProblemIf(!boxes.empty(), "a mesh was drawn after a box said it failed");
        result.ProblemIf(mesh.vertexCount != v || mesh.indexCount != i,
                         "counts differ from the header");
        if (8 + 24 * v + 4 * i > bytes.size()) {
            problems.push_back("drawn from a file shorter than its counts need");
        } else if (vertices == nullptr || indices == nullptr ||
                   vertices->contents != bytes.substr(8, 24 * v) ||
                   indices->contents != bytes.substr(8 + 24 * v, triangleBytes)) {
            problems.push_back("the buffers do not hold the file's bytes");
        } else {
            for (size_t index = 0; index < triangleBytes / 4; ++index) {
                if (TokenAt(indices->contents, index) >= v) {
                    problems.push_back("an index past the vertices reached the device");
                    break;
                }
            }
        }
        const DeviceProxy::DrawIndexed& draw = proxy->DrawIndexedCalls().back();
        if (draw.vertexCount != v || draw.primitiveCount != i / 3 || draw.baseVertex != 0 ||
            draw.minVertex != 0 || draw.startIndex != 0 || draw.type != D3DPT_TRIANGLELIST) {
            problems.push_back("the draw's arguments differ from the file's counts");
        }
    } else if (boxes.empty()) {
        problems.push_back("the mesh cannot be drawn, and nothing said so");
    }
    result.ProblemIf(valid && (!drawn || !boxes.empty()), "a shipped mesh did not load cleanly");

    NoteStep("Mesh::Release");
    mesh.Release();
    if (mesh.vertexBuffer || mesh.indexBuffer || mesh.vertexDeclaration ||
        mesh.fileStream.is_open()) {
        problems.push_back("Release left something behind");
    }
    result.ProblemIf(proxy->LiveBuffers() != 0, "a buffer outlived the mesh");
    return result;
}

CaseResult CampaignTest::RunMaterial(const std::string& materialPath, bool valid) {
    CaseResult result;
    std::vector<std::string>& problems = result.problems;
    // Runs one step and gathers what it reported.
    const auto step = [&](const char* name, auto action, std::vector<SeenMessageBox>* boxes) {
        NoteStep(name);
        boxes_.Clear();
        errors_.Clear();
        const bool succeeded = action();
        *boxes = boxes_.Boxes();
        TakeBoxes(*boxes, Window(), result);
        const std::string written = errors_.Text();
        if (!written.empty()) result.reports.push_back("stderr " + written);
        return std::make_pair(succeeded, written);
    };
    Material material;
    std::vector<SeenMessageBox> loadBoxes, fragmentBoxes, vertexBoxes;
    const auto [loaded, loadErrors] =
        step("Material::Load", [&] { return material.Load(materialPath.c_str()); }, &loadBoxes);
    result.ProblemIf(OpenAssetFileStates() != 0, "a Lua state was left open");
    result.ProblemIf(!loaded && loadErrors.empty(), "Load failed without a line on standard error");
    result.ProblemIf(loaded && !loadErrors.empty(), "Load succeeded but wrote to standard error");
    for (const SeenMessageBox& box : loadBoxes) {
        result.ProblemIf(box.caption != "No ColorModifier", "Load showed a box: " + box.caption);
    }
    result.ProblemIf(loadBoxes.size() > 1, "Load showed more than one box");
    result.ProblemIf(!loaded && !loadBoxes.empty(), "Load warned and then failed");

    const auto [fragment, fragmentErrors] = step(
        "Material::LoadFragmentShader", [&] { return material.LoadFragmentShader(); },
        &fragmentBoxes);
    const auto [vertex, vertexErrors] = step(
        "Material::LoadVertexShader", [&] { return material.LoadVertexShader(); }, &vertexBoxes);
    const struct {
        const char* name;
        bool succeeded;
        const std::string& written;
        const std::vector<SeenMessageBox>& boxes;
        const void* shader;
        const char* caption;
    } shaders[] = {{"LoadFragmentShader", fragment, fragmentErrors, fragmentBoxes,
                    material.fragmentShader, "No Fragment Shader"},
                   {"LoadVertexShader", vertex, vertexErrors, vertexBoxes, material.vertexShader,
                    "No Vertex Shader"}};
    for (const auto& shader : shaders) {
        const std::string name = shader.name;
        result.ProblemIf(!shader.written.empty(), name + " wrote to standard error");
        result.ProblemIf(!shader.succeeded && shader.boxes.empty(), name + " failed without a box");
        result.ProblemIf(shader.succeeded && !shader.boxes.empty(),
                         name + " showed a box and succeeded");
        result.ProblemIf(shader.succeeded != (shader.shader != nullptr),
                         name + "'s result disagrees with its shader");
        for (const SeenMessageBox& box : shader.boxes) {
            result.ProblemIf(box.caption != shader.caption, name + " showed " + box.caption);
        }
    }
    // Handles come from the constant tables and must be found in them.
    const auto known = [](ID3DXConstantTable* table, D3DXHANDLE handle) {
        if (handle == nullptr) return true;
        if (table == nullptr) return false;
        D3DXCONSTANT_DESC description;
        UINT count = 1;
        return SUCCEEDED(table->GetConstantDesc(handle, &description, &count));
    };
    if (!known(material.fragmentConstantTable, material.colorModifierHandle) ||
        !known(material.vertexConstantTable, material.worldToViewHandle) ||
        !known(material.vertexConstantTable, material.viewToScreenHandle) ||
        !known(material.vertexConstantTable, material.modelToWorldHandle)) {
        problems.push_back("a handle that its constant table does not know");
    }
    result.ProblemIf(material.samplerIndex != 0 && material.fragmentConstantTable == nullptr,
                     "a sampler index without a constant table");
    result.ProblemIf(valid && !(loaded && fragment && vertex && result.reports.empty()),
                     "a shipped file did not load cleanly");
    result.ProblemIf(valid && material.texture == nullptr, "the shipped texture did not load");
    if (valid && !(material.colorModifierHandle && material.worldToViewHandle &&
                   material.viewToScreenHandle && material.modelToWorldHandle)) {
        problems.push_back("a constant of the shipped tables was not found");
    }

    // What the scene does with whatever loaded.
    NoteStep("Material::ApplyColorModifier");
    material.ApplyColorModifier();
    NoteStep("drawing the cube with the material");
    DrawCube(material);
    NoteStep("Material::Release");
    material.Release();
    if (material.vertexShader || material.fragmentShader || material.vertexConstantTable ||
        material.fragmentConstantTable || material.texture || material.colorModifierHandle ||
        material.worldToViewHandle) {
        problems.push_back("Release left something behind");
    }

    return result;
}

void CampaignTest::DrawCube(Material& material) {
    IDirect3DDevice9* device = Device();
    D3DXMATRIX identity, view, projection;
    D3DXMatrixIdentity(&identity);
    D3DXMatrixTranslation(&view, 0.0f, 0.0f, 10.0f);
    D3DXMatrixPerspectiveFovLH(&projection, 1.0471976f, 4.0f / 3.0f, 0.1f, 100.0f);
    device->BeginScene();
    material.Bind();
    material.SetTransforms(view, projection, identity);
    cube_.Draw();
    device->EndScene();
    // Wine compiles shaders when they are first drawn, on a thread of its own: wait for it,
    // so that a crash there is charged to this case.
    IDirect3DQuery9* query = nullptr;
    if (SUCCEEDED(device->CreateQuery(D3DQUERYTYPE_EVENT, &query))) {
        query->Issue(D3DISSUE_END);
        for (int i = 0; i < 100000 && query->GetData(nullptr, 0, D3DGETDATA_FLUSH) == S_FALSE; ++i) {
            Sleep(0);
        }
        query->Release();
    }
    // Nothing of this material may stay bound once it is released.
    device->SetVertexShader(nullptr);
    device->SetPixelShader(nullptr);
    device->SetTexture(material.samplerIndex, nullptr);
    for (DWORD stage = 0; stage < 16; ++stage) device->SetTexture(stage, nullptr);
}
