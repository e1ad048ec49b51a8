#include "material/shader_program.h"

#include <cstdlib>
#include <cstring>
#include <sstream>

#include <windows.h>

#include "formats/shader_tokens.h"
#include "graphics/graphics_state.h"
#include "material/material.h"
#include "platform/windows_error.h"

namespace {
// Replaces *message with `action` followed by the system's text for `code`.
void DescribeWindowsFailure(std::string* message, const char* action, DWORD code) {
    if (message == nullptr) return;
    std::ostringstream text;
    text << action << FormatWindowsError(code);
    *message = text.str();
}

// Size, block and read. False with a description on the first failure; the block is then
// left for the caller to free.
bool ReadOpenFile(HANDLE file, const char* path, void** outBuffer, std::string* outErrorMessage,
                  uint32_t* outSize) {
    LARGE_INTEGER fileSize;
    if (!GetFileSizeEx(file, &fileSize)) {
        DescribeWindowsFailure(outErrorMessage, "Windows failed to get the size of shader: ",
                               GetLastError());
        return false;
    }
    // One ReadFile call reads at most 4 GiB; no shader comes near that.
    const DWORD size = static_cast<DWORD>(fileSize.QuadPart & 0xFFFFFFFF);
    *outBuffer = std::malloc(size);
    if (*outBuffer == nullptr) {
        if (outErrorMessage != nullptr) {
            std::ostringstream text;
            text << "Failed to allocate " << size << " bytes to read in the shader program "
                 << path;
            *outErrorMessage = text.str();
        }
        return false;
    }
    DWORD bytesRead = 0;
    if (!ReadFile(file, *outBuffer, size, &bytesRead, nullptr)) {
        DescribeWindowsFailure(outErrorMessage,
                               "Windows failed to read the contents of shader: ", GetLastError());
        return false;
    }
    // A file that shrank, or one whose reported size is not its content, must not pass
    // uninitialised bytes on as a shader.
    if (bytesRead != size) {
        if (outErrorMessage != nullptr) {
            std::ostringstream text;
            text << "Windows read only " << bytesRead << " of " << size
                 << " bytes of the shader file " << path;
            *outErrorMessage = text.str();
        }
        return false;
    }
    if (outSize != nullptr) *outSize = size;
    return true;
}

// Checks that the bytes are a whole token stream before Direct3D or D3DX reads them.
// The structure is checked for the kind the file declares: a well-formed shader of the
// other kind gets through and is refused by the shader's creation with its own report.
bool CheckShaderBytes(const void* bytes, uint32_t size, uint32_t expectedVersionType,
                      const char* path, std::string* description, ShaderTokenFacts* facts) {
    uint32_t versionType = expectedVersionType;
    if (size >= sizeof(uint32_t)) {
        const uint32_t declared = *static_cast<const uint32_t*>(bytes) >> 16;
        if (declared == kVertexShaderVersionType || declared == kPixelShaderVersionType) {
            versionType = declared;
        }
    }
    std::string whyNot;
    if (CheckShaderTokens(bytes, size, versionType, &whyNot, facts)) return true;
    std::ostringstream text;
    text << "The shader file " << path << " is not a usable compiled shader: " << whyNot;
    *description = text.str();
    return false;
}

// Reads and checks one shader file. On failure shows the description with `caption`.
bool ReadCheckedShader(const std::string& path, uint32_t expectedVersionType, const char* caption,
                       void** bytes, ShaderTokenFacts* facts) {
    std::string description;
    uint32_t size = 0;
    if (ReadShaderFile(path.c_str(), bytes, &description, &size) &&
        CheckShaderBytes(*bytes, size, expectedVersionType, path.c_str(), &description, facts)) {
        return true;
    }
    std::free(*bytes);
    *bytes = nullptr;
    MessageBoxA(GraphicsState.renderingWindow, description.c_str(), caption, MB_ICONERROR);
    return false;
}

// D3DX finds the constant table by stepping over comment blocks only, taking every other
// word for an instruction token: a literal or operand word that looks like a comment token
// sends it anywhere. So it gets the checked table alone, between the version and end tokens.
void ReadConstantTable(const void* bytes, const ShaderTokenFacts& facts,
                       ID3DXConstantTable** table) {
    const DWORD* tokens = static_cast<const DWORD*>(bytes);
    const size_t words = facts.tableWords + 2;
    DWORD* stream = static_cast<DWORD*>(std::malloc(words * sizeof(DWORD)));
    if (stream == nullptr) return;
    stream[0] = tokens[0];
    if (facts.tableWords > 0) {
        std::memcpy(stream + 1, tokens + facts.tableWord, facts.tableWords * sizeof(DWORD));
    }
    stream[words - 1] = kEndToken;
    D3DXGetShaderConstantTable(stream, table);
    std::free(stream);
}
}  // namespace

bool ReadShaderFile(const char* path, void** outBuffer, std::string* outErrorMessage,
                    uint32_t* outSize) {
    *outBuffer = nullptr;
    if (outSize != nullptr) *outSize = 0;
    HANDLE file = CreateFileA(path, FILE_GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        DescribeWindowsFailure(outErrorMessage, "Windows failed to open the shader file: ",
                               GetLastError());
        return false;
    }
    bool failed = !ReadOpenFile(file, path, outBuffer, outErrorMessage, outSize);
    if (failed && *outBuffer != nullptr) {
        std::free(*outBuffer);
        *outBuffer = nullptr;
    }
    if (!CloseHandle(file)) {
        // The first failure's description is the one kept.
        if (!failed) {
            DescribeWindowsFailure(outErrorMessage,
                                   "Windows failed to close the shader file handle: ",
                                   GetLastError());
        }
        failed = true;
    }
    return !failed;
}

bool Material::LoadFragmentShader() {
    void* bytes = nullptr;
    ShaderTokenFacts facts;
    if (!ReadCheckedShader(fragmentShaderPath, kPixelShaderVersionType, "No Fragment Shader",
                           &bytes, &facts)) {
        return false;
    }
    const DWORD* tokens = static_cast<const DWORD*>(bytes);
    const HRESULT created = GraphicsState.device->CreatePixelShader(tokens, &fragmentShader);
    // The table comes from the bytes, not from the shader, so it is read even when the
    // creation failed.
    ReadConstantTable(bytes, facts, &fragmentConstantTable);
    if (fragmentConstantTable != nullptr) {
        colorModifierHandle = fragmentConstantTable->GetConstantByName(nullptr, "g_colorModifier");
        D3DXHANDLE sampler = fragmentConstantTable->GetConstantByName(nullptr, "g_color_sampler");
        if (sampler != nullptr) {
            samplerIndex = fragmentConstantTable->GetSamplerIndex(sampler);
            GraphicsState.device->SetTexture(samplerIndex, texture);
        }
    }
    std::free(bytes);
    if (FAILED(created)) {
        MessageBoxA(GraphicsState.renderingWindow, "DirectX failed to create the fragment shader",
                    "No Fragment Shader", MB_ICONERROR);
        return false;
    }
    return true;
}

bool Material::LoadVertexShader() {
    void* bytes = nullptr;
    ShaderTokenFacts facts;
    if (!ReadCheckedShader(vertexShaderPath, kVertexShaderVersionType, "No Vertex Shader", &bytes,
                           &facts)) {
        return false;
    }
    const DWORD* tokens = static_cast<const DWORD*>(bytes);
    const HRESULT created = GraphicsState.device->CreateVertexShader(tokens, &vertexShader);
    ReadConstantTable(bytes, facts, &vertexConstantTable);
    if (vertexConstantTable != nullptr) {
        worldToViewHandle =
            vertexConstantTable->GetConstantByName(nullptr, "g_transform_worldToView");
        viewToScreenHandle =
            vertexConstantTable->GetConstantByName(nullptr, "g_transform_viewToScreen");
        modelToWorldHandle =
            vertexConstantTable->GetConstantByName(nullptr, "g_transform_modelToWorld");
    }
    std::free(bytes);
    if (FAILED(created)) {
        MessageBoxA(GraphicsState.renderingWindow, "DirectX failed to create the vertex shader",
                    "No Vertex Shader", MB_ICONERROR);
        return false;
    }
    return true;
}
