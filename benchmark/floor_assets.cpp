#include "floor_assets.h"

#include <d3dx9.h>

#include <lua.hpp>

#include <cstdint>
#include <vector>

#include "material/asset_file.h"

namespace {
template <typename T>
void ReleaseObject(T*& object) {
    if (object != nullptr) {
        object->Release();
        object = nullptr;
    }
}

std::string StringField(lua_State* L, const char* key) {
    lua_pushstring(L, key);
    lua_gettable(L, -2);
    std::string value = lua_isstring(L, -1) ? lua_tostring(L, -1) : "";
    lua_pop(L, 1);
    return value;
}

bool ReadDescription(lua_State* L, void* context) {
    MaterialDescription& description = *static_cast<MaterialDescription*>(context);
    description.texture = StringField(L, "texture");
    lua_pushstring(L, "shaders");
    lua_gettable(L, -2);
    if (lua_istable(L, -1)) {
        description.vertexShader = StringField(L, "vertexShader");
        description.fragmentShader = StringField(L, "fragmentShader");
    }
    lua_pop(L, 1);
    lua_pushstring(L, "constants");
    lua_gettable(L, -2);
    if (lua_istable(L, -1)) {
        lua_pushstring(L, "g_colorModifier");
        lua_gettable(L, -2);
        if (lua_istable(L, -1)) {
            for (int i = 0; i < 3; ++i) {
                lua_pushnumber(L, i + 1);
                lua_gettable(L, -2);
                if (lua_isnumber(L, -1)) {
                    description.colorModifier[i] = static_cast<float>(lua_tonumber(L, -1));
                }
                lua_pop(L, 1);
            }
        }
        lua_pop(L, 1);
    }
    lua_pop(L, 1);
    return true;
}

bool ReadWholeFile(const std::string& path, std::vector<DWORD>* words) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    LARGE_INTEGER size;
    bool read = GetFileSizeEx(file, &size) != 0 && size.QuadPart % 4 == 0;
    if (read) {
        words->resize(static_cast<size_t>(size.QuadPart / 4));
        DWORD got = 0;
        read = ReadFile(file, words->data(), static_cast<DWORD>(size.QuadPart), &got, nullptr) &&
               got == size.QuadPart;
    }
    CloseHandle(file);
    return read;
}

bool FindRegister(ID3DXConstantTable* table, const char* name, UINT* reg,
                  D3DXPARAMETER_CLASS* parameterClass) {
    D3DXHANDLE handle = table->GetConstantByName(nullptr, name);
    if (handle == nullptr) return false;
    D3DXCONSTANT_DESC description;
    UINT count = 1;
    if (FAILED(table->GetConstantDesc(handle, &description, &count))) return false;
    *reg = description.RegisterIndex;
    if (parameterClass != nullptr) *parameterClass = description.Class;
    return true;
}

bool LoadVertexShader(IDirect3DDevice9* device, const std::string& path, FloorObject* object,
                      std::string* error) {
    std::vector<DWORD> tokens;
    ID3DXConstantTable* table = nullptr;
    if (!ReadWholeFile(path, &tokens) ||
        FAILED(device->CreateVertexShader(tokens.data(), &object->vertexShader)) ||
        FAILED(D3DXGetShaderConstantTable(tokens.data(), &table))) {
        *error = "cannot make the vertex shader " + path;
        return false;
    }
    D3DXPARAMETER_CLASS parameterClass = D3DXPC_MATRIX_COLUMNS;
    const bool found =
        FindRegister(table, "g_transform_modelToWorld", &object->modelToWorldRegister,
                     &parameterClass) &&
        FindRegister(table, "g_transform_worldToView", &object->worldToViewRegister, nullptr) &&
        FindRegister(table, "g_transform_viewToScreen", &object->viewToScreenRegister, nullptr);
    object->columnMajor = parameterClass == D3DXPC_MATRIX_COLUMNS;
    table->Release();
    if (!found) *error = "the vertex shader " + path + " lacks a transform";
    return found;
}

bool LoadPixelShader(IDirect3DDevice9* device, const std::string& path, FloorObject* object,
                     std::string* error) {
    std::vector<DWORD> tokens;
    ID3DXConstantTable* table = nullptr;
    if (!ReadWholeFile(path, &tokens) ||
        FAILED(device->CreatePixelShader(tokens.data(), &object->pixelShader)) ||
        FAILED(D3DXGetShaderConstantTable(tokens.data(), &table))) {
        *error = "cannot make the fragment shader " + path;
        return false;
    }
    UINT sampler = 0;
    const bool found = FindRegister(table, "g_colorModifier", &object->colorRegister, nullptr) &&
                       FindRegister(table, "g_color_sampler", &sampler, nullptr);
    object->sampler = sampler;
    table->Release();
    if (!found) *error = "the fragment shader " + path + " lacks a constant";
    return found;
}

bool ReadInto(HANDLE file, void* data, DWORD bytes) {
    DWORD got = 0;
    return ReadFile(file, data, bytes, &got, nullptr) && got == bytes;
}
}  // namespace

bool ReadMaterialDescription(const char* path, MaterialDescription* description) {
    return LoadAssetFile(path, ReadDescription, description) && !description->texture.empty() &&
           !description->vertexShader.empty() && !description->fragmentShader.empty();
}

bool LoadFloorMesh(IDirect3DDevice9* device, const char* path, FloorObject* object,
                   std::string* error) {
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        *error = std::string("cannot open ") + path;
        return false;
    }
    uint32_t header[2] = {0, 0};
    bool loaded = ReadInto(file, header, sizeof header);
    const DWORD vertexBytes = header[0] * 24;
    const DWORD indexBytes = header[1] / 3 * 12;
    void* data = nullptr;
    loaded = loaded &&
             SUCCEEDED(device->CreateVertexBuffer(vertexBytes, D3DUSAGE_WRITEONLY, 0,
                                                  D3DPOOL_DEFAULT, &object->vertexBuffer,
                                                  nullptr)) &&
             SUCCEEDED(object->vertexBuffer->Lock(0, 0, &data, 0));
    if (loaded) {
        loaded = ReadInto(file, data, vertexBytes);
        object->vertexBuffer->Unlock();
    }
    loaded = loaded &&
             SUCCEEDED(device->CreateIndexBuffer(indexBytes, D3DUSAGE_WRITEONLY, D3DFMT_INDEX32,
                                                 D3DPOOL_DEFAULT, &object->indexBuffer,
                                                 nullptr)) &&
             SUCCEEDED(object->indexBuffer->Lock(0, 0, &data, 0));
    if (loaded) {
        loaded = ReadInto(file, data, indexBytes);
        object->indexBuffer->Unlock();
    }
    CloseHandle(file);
    object->vertexCount = header[0];
    object->primitiveCount = header[1] / 3;
    if (!loaded) {
        *error = std::string("cannot load the mesh ") + path;
        ReleaseFloorMesh(object);
    }
    return loaded;
}

bool LoadFloorMaterial(IDirect3DDevice9* device, const MaterialDescription& description,
                       const char* owner, FloorStepDone done, FloorObject* object,
                       std::string* error) {
    const auto report = [owner, done](const char* step) {
        if (done != nullptr) done((std::string(owner) + " " + step).c_str());
    };
    for (int i = 0; i < 4; ++i) object->colorModifier[i] = description.colorModifier[i];
    if (FAILED(D3DXCreateTextureFromFileA(device, description.texture.c_str(),
                                          &object->texture))) {
        *error = "cannot load the texture " + description.texture;
        return false;
    }
    report("material and texture");
    if (!LoadPixelShader(device, description.fragmentShader, object, error)) return false;
    report("fragment shader");
    if (!LoadVertexShader(device, description.vertexShader, object, error)) return false;
    report("vertex shader");
    return true;
}

void ReleaseFloorMesh(FloorObject* object) {
    ReleaseObject(object->vertexBuffer);
    ReleaseObject(object->indexBuffer);
}

void ReleaseFloorObject(FloorObject* object) {
    ReleaseFloorMesh(object);
    ReleaseObject(object->vertexShader);
    ReleaseObject(object->pixelShader);
    ReleaseObject(object->texture);
}

long long ReadWholeFileInto(const char* path, void* buffer, unsigned long long capacity) {
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return -1;
    LARGE_INTEGER size;
    long long result = -1;
    if (GetFileSizeEx(file, &size) && static_cast<unsigned long long>(size.QuadPart) <= capacity &&
        ReadInto(file, buffer, static_cast<DWORD>(size.QuadPart))) {
        result = size.QuadPart;
    }
    CloseHandle(file);
    return result;
}
